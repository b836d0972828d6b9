#!/usr/bin/env python3
"""typegen: writes the C++ of a family of value types from one description file.

A family is a small set of plain value classes (records, variants and arrays)
whose shape is mechanical. Its description file lives beside the code that
uses it (for example print/pdf_types.types); the build runs this script to
write <stem>.h and <stem>.cpp into the build tree. Adding a field is one line
in the description.

Description format
------------------
One declaration or member per line. '#' starts a comment; a comment on its own
line just before a declaration documents that type, a comment after a member
documents that member. Both reach the generated header. Blank lines are
ignored. Type names are C++ class names; member names are C++ identifiers.

    record <Type>              a fixed list of named fields, in order
      <field> <type>           one line per field; <type> is a scalar or a
                               type of the family

    variant <Type>             exactly one of the listed cases, or empty
      <case>                   a case without payload
      <case> <type>            a case that carries a value of <type>

    array <Type> of <Element>  an ordered list of <Element> values
                               (a DynSet<Element>)

Scalars: string (AnsiString), int, bool, binary (Binary). Cases are numbered
from 0 in the order written (their tag). A family type may be used before it
is declared; the generator orders the classes so every type is complete where
it is used, and refuses cycles.

What every type gets (the core)
-------------------------------
- record: a default constructor, a constructor from all fields in order, one
  read-only accessor per field in field order, then one writable accessor per
  field (each named after its field), == and !=.
- variant: an empty default value (kind() == -1), a named constructor per case
  (a static function named after the case, taking the payload if the case has
  one), set<Case> per case, clean(), is<Case> per case, and as<Case> read-only
  and writable per payload case, which throw Exception("<Type>::as<Case>")
  when the value holds another case; == and !=.
- array: a DynSet<Element> with == and !=.
All types copy deeply, have virtual operations (in the order above, the
back-end's after the core's) and a virtual destructor.

Back-ends
---------
Each --backend <name> names a module backends/<name>.py that adds operations
to every type (a serial form, for example). A back-end is a class Backend
with these methods (see backends/base.py):
    check(family)            raise DescriptionError for shapes it cannot serve
    header_includes()        include lines the header needs
    source_includes()        include lines the source needs
    members(type)            declaration lines added to the type's class
    source(family)           the definitions, as C++ text for the .cpp

Usage
-----
    typegen.py --description print/pdf_types.types --backend json_form \
               --output-dir build/print --include-prefix print
"""

import argparse
import importlib
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import cpp  # noqa: E402
import model  # noqa: E402


def load_backend(name):
    try:
        module = importlib.import_module("backends." + name)
    except ModuleNotFoundError as error:
        raise model.DescriptionError("no back-end named %r (%s)" % (name, error))
    return module.Backend()


def write_if_changed(path, text):
    """Leaves an unchanged file alone, so that its dependants are not rebuilt."""
    try:
        with open(path, encoding="utf-8") as existing:
            if existing.read() == text:
                return
    except FileNotFoundError:
        pass
    with open(path, "w", encoding="utf-8") as out:
        out.write(text)


def main(argv):
    parser = argparse.ArgumentParser(description="Generate C++ value types from a description.")
    parser.add_argument("--description", required=True)
    parser.add_argument("--backend", action="append", default=[])
    parser.add_argument("--output-dir", required=True)
    parser.add_argument("--include-prefix", required=True,
                        help="folder under which the header is included, e.g. print")
    args = parser.parse_args(argv)

    try:
        family = model.parse_file(args.description)
        backends = [load_backend(name) for name in args.backend]
        for backend in backends:
            backend.check(family)
        header, source = cpp.generate(family, backends, args.include_prefix)
    except model.DescriptionError as error:
        print("typegen: %s" % error, file=sys.stderr)
        return 1

    os.makedirs(args.output_dir, exist_ok=True)
    write_if_changed(os.path.join(args.output_dir, family.stem + ".h"), header)
    write_if_changed(os.path.join(args.output_dir, family.stem + ".cpp"), source)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
