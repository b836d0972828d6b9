"""The message forms: toXML, toBinary/fromBinary and toSimpleData/fromSimpleData.

XML: a type is an element named after it; a field or case is an element named
after the member holding its text or int inside CDATA (never escaped), or the
nested type's own element; a case without payload is an empty element. No
declaration and no white space.

Binary: through the abstract BinaryWriter/BinaryReader; a record writes its
fields in order, a variant its tag then its payload, an array its count then
its elements.

SimpleData: a record becomes a record keyed by field name, a variant a variant
named after its case (a case without payload holds the int -1), an array an
array.

Served shapes: fields and payloads of string, int or a family type; arrays of
family types. The shared helpers live in http/message_forms.h.
"""

from backends.base import BackendBase, DescriptionError
from cpp import comment_lines
from model import is_scalar

SUPPORT = "http/message_forms.h"
NS = "message_forms::"


class Backend(BackendBase):
    def check(self, family):
        for t in family.types:
            for used in t.used_types():
                if is_scalar(used) and used not in ("string", "int"):
                    raise DescriptionError("message_forms: %s uses the scalar %s; only string and "
                                           "int are served" % (t.name, used))
            if t.kind == "array" and is_scalar(t.element):
                raise DescriptionError("message_forms: %s holds %s; arrays hold family types only"
                                       % (t.name, t.element))

    def header_includes(self):
        return ["runtime/ansi_string.h", "runtime/binary_io.h", "runtime/simple_data.h",
                "runtime/string_buffer.h"]

    def source_includes(self):
        return [SUPPORT]

    def members(self, t):
        def no_case(operation, when="when no case is held"):
            if t.kind != "variant":
                return ""
            return ' Throws Exception("%s::%s") %s.' % (t.name, operation, when)

        lines = comment_lines("The value as a SimpleData %s.%s"
                              % (TREE_SHAPE[t.kind], no_case("toSimpleData")))
        lines.append("virtual SimpleData toSimpleData() const;")
        lines += comment_lines("Writes %s.%s" % (BINARY_ORDER[t.kind],
                                                 no_case("toBinary", "after the tag -1 when no case is held")))
        lines.append("virtual void toBinary(BinaryWriter& out) const;")
        lines += comment_lines("XML without declaration or white space; texts in CDATA, unescaped.%s"
                               % no_case("toXML(-1)"))
        lines.append("virtual AnsiString toXML() const;")
        lines.append("// Appends toXML() to `out`.")
        lines.append("void appendXML(StringBuffer& out) const;")
        passes = "the failures of the reader and of nested types pass through."
        if t.kind in BAD_BINARY:
            reads = 'Throws Exception("%s::fromBinary") for %s; %s' % (t.name, BAD_BINARY[t.kind], passes)
        else:
            reads = passes[0].upper() + passes[1:]
        lines += comment_lines("Reads what toBinary writes. " + reads)
        lines.append("static %s fromBinary(BinaryReader& in);" % t.name)
        lines += comment_lines("Reads what toSimpleData makes: " + FROM_TREE[t.kind].replace("<T>", t.name))
        lines.append("static %s fromSimpleData(const SimpleData& tree);" % t.name)
        return lines

    def source(self, family):
        lines = []
        for t in family.types:
            lines += ["AnsiString %s::toXML() const {" % t.name,
                      "  StringBuffer out;",
                      "  appendXML(out);",
                      "  return out.ToAnsiString();",
                      "}", ""]
            for writer in WRITERS[t.kind]:
                lines += writer(t)
                lines.append("")
        return "\n".join(lines)


BINARY_ORDER = {"record": "the fields in order",
                "variant": "the tag, then the payload if the case has one",
                "array": "the count, then the elements in order"}
TREE_SHAPE = {"record": "record keyed by field name",
              "variant": "variant named after the case (the int -1 for a case without payload)",
              "array": "array"}
BAD_BINARY = {"variant": "an unknown tag", "array": "a negative count"}
FROM_TREE = {
    "record": "fields are looked up by name. A missing name or a value of another kind fails as the "
              "SimpleData accessors do.",
    "variant": "the first case whose name matches decides. Throws Exception(\"<T>::fromSimpleData\") "
               "when none does.",
    "array": "a value of another kind fails as the SimpleData accessors do.",
}


