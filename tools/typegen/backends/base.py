"""What a back-end may contribute. Subclass it and override what you need."""

from model import DescriptionError  # noqa: F401  (re-exported for back-ends)


class BackendBase:
    def check(self, family):
        """Raises DescriptionError for a shape this back-end cannot serve."""

    def header_includes(self):
        """Paths for #include "..." lines of the header."""
        return []

    def source_includes(self):
        """Paths for #include "..." lines of the source."""
        return []

    def members(self, t):
        """Declaration lines (unindented) added to the public part of t's class."""
        return []

    def source(self, family):
        """Definitions for the source file, as C++ text."""
        return ""
