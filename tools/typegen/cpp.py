"""The core C++ of a family: class skeletons every back-end builds on.

Records hold their fields by value; variants hold a std::variant whose
alternative 0 is the empty value and alternative k + 1 case k; arrays are
DynSet<Element>. Back-ends add their operations through Backend.members and
Backend.source (backends/base.py).
"""

import textwrap

from model import is_scalar

SCALAR_TYPES = {"string": "AnsiString", "int": "int", "bool": "bool", "binary": "Binary"}
SCALAR_INCLUDES = {"string": "runtime/ansi_string.h", "binary": "runtime/binary.h"}
SCALAR_DEFAULTS = {"int": " = 0", "bool": " = false"}


def upper_first(name):
    return name[:1].upper() + name[1:]


def cpp_type(type_name):
    return SCALAR_TYPES.get(type_name, type_name)


def by_value(type_name):
    """Small scalars travel by value; everything else by reference or move."""
    return type_name in ("int", "bool")


def comment_lines(text, indent="", width=78):
    if not text:
        return []
    return [indent + "// " + line for line in textwrap.wrap(text, width - len(indent) - 3)]


def equal(type_name, a, b):
    if type_name == "binary":
        return "sameBytes(%s, %s)" % (a, b)
    return "%s == %s" % (a, b)


def alternative_types(variant):
    return ["std::monostate"] + [cpp_type(c.type) if c.type else "std::monostate"
                                 for c in variant.cases]


# --- header -----------------------------------------------------------------

def _special_members(name):
    return [
        "%s(const %s&) = default;" % (name, name),
        "%s(%s&&) = default;" % (name, name),
        "%s& operator=(const %s&) = default;" % (name, name),
        "%s& operator=(%s&&) = default;" % (name, name),
    ]


def _record_class(t, backends):
    public = ["%s() = default;" % t.name]
    params = ", ".join("%s %s" % (cpp_type(f.type), f.name) for f in t.fields)
    explicit = "explicit " if len(t.fields) == 1 else ""
    public.append("%s%s(%s);" % (explicit, t.name, params))
    public += _special_members(t.name)
    public.append("")
    for f in t.fields:
        public += comment_lines(f.comment)
        public.append("virtual const %s& %s() const { return %s_; }" % (cpp_type(f.type), f.name, f.name))
    for f in t.fields:
        public.append("virtual %s& %s() { return %s_; }" % (cpp_type(f.type), f.name, f.name))
    private = ["%s %s_%s;" % (cpp_type(f.type), f.name, SCALAR_DEFAULTS.get(f.type, ""))
               for f in t.fields]
    return _class(t, None, public, private, backends)


def _variant_class(t, backends):
    public = ["// Empty: kind() is -1 and no is<Case> holds.",
              "%s() = default;" % t.name]
    public += _special_members(t.name)
    public.append("")
    public.append("// One named constructor per case.")
    for c in t.cases:
        public += comment_lines(c.comment)
        arg = "%s payload" % cpp_type(c.type) if c.type else ""
        public.append("static %s %s(%s);" % (t.name, c.name, arg))
    public.append("")
    public.append("// The tag of the case held (cases count from 0), -1 when empty.")
    public.append("int kind() const { return static_cast<int>(value_.index()) - 1; }")
    public.append("")
    public.append("// Makes the value that case, with a copy of the payload if it has one.")
    for c in t.cases:
        arg = "%s payload" % cpp_type(c.type) if c.type else ""
        public.append("virtual void set%s(%s);" % (upper_first(c.name), arg))
    public.append("// Makes the value empty.")
    public.append("virtual void clean();")
    for index, c in enumerate(t.cases, start=1):
        public.append("virtual bool is%s() const { return value_.index() == %d; }" % (upper_first(c.name), index))
    payload_cases = [c for c in t.cases if c.type]
    if payload_cases:
        public.append("// The payload; throw Exception(\"%s::as<Case>\") when another case is held."
                      % t.name)
        for c in payload_cases:
            public.append("virtual const %s& as%s() const;" % (cpp_type(c.type), upper_first(c.name)))
            public.append("virtual %s& as%s();" % (cpp_type(c.type), upper_first(c.name)))
    private = ["// Alternative 0 is the empty value; alternative k + 1 holds case k",
               "// (std::monostate for a case without payload).",
               "std::variant<%s> value_;" % ", ".join(alternative_types(t))]
    return _class(t, None, public, private, backends)


def _array_class(t, backends):
    # The implicit copy assignment would hide DynSet's virtual one.
    public = ["using DynSet<%s>::operator=;" % cpp_type(t.element)]
    return _class(t, "DynSet<%s>" % cpp_type(t.element), public, [], backends)


def _class(t, base, public, private, backends):
    lines = comment_lines(t.comment)
    lines.append("class %s%s {" % (t.name, " : public " + base if base else ""))
    lines.append(" public:")
    body = list(public)
    for backend in backends:
        extra = backend.members(t)
        if extra:
            if body:
                body.append("")
            body += extra
    if t.kind != "array":
        body += ["", "virtual ~%s();" % t.name, ""]
        body.append("friend bool operator==(const %s& a, const %s& b);" % (t.name, t.name))
        body.append("friend bool operator!=(const %s& a, const %s& b) { return !(a == b); }"
                    % (t.name, t.name))
    lines += [("  " + line) if line else "" for line in body]
    if private:
        lines.append("")
        lines.append(" private:")
        lines += ["  " + line for line in private]
    lines.append("};")
    if t.kind == "array":
        lines.append("")
        lines.append("bool operator==(const %s& a, const %s& b);" % (t.name, t.name))
        lines.append("inline bool operator!=(const %s& a, const %s& b) { return !(a == b); }"
                     % (t.name, t.name))
    return lines