# --- one value of a member's type -------------------------------------------

def _xml(type_name, name, value):
    if type_name == "string":
        return ['%stextElement(out, "%s", %s);' % (NS, name, value)]
    if type_name == "int":
        return ['%sintElement(out, "%s", %s);' % (NS, name, value)]
    return ['%sopenTag(out, "%s");' % (NS, name),
            "%s.appendXML(out);" % value,
            '%scloseTag(out, "%s");' % (NS, name)]


def _write(type_name, value):
    if type_name == "string":
        return "out.writeString(%s);" % value
    if type_name == "int":
        return "out.writeInt(%s);" % value
    return "%s.toBinary(out);" % value


def _read(type_name):
    if type_name == "string":
        return NS + "readString(in)"
    if type_name == "int":
        return NS + "readInt(in)"
    return "%s::fromBinary(in)" % type_name


def _tree(type_name, value):
    if is_scalar(type_name):
        return "SimpleData(%s)" % value
    return "%s.toSimpleData()" % value


def _from_tree(type_name, tree):
    if type_name == "string":
        return "%s.asString()" % tree
    if type_name == "int":
        return "%s.asInt()" % tree
    return "%s::fromSimpleData(%s)" % (type_name, tree)


def _cpp(type_name):
    return {"string": "AnsiString", "int": "int"}.get(type_name, type_name)


def _indent(lines, by="  "):
    return [by + line for line in lines]


# --- records ----------------------------------------------------------------

def _record_xml(t):
    lines = ["void %s::appendXML(StringBuffer& out) const {" % t.name,
             '  %sopenTag(out, "%s");' % (NS, t.name)]
    for f in t.fields:
        lines += _indent(_xml(f.type, f.name, f.name + "_"))
    lines += ['  %scloseTag(out, "%s");' % (NS, t.name), "}"]
    return lines


def _record_binary(t):
    lines = ["void %s::toBinary(BinaryWriter& out) const {" % t.name]
    lines += ["  " + _write(f.type, f.name + "_") for f in t.fields]
    lines += ["}", "",
              "%s %s::fromBinary(BinaryReader& in) {" % (t.name, t.name)]
    lines += ["  %s %s = %s;" % (_cpp(f.type), f.name, _read(f.type)) for f in t.fields]
    lines += ["  return %s;" % _construct(t), "}"]
    return lines


def _construct(t):
    return "%s(%s)" % (t.name, ", ".join(
        f.name if f.type == "int" else "std::move(%s)" % f.name for f in t.fields))


def _record_tree(t):
    lines = ["SimpleData %s::toSimpleData() const {" % t.name,
             "  SimpleData tree{SimpleRecord()};",
             "  SimpleRecord& record = tree.asRecord();"]
    lines += ['  record.set("%s", %s);' % (f.name, _tree(f.type, f.name + "_")) for f in t.fields]
    lines += ["  return tree;", "}", "",
              "%s %s::fromSimpleData(const SimpleData& tree) {" % (t.name, t.name),
              "  const SimpleRecord& record = tree.asRecord();"]
    lines += ['  %s %s = %s;' % (_cpp(f.type), f.name, _from_tree(f.type, 'record.get("%s")' % f.name))
              for f in t.fields]
    lines += ["  return %s;" % _construct(t), "}"]
    return lines


# --- variants ---------------------------------------------------------------

def _payload(index):
    return "std::get<%d>(value_)" % index


def _variant_xml(t):
    lines = ["void %s::appendXML(StringBuffer& out) const {" % t.name,
             "  if (kind() < 0) %sthrowNoCase(\"%s::toXML(\", kind());" % (NS, t.name),
             '  %sopenTag(out, "%s");' % (NS, t.name),
             "  switch (value_.index()) {"]
    for index, c in enumerate(t.cases, start=1):
        if c.type:
            body = _xml(c.type, c.name, _payload(index))
        else:
            body = ['%semptyTag(out, "%s");' % (NS, c.name)]
        if len(body) == 1:
            lines.append("    case %d: %s break;" % (index, body[0]))
        else:
            lines += ["    case %d:" % index] + _indent(body, "      ") + ["      break;"]
    lines += ["  }", '  %scloseTag(out, "%s");' % (NS, t.name), "}"]
    return lines


