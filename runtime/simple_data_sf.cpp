#include "runtime/simple_data_sf.h"

#include "runtime/exception.h"
#include "runtime/sf_parse.h"

namespace {

// Shared, not rebuilt per node; AnsiString copies may cross threads.
const AnsiString& KindName(SimpleDataKind kind) {
  static const AnsiString names[] = {"string", "int", "record", "array", "variant", "binary"};
  return names[kind - kSimpleString];
}

void CheckDepth(int depth) {
  if (depth > kMaxSFDepth) throw Exception("SimpleData::toSFData, too deep");
}

SFData Pair(SimpleDataKind kind, const SFData& value) {
  RefDynSet<SFData> pair;
  pair.Add(SFData(KindName(kind)));
  pair.Add(value);
  return SFData(pair);
}

// Each function writes a pair at nesting depth `depth`: its inner list lies
// at depth + 1 and the values in that list at depth + 2.
template <typename Node>
SFData ValueToSF(const Node& node, int depth);

SFData RecordToSF(const SimpleRecord& record, int depth) {
  CheckDepth(depth + 1);
  RefDynSet<SFData> members;
  for (int i = 0; i < record.Count(); ++i) {
    const RecordElem& elem = record.elemAt(i);
    members.Add(SFData(elem.name()));
    members.Add(ValueToSF(elem.value(), depth + 2));
  }
  return Pair(kSimpleRecord, SFData(members));
}

SFData ArrayToSF(const SimpleArray& array, int depth) {
  CheckDepth(depth + 1);
  RefDynSet<SFData> elements;
  for (int i = 0; i < array.Count(); ++i) elements.Add(ValueToSF(array[i], depth + 2));
  return Pair(kSimpleArray, SFData(elements));
}

SFData VariantToSF(const SimpleVariant& variant, int depth) {
  CheckDepth(depth + 1);
  RefDynSet<SFData> pair;
  pair.Add(SFData(variant.caseName()));
  pair.Add(ValueToSF(variant.as(variant.caseName()), depth + 2));
  return Pair(kSimpleVariant, SFData(pair));
}

// Node is SimpleDataBase for the root and SimpleData below it.
template <typename Node>
SFData ValueToSF(const Node& node, int depth) {
  CheckDepth(depth);
  switch (node.kind()) {
    case kSimpleString:
      return Pair(kSimpleString, SFData(node.asString()));
    case kSimpleInt:
      return Pair(kSimpleInt, SFData(AnsiString(node.asInt())));
    case kSimpleRecord:
      return RecordToSF(node.asRecord(), depth);
    case kSimpleArray:
      return ArrayToSF(node.asArray(), depth);
    case kSimpleVariant:
      return VariantToSF(node.asVariant(), depth);
    case kSimpleBinary:
      throw Exception("SimpleData::toSFData, Binary, NotImplemented");
    default:
      throw Exception("SimpleData::toSFData");
  }
}

// The list of an array node, or SimpleDataException.
const RefDynSet<SFData>& ListOf(const SFData& value) {
  if (!value.isArray()) throw SimpleDataException();
  return value.asArray();
}

// value is an array at nesting depth `depth`.
SimpleData FromSF(const SFData& value, int depth) {
  if (depth > kMaxSFDepth) throw SimpleDataException();
  const RefDynSet<SFData>& pair = ListOf(value);
  if (pair.Count() != 2 || !pair[0].isText()) throw SimpleDataException();
  const AnsiString& kind = pair[0].asText();
  const SFData& payload = pair[1];

  if (kind == KindName(kSimpleString)) {
    if (!payload.isText()) throw SimpleDataException();
    return SimpleData(payload.asText());
  }
  if (kind == KindName(kSimpleInt)) {
    if (!payload.isText()) throw SimpleDataException();
    try {
      return SimpleData(payload.asText().ToInt());
    } catch (const AnsiString&) {
      throw SimpleDataException();
    }
  }
  if (kind == KindName(kSimpleRecord)) {
    const RefDynSet<SFData>& members = ListOf(payload);
    if (members.Count() % 2 != 0) throw SimpleDataException();
    SimpleData result{SimpleRecord()};
    SimpleRecord& record = result.asRecord();
    for (int i = 0; i < members.Count(); i += 2) {
      if (!members[i].isText()) throw SimpleDataException();
      record.set(members[i].asText(), FromSF(members[i + 1], depth + 2));
    }
    return result;
  }
  if (kind == KindName(kSimpleArray)) {
    const RefDynSet<SFData>& elements = ListOf(payload);
    SimpleData result{SimpleArray()};
    SimpleArray& array = result.asArray();
    for (int i = 0; i < elements.Count(); ++i) array.Add(FromSF(elements[i], depth + 2));
    return result;
  }
  if (kind == KindName(kSimpleVariant)) {
    const RefDynSet<SFData>& variant = ListOf(payload);
    if (variant.Count() != 2 || !variant[0].isText()) throw SimpleDataException();
    return SimpleData(SimpleVariant(variant[0].asText(), FromSF(variant[1], depth + 2)));
  }
  if (kind == KindName(kSimpleBinary)) {
    throw Exception("SimpleData::fromSFData, Binary, not implemented");
  }
  throw Exception("SimpleData::fromSFData");
}

}  // namespace

SFData SimpleDataBase::toSFData() const { return ValueToSF(*this, 1); }

SFData SimpleRecord::toSFData() const { return RecordToSF(*this, 1); }

SFData SimpleArray::toSFData() const { return ArrayToSF(*this, 1); }

SFData SimpleVariant::toSFData() const { return VariantToSF(*this, 1); }

SimpleData fromSFData(const SFData& value) { return FromSF(value, 1); }

Option<SimpleData> parseSimpleData(const AnsiString& text) {
  const Option<SFData> value = parseSFText(text);
  if (value.isNone()) return Option<SimpleData>();
  try {
    return Option<SimpleData>(fromSFData(value.asValue()));
  } catch (const SimpleDataException&) {
    return Option<SimpleData>();
  }
}
