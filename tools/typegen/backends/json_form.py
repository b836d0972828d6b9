"""The JSON form: toJSON and a positional fromJSON.

The writer writes compact JSON with the keys in field order. The reader takes
a record's values strictly by position and never compares keys; the shared
scanning rules live in print/json_form.h, which the generated code calls.
Each type gets two readers that agree: a single-pass one for compact JSON,
and the positional one (readByPosition) that takes any text and is used when
the first gives up.

Served shapes: records of string and family fields, arrays, and variants
whose cases either all carry a payload (written {"type":K,"value":<payload>})
or all carry none (written {"type":K,"value":0}); at most ten cases, since
the tag is read as one digit.
"""

from backends.base import BackendBase, DescriptionError
from cpp import upper_first
from model import is_scalar

SUPPORT = "print/json_form.h"


def _kinds(t):
    with_payload = [c for c in t.cases if c.type]
    return len(with_payload), len(t.cases) - len(with_payload)


class Backend(BackendBase):
    def check(self, family):
        for t in family.types:
            for used in t.used_types():
                if is_scalar(used) and used != "string":
                    raise DescriptionError("json_form: %s uses the scalar %s; only string is served"
                                           % (t.name, used))
            if t.kind == "variant":
                payloads, bare = _kinds(t)
                if payloads and bare:
                    raise DescriptionError("json_form: %s mixes cases with and without payload" % t.name)
                if len(t.cases) > 10:
                    raise DescriptionError("json_form: %s has more than ten cases" % t.name)

    def header_includes(self):
        return ["<string_view>", "runtime/ansi_string.h", "runtime/string_buffer.h"]

    def source_includes(self):
        return ["<string_view>", SUPPORT]

    def members(self, t):
        names = []
        if t.kind == "variant":
            names = [
                "// The cases' names, in tag order, as the name form {\"<case name>\":...} spells them.",
                "static constexpr const char* kCaseNames[] = {%s};"
                % ", ".join('"%s"' % c.name for c in t.cases),
                "static constexpr int kCaseCount = %d;" % len(t.cases),
            ]
        return names + [
            "// Compact JSON, keys in field order. Throws Exception(\"<Type>::toJSON(<kind>)\")",
            "// for a variant, here or inside, that holds no case.",
            "virtual AnsiString toJSON() const;",
            "// Appends toJSON() to `out`.",
            "void appendJSON(StringBuffer& out) const;",
            "// Reads the value from JSON as toJSON writes it, taking values by position",
            "// (keys are never compared). Throws Exception(\"%s::fromJSON\"), or the" % t.name,
            "// failure of a nested type or of a text value (\"String::FromJSON\").",
            "static %s fromJSON(const AnsiString& json);" % t.name,
            "// fromJSON over a part of a larger text; `json` must outlive the call only.",
            "static %s readJSON(std::string_view json);" % t.name,
            "// What readJSON does with text that is not compact JSON: each value's text",
            "// cut out before it is read. For compact JSON, the value readJSON reads too.",
            "static %s readByPosition(std::string_view json);" % t.name,
        ]

    def source(self, family):
        lines = ["namespace {", ""]
        for t in family.types:
            lines += COMPACT_READERS[t.kind](t)
            lines.append("")
        lines += ["}  // namespace", ""]
        for t in family.types:
            lines += [
                "AnsiString %s::toJSON() const {" % t.name,
                "  StringBuffer out;",
                "  appendJSON(out);",
                "  return out.ToAnsiString();",
                "}", "",
                "%s %s::fromJSON(const AnsiString& json) { return readJSON(json.str()); }" % (t.name, t.name),
                "",
            ]
            lines += WRITERS[t.kind](t)
            lines.append("")
            lines += ["%s %s::readJSON(std::string_view json) {" % (t.name, t.name),
                      "  return json_form::readEither<%s>(json, %s, readByPosition);"
                      % (t.name, _compact(t.name)),
                      "}", ""]
            lines += READERS[t.kind](t)
            lines.append("")
        return "\n".join(lines)


def _read_value(type_name, raw):
    if type_name == "string":
        return "json_form::readString(%s)" % raw
    return "%s::readByPosition(%s)" % (type_name, raw)


def _compact(type_name):
    return "compact" + type_name


def _read_compact(type_name):
    if type_name == "string":
        return "in.readString()"
    return "%s(in)" % _compact(type_name)


def _write_value(type_name, member):
    if type_name == "string":
        return "json_form::writeString(out, %s);" % member
    return "%s.appendJSON(out);" % member


def _record_writer(t):
    lines = ["void %s::appendJSON(StringBuffer& out) const {" % t.name]
    for index, f in enumerate(t.fields):
        opening = ("{" if index == 0 else ",") + '\\"%s\\":' % f.name
        lines.append('  json_form::appendLiteral(out, "%s");' % opening)
        lines.append("  " + _write_value(f.type, f.name + "_"))
    lines += ["  out.AppendChar('}');", "}"]
    return lines


def _record_reader(t):
    n = len(t.fields)
    lines = ["%s %s::readByPosition(std::string_view json) {" % (t.name, t.name),
             "  std::string_view raw[%d];" % n,
             '  json_form::splitFields(json, raw, %d, "%s::fromJSON");' % (n, t.name)]
    if n > 1:
        lines.append("  // Last field first: of several malformed fields, the last one is reported.")
    for index in reversed(range(n)):
        f = t.fields[index]
        lines.append("  %s %s = %s;" % (_cpp(f.type), f.name, _read_value(f.type, "raw[%d]" % index)))
    args = ", ".join("std::move(%s)" % f.name for f in t.fields)
    lines += ["  return %s(%s);" % (t.name, args), "}"]
    return lines