def _variant_binary(t):
    lines = ["void %s::toBinary(BinaryWriter& out) const {" % t.name,
             "  out.writeInt(kind());",
             '  if (kind() < 0) throw Exception("%s::toBinary");' % t.name]
    payload_cases = [(index, c) for index, c in enumerate(t.cases, start=1) if c.type]
    if payload_cases:
        lines.append("  switch (value_.index()) {")
        for index, c in payload_cases:
            lines.append("    case %d: %s break;" % (index, _write(c.type, _payload(index))))
        lines.append("  }")
    lines += ["}", "",
              "%s %s::fromBinary(BinaryReader& in) {" % (t.name, t.name),
              "  switch (%sreadInt(in)) {" % NS]
    for tag, c in enumerate(t.cases):
        lines.append("    case %d: return %s::%s(%s);" % (tag, t.name, c.name, _read(c.type) if c.type else ""))
    lines += ['    default: throw Exception("%s::fromBinary");' % t.name, "  }", "}"]
    return lines


def _variant_tree(t):
    lines = ["SimpleData %s::toSimpleData() const {" % t.name,
             "  switch (value_.index()) {"]
    for index, c in enumerate(t.cases, start=1):
        value = _tree(c.type, _payload(index)) if c.type else "SimpleData(-1)"
        lines.append('    case %d: return %scaseTree("%s", %s);' % (index, NS, c.name, value))
    lines += ['    default: throw Exception("%s::toSimpleData");' % t.name, "  }", "}", "",
              "%s %s::fromSimpleData(const SimpleData& tree) {" % (t.name, t.name),
              "  const SimpleVariant& variant = tree.asVariant();"]
    for c in t.cases:
        payload = _from_tree(c.type, 'variant.as("%s")' % c.name) if c.type else ""
        lines.append('  if (variant.is("%s")) return %s::%s(%s);' % (c.name, t.name, c.name, payload))
    lines += ['  throw Exception("%s::fromSimpleData");' % t.name, "}"]
    return lines


# --- arrays -----------------------------------------------------------------

def _array_xml(t):
    return ["void %s::appendXML(StringBuffer& out) const {" % t.name,
            '  %sopenTag(out, "%s");' % (NS, t.name),
            "  for (int i = 0; i < Count(); ++i) (*this)[i].appendXML(out);",
            '  %scloseTag(out, "%s");' % (NS, t.name),
            "}"]


def _array_binary(t):
    return ["void %s::toBinary(BinaryWriter& out) const {" % t.name,
            "  out.writeInt(Count());",
            "  for (int i = 0; i < Count(); ++i) (*this)[i].toBinary(out);",
            "}", "",
            "%s %s::fromBinary(BinaryReader& in) {" % (t.name, t.name),
            '  const int count = %sreadCount(in, "%s::fromBinary");' % (NS, t.name),
            "  %s elements;" % t.name,
            "  for (int i = 0; i < count; ++i) elements.Add(%s::fromBinary(in));" % t.element,
            "  return elements;",
            "}"]


def _array_tree(t):
    return ["SimpleData %s::toSimpleData() const {" % t.name,
            "  SimpleData tree{SimpleArray()};",
            "  SimpleArray& array = tree.asArray();",
            "  for (int i = 0; i < Count(); ++i) array.Add((*this)[i].toSimpleData());",
            "  return tree;",
            "}", "",
            "%s %s::fromSimpleData(const SimpleData& tree) {" % (t.name, t.name),
            "  const SimpleArray& array = tree.asArray();",
            "  %s elements;" % t.name,
            "  for (int i = 0; i < array.Count(); ++i) elements.Add(%s::fromSimpleData(array[i]));"
            % t.element,
            "  return elements;",
            "}"]


WRITERS = {"record": [_record_tree, _record_binary, _record_xml],
           "variant": [_variant_tree, _variant_binary, _variant_xml],
           "array": [_array_tree, _array_binary, _array_xml]}
