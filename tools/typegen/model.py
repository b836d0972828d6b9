"""The description of a family: parsing, checking and ordering its types."""

import os
import re
from dataclasses import dataclass, field
from typing import List, Optional

SCALARS = ("string", "int", "bool", "binary")

# Names that cannot become C++ members or classes.
CPP_KEYWORDS = frozenset("""
    alignas alignof and and_eq asm auto bitand bitor bool break case catch char
    char16_t char32_t class compl const constexpr const_cast continue decltype
    default delete do double dynamic_cast else enum explicit export extern false
    float for friend goto if inline int long mutable namespace new noexcept not
    not_eq nullptr operator or or_eq private protected public register
    reinterpret_cast return short signed sizeof static static_assert static_cast
    struct switch template this thread_local throw true try typedef typeid
    typename union unsigned using virtual void volatile wchar_t while xor xor_eq
""".split())

IDENTIFIER = re.compile(r"[A-Za-z_][A-Za-z0-9_]*$")


class DescriptionError(Exception):
    pass


@dataclass
class Member:
    """A record field or a variant case. A case without payload has type None."""
    name: str
    type: Optional[str]
    comment: str = ""


@dataclass
class Type:
    kind: str  # "record", "variant" or "array"
    name: str
    comment: str = ""
    members: List[Member] = field(default_factory=list)  # fields or cases
    element: Optional[str] = None  # arrays only
    line: int = 0

    @property
    def fields(self):
        return self.members

    @property
    def cases(self):
        return self.members

    def used_types(self):
        """Every type name this type mentions, scalars included."""
        if self.kind == "array":
            return [self.element]
        return [m.type for m in self.members if m.type is not None]


@dataclass
class Family:
    stem: str            # file name without extension: names the generated files
    source: str          # the description file, as given
    comment: str
    types: List[Type]    # in an order where every type follows those it uses

    def type(self, name):
        for t in self.types:
            if t.name == name:
                return t
        return None


def is_scalar(type_name):
    return type_name in SCALARS


def _split_comment(line):
    text, _, comment = line.partition("#")
    return text.strip(), comment.strip()


def _check_identifier(name, what, line_number):
    if not IDENTIFIER.match(name) or name in CPP_KEYWORDS:
        raise DescriptionError("line %d: %r is not usable as a %s name" % (line_number, name, what))


def parse(text, source="<description>"):
    stem = os.path.splitext(os.path.basename(source))[0]
    types = []
    family_comment = []
    pending_comment = []
    current = None
    seen_declaration = False

    for number, raw in enumerate(text.splitlines(), start=1):
        stripped = raw.strip()
        if not stripped:
            # A blank line ends a comment block: the first block documents the family.
            if pending_comment and not seen_declaration and not family_comment:
                family_comment, pending_comment = pending_comment, []
            continue
        words, comment = _split_comment(raw)
        if not words:
            pending_comment.append(comment)
            continue
        tokens = words.split()
        indented = raw[0] in " \t"

        if not indented:
            seen_declaration = True
            keyword = tokens[0]
            if keyword == "array":
                if len(tokens) != 4 or tokens[2] != "of":
                    raise DescriptionError("line %d: expected 'array <Type> of <Element>'" % number)
                current = Type("array", tokens[1], element=tokens[3], line=number)
            elif keyword in ("record", "variant"):
                if len(tokens) != 2:
                    raise DescriptionError("line %d: expected '%s <Type>'" % (number, keyword))
                current = Type(keyword, tokens[1], line=number)
            else:
                raise DescriptionError("line %d: unknown declaration %r" % (number, keyword))
            _check_identifier(current.name, "type", number)
            current.comment = " ".join(pending_comment + ([comment] if comment else []))
            pending_comment = []
            types.append(current)
            continue

        if current is None or current.kind == "array":
            raise DescriptionError("line %d: a member outside a record or variant" % number)
        if pending_comment:
            comment = " ".join(pending_comment + ([comment] if comment else []))
            pending_comment = []
        if current.kind == "record":
            if len(tokens) != 2:
                raise DescriptionError("line %d: expected '<field> <type>'" % number)
            member = Member(tokens[0], tokens[1], comment)
        else:
            if len(tokens) not in (1, 2):
                raise DescriptionError("line %d: expected '<case>' or '<case> <type>'" % number)
            member = Member(tokens[0], tokens[1] if len(tokens) == 2 else None, comment)
        _check_identifier(member.name, "member", number)
        current.members.append(member)

    family = Family(stem, source, " ".join(family_comment), types)
    _check(family)
    family.types = _dependency_order(family)
    return family


def parse_file(path):
    with open(path, encoding="utf-8") as f:
        return parse(f.read(), path)


def _check(family):
    names = set()
    for t in family.types:
        if t.name in names or is_scalar(t.name):
            raise DescriptionError("line %d: type %s declared twice" % (t.line, t.name))
        names.add(t.name)
    for t in family.types:
        if t.kind != "array" and not t.members:
            raise DescriptionError("line %d: %s has no members" % (t.line, t.name))
        member_names = [m.name for m in t.members]
        if len(set(member_names)) != len(member_names):
            raise DescriptionError("line %d: %s names a member twice" % (t.line, t.name))
        for used in t.used_types():
            if not is_scalar(used) and used not in names:
                raise DescriptionError("line %d: %s uses the unknown type %s" % (t.line, t.name, used))


def _dependency_order(family):
    """Declaration order, except that a type moves after the types it holds by value."""
    by_name = {t.name: t for t in family.types}
    ordered, state = [], {}

    def visit(t, path):
        if state.get(t.name) == "done":
            return
        if state.get(t.name) == "visiting":
            raise DescriptionError("types hold each other by value: %s" % " -> ".join(path + [t.name]))
        state[t.name] = "visiting"
        for used in t.used_types():
            if not is_scalar(used):
                visit(by_name[used], path + [t.name])
        state[t.name] = "done"
        ordered.append(t)

    for t in family.types:
        visit(t, [])
    return ordered