CLASS_WRITERS = {"record": _record_class, "variant": _variant_class, "array": _array_class}


def header(family, backends, include_prefix):
    includes = {"runtime/dyn_set.h"}
    for t in family.types:
        for used in t.used_types():
            if used in SCALAR_INCLUDES:
                includes.add(SCALAR_INCLUDES[used])
    for backend in backends:
        includes.update(backend.header_includes())
    lines = _banner(family, backends)
    lines += ["#pragma once", ""]
    lines += _include_lines(includes | {"<utility>", "<variant>"})
    for t in family.types:
        lines.append("")
        lines += CLASS_WRITERS[t.kind](t, backends)
    return "\n".join(lines) + "\n"


def _include_lines(includes):
    """System headers ("<...>") first, then the project's, each group sorted."""
    system = sorted(i for i in includes if i.startswith("<"))
    own = sorted(i for i in includes if not i.startswith("<"))
    lines = ["#include %s" % i for i in system]
    if system and own:
        lines.append("")
    return lines + ['#include "%s"' % i for i in own]


def _banner(family, backends):
    names = ", ".join(type(b).__module__.split(".")[-1] for b in backends) or "none"
    lines = ["// Generated by tools/typegen from %s (back-ends: %s)." % (family.source, names),
             "// Edit the description, not this file.", "//"]
    lines += comment_lines(family.comment)
    lines += ["//",
              "// Values copy deeply and own everything they hold. Not synchronised: one",
              "// thread at a time per value.", ""]
    return lines


# --- source -----------------------------------------------------------------

def _record_definitions(t):
    params = ", ".join("%s %s" % (cpp_type(f.type), f.name) for f in t.fields)
    inits = ", ".join("%s_(%s)" % (f.name, f.name if by_value(f.type) else "std::move(%s)" % f.name)
                      for f in t.fields)
    lines = ["%s::%s(%s) : %s {}" % (t.name, t.name, params, inits), "",
             "%s::~%s() = default;" % (t.name, t.name), "",
             "bool operator==(const %s& a, const %s& b) {" % (t.name, t.name)]
    tests = [equal(f.type, "a.%s_" % f.name, "b.%s_" % f.name) for f in t.fields]
    lines.append("  return " + " &&\n         ".join(tests) + ";")
    lines.append("}")
    return lines


def _variant_definitions(t):
    lines = []
    for index, c in enumerate(t.cases, start=1):
        name = upper_first(c.name)
        arg = "%s payload" % cpp_type(c.type) if c.type else ""
        lines += ["%s %s::%s(%s) {" % (t.name, t.name, c.name, arg),
                  "  %s value;" % t.name,
                  "  value.set%s(%s);" % (name, "std::move(payload)" if c.type else ""),
                  "  return value;", "}", ""]
        stored = ("std::move(payload)" if not by_value(c.type) else "payload") if c.type else ""
        lines += ["void %s::set%s(%s) { value_.emplace<%d>(%s); }" % (t.name, name, arg, index, stored), ""]
        if c.type:
            for const in ("const ", ""):
                lines += ["%s%s& %s::as%s()%s {" % (const, cpp_type(c.type), t.name, name,
                                                     " const" if const else ""),
                          '  if (value_.index() != %d) throw Exception("%s::as%s");' % (index, t.name, name),
                          "  return std::get<%d>(value_);" % index, "}", ""]
    lines += ["void %s::clean() { value_.emplace<0>(); }" % t.name, "",
              "%s::~%s() = default;" % (t.name, t.name), "",
              "bool operator==(const %s& a, const %s& b) {" % (t.name, t.name),
              "  if (a.value_.index() != b.value_.index()) return false;",
              "  switch (a.value_.index()) {"]
    for index, c in enumerate(t.cases, start=1):
        if c.type:
            lines.append("    case %d: return %s;" % (index, equal(c.type, "std::get<%d>(a.value_)" % index,
                                                                  "std::get<%d>(b.value_)" % index)))
    lines += ["    default: return true;  // empty, or a case without payload", "  }", "}"]
    return lines


def _array_definitions(t):
    return ["bool operator==(const %s& a, const %s& b) {" % (t.name, t.name),
            "  if (a.Count() != b.Count()) return false;",
            "  for (int i = 0; i < a.Count(); ++i) {",
            "    if (!(%s)) return false;" % equal(t.element, "a[i]", "b[i]"),
            "  }",
            "  return true;", "}"]


DEFINITION_WRITERS = {"record": _record_definitions, "variant": _variant_definitions,
                      "array": _array_definitions}


def _uses_binary(family):
    return any("binary" in t.used_types() for t in family.types)


def source(family, backends, include_prefix):
    includes = {"runtime/exception.h"}
    for backend in backends:
        includes.update(backend.source_includes())
    lines = _banner(family, backends)
    lines.append('#include "%s/%s.h"' % (include_prefix, family.stem))
    lines.append("")
    if _uses_binary(family):
        includes.add("<cstring>")
    lines += _include_lines(includes)
    if _uses_binary(family):
        lines += ["", "namespace {", "",
                  "bool sameBytes(const Binary& a, const Binary& b) {",
                  "  return a.Size() == b.Size() &&",
                  "         (a.Size() == 0 || std::memcmp(a.Data(), b.Data(), a.Size()) == 0);",
                  "}", "", "}  // namespace"]
    for t in family.types:
        lines.append("")
        lines += DEFINITION_WRITERS[t.kind](t)
    for backend in backends:
        text = backend.source(family)
        if text:
            lines += ["", text.rstrip("\n")]
    return "\n".join(lines) + "\n"


def generate(family, backends, include_prefix):
    return header(family, backends, include_prefix), source(family, backends, include_prefix)