def _cpp(type_name):
    return "AnsiString" if type_name == "string" else type_name


def _names(t):
    return "%s::kCaseNames" % t.name


def _compact_record_reader(t):
    lines = ["%s %s(json_form::CompactReader& in) {" % (t.name, _compact(t.name))]
    for index, f in enumerate(t.fields):
        lines.append("  in.%s();" % ("openRecord" if index == 0 else "nextField"))
        lines.append("  %s %s = %s;" % (_cpp(f.type), f.name, _read_compact(f.type)))
    args = ", ".join("std::move(%s)" % f.name for f in t.fields)
    lines += ["  in.closeRecord();", "  return %s(%s);" % (t.name, args), "}"]
    return lines


def _compact_variant_reader(t):
    payloads, _ = _kinds(t)
    n = len(t.cases)
    opening = "openPayloadCase" if payloads else "readBareCase"
    lines = ["%s %s(json_form::CompactReader& in) {" % (t.name, _compact(t.name)),
             "  %s value;" % t.name,
             "  switch (in.%s(%s, %d)) {" % (opening, _names(t), n)]
    for index, c in enumerate(t.cases):
        label = "default" if index == n - 1 else "case %d" % index
        lines.append("    %s: value.set%s(%s); break;" % (label, upper_first(c.name),
                                                          _read_compact(c.type) if c.type else ""))
    lines.append("  }")
    if payloads:
        lines.append("  in.closePayloadCase();")
    lines += ["  return value;", "}"]
    return lines


def _compact_array_reader(t):
    return ["%s %s(json_form::CompactReader& in) {" % (t.name, _compact(t.name)),
            "  %s elements;" % t.name,
            "  for (bool more = in.openArray(); more; more = in.nextElement()) {",
            "    // Add copies; an empty element is cheap to copy, and the one read moves in.",
            "    elements.Add(%s());" % _cpp(t.element),
            "    elements[elements.Count() - 1] = %s;" % _read_compact(t.element),
            "  }",
            "  return elements;",
            "}"]


def _variant_writer(t):
    payloads, _ = _kinds(t)
    n = len(t.cases)
    lines = ["void %s::appendJSON(StringBuffer& out) const {" % t.name]
    if not payloads:
        lines.append('  json_form::writeBareCase(out, kind(), %d, "%s::toJSON(");' % (n, t.name))
    else:
        lines += ['  json_form::openPayloadCase(out, kind(), %d, "%s::toJSON(");' % (n, t.name),
                  "  switch (value_.index()) {"]
        for index, c in enumerate(t.cases, start=1):
            lines.append("    case %d: std::get<%d>(value_).appendJSON(out); break;" % (index, index))
        lines += ["  }", "  out.AppendChar('}');"]
    lines.append("}")
    return lines


def _variant_reader(t):
    payloads, _ = _kinds(t)
    n = len(t.cases)
    lines = ["%s %s::readByPosition(std::string_view json) {" % (t.name, t.name)]
    if not payloads:
        lines += ["  switch (json_form::readBareCase(json, %s, %d, \"%s::fromJSON\")) {" % (_names(t), n, t.name)]
        for index, c in enumerate(t.cases):
            label = "default" if index == n - 1 else "case %d" % index
            lines.append("    %s: return %s::%s();" % (label, t.name, c.name))
        lines.append("  }")
    else:
        lines += ["  const json_form::CaseText found =",
                  "      json_form::readPayloadCase(json, %s, %d, \"%s::fromJSON\");" % (_names(t), n, t.name),
                  "  switch (found.kind) {"]
        for index, c in enumerate(t.cases):
            label = "default" if index == n - 1 else "case %d" % index
            lines.append("    %s: return %s::%s(%s);" % (label, t.name, c.name, _read_value(c.type, "found.text")))
        lines.append("  }")
    lines.append("}")
    return lines


def _array_writer(t):
    return ["void %s::appendJSON(StringBuffer& out) const {" % t.name,
            "  out.AppendChar('[');",
            "  for (int i = 0; i < Count(); ++i) {",
            "    if (i > 0) out.AppendChar(',');",
            "    " + _write_value(t.element, "(*this)[i]"),
            "  }",
            "  out.AppendChar(']');",
            "}"]


def _array_reader(t):
    return ["%s %s::readByPosition(std::string_view json) {" % (t.name, t.name),
            "  %s elements;" % t.name,
            '  json_form::ArrayReader reader(json, "%s::fromJSON");' % t.name,
            "  for (std::string_view element; reader.next(element);) {",
            "    // Add copies; an empty element is cheap to copy, and the one read moves in.",
            "    elements.Add(%s());" % _cpp(t.element),
            "    elements[elements.Count() - 1] = %s;" % _read_value(t.element, "element"),
            "  }",
            "  return elements;",
            "}"]


WRITERS = {"record": _record_writer, "variant": _variant_writer, "array": _array_writer}
READERS = {"record": _record_reader, "variant": _variant_reader, "array": _array_reader}
COMPACT_READERS = {"record": _compact_record_reader, "variant": _compact_variant_reader,
                   "array": _compact_array_reader}
