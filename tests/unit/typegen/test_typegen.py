"""The generator's reading of descriptions: what it refuses, and in which
order it writes the classes."""

import os
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "..", "tools", "typegen"))

import cpp  # noqa: E402
import model  # noqa: E402
from backends import json_form  # noqa: E402


def parse(text):
    return model.parse(text, "family.types")


class DescriptionErrors(unittest.TestCase):
    def refuses(self, text, words):
        with self.assertRaises(model.DescriptionError) as caught:
            parse(text)
        self.assertIn(words, str(caught.exception))

    def test_names_what_is_wrong(self):
        self.refuses("record A\n  x Missing\n", "unknown type Missing")
        self.refuses("struct A\n", "unknown declaration")
        self.refuses("record A\n  x string\n  x int\n", "names a member twice")
        self.refuses("record A\n  delete string\n", "not usable")
        self.refuses("record A\n", "has no members")
        self.refuses("record A\n  x string\nvariant A\n  y\n", "declared twice")
        self.refuses("  x string\n", "outside a record or variant")
        self.refuses("array A B\n", "array <Type> of <Element>")

    def test_refuses_types_that_hold_each_other(self):
        self.refuses("record A\n  b B\nrecord B\n  a A\n", "A -> B -> A")


class Ordering(unittest.TestCase):
    def test_types_follow_what_they_hold(self):
        family = parse("record Outer\n  inner Inner\narray Inners of Inner\nrecord Inner\n  x string\n")
        self.assertEqual(["Inner", "Outer", "Inners"], [t.name for t in family.types])

    def test_comments_document_types_and_members(self):
        family = parse("# The family.\n\n# A point.\nrecord P\n  x string  # Across\n")
        self.assertEqual("The family.", family.comment)
        self.assertEqual("A point.", family.types[0].comment)
        self.assertEqual("Across", family.types[0].fields[0].comment)
        header = cpp.header(family, [], "dir")
        self.assertIn("// A point.\nclass P {", header)
        self.assertIn("// Across\n  virtual const AnsiString& x() const", header)


class JsonBackend(unittest.TestCase):
    def test_refuses_shapes_it_cannot_write(self):
        backend = json_form.Backend()
        for text, words in [("record A\n  n int\n", "scalar int"),
                            ("record P\n  x string\nvariant V\n  a\n  b P\n", "mixes cases")]:
            with self.assertRaises(model.DescriptionError) as caught:
                backend.check(parse(text))
            self.assertIn(words, str(caught.exception))


if __name__ == "__main__":
    unittest.main()
