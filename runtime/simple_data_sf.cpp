#include "runtime/simple_data_sf.h"

#include <array>
#include <climits>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/exception.h"
#include "runtime/sf_parse.h"
#include "runtime/sf_token.h"

namespace {

// Shared, not rebuilt per node; AnsiString copies may cross threads.
const AnsiString& KindName(SimpleDataKind kind) {
  static const AnsiString names[] = {"string", "int", "record", "array", "variant", "binary"};
  return names[kind - kSimpleString];
}

// ---- Writing ---------------------------------------------------------------
//
// One walk serves both SF forms of a tree: it reports the SF arrays and texts
// of each node to a sink, which either builds the SFData tree (SFTreeBuilder)
// or writes its text straight away (SFTextWriter).

// Builds the SFData tree of a walk.
class SFTreeBuilder {
 public:
  void Open() { open_.emplace_back(); }
  void Close() {
    const SFData done(open_.back());
    open_.pop_back();
    Add(done);
  }
  void Text(const AnsiString& text) { Add(SFData(text)); }
  void Int(int value) { Text(AnsiString(value)); }
  SFData Take() { return *done_; }

 private:
  void Add(const SFData& value) {
    if (open_.empty()) {
      done_.emplace(value);
    } else {
      open_.back().Add(value);
    }
  }

  std::vector<RefDynSet<SFData>> open_;  // arrays not yet closed
  std::optional<SFData> done_;
};

void CheckDepth(int depth) {
  if (depth > kMaxSFDepth) throw Exception("SimpleData::toSFData, too deep");
}

// Each walk reports a pair at nesting depth `depth`: its inner list lies at
// depth + 1 and the values in that list at depth + 2.
template <typename Node, typename Sink>
void Walk(const Node& node, int depth, Sink& sink);

template <typename Sink>
void WalkRecord(const SimpleRecord& record, int depth, Sink& sink) {
  CheckDepth(depth + 1);
  sink.Open();
  sink.Text(KindName(kSimpleRecord));
  sink.Open();
  for (int i = 0; i < record.Count(); ++i) {
    const RecordElem& elem = record.elemAt(i);
    sink.Text(elem.name());
    Walk(elem.value(), depth + 2, sink);
  }
  sink.Close();
  sink.Close();
}

template <typename Sink>
void WalkArray(const SimpleArray& array, int depth, Sink& sink) {
  CheckDepth(depth + 1);
  sink.Open();
  sink.Text(KindName(kSimpleArray));
  sink.Open();
  for (int i = 0; i < array.Count(); ++i) Walk(array[i], depth + 2, sink);
  sink.Close();
  sink.Close();
}

template <typename Sink>
void WalkVariant(const SimpleVariant& variant, int depth, Sink& sink) {
  CheckDepth(depth + 1);
  sink.Open();
  sink.Text(KindName(kSimpleVariant));
  sink.Open();
  sink.Text(variant.caseName());
  Walk(variant.as(variant.caseName()), depth + 2, sink);
  sink.Close();
  sink.Close();
}

// Node is SimpleDataBase for the root and SimpleData below it.
template <typename Node, typename Sink>
void Walk(const Node& node, int depth, Sink& sink) {
  CheckDepth(depth);
  switch (node.kind()) {
    case kSimpleString:
      sink.Open();
      sink.Text(KindName(kSimpleString));
      sink.Text(node.asString());
      sink.Close();
      return;
    case kSimpleInt:
      sink.Open();
      sink.Text(KindName(kSimpleInt));
      sink.Int(node.asInt());
      sink.Close();
      return;
    case kSimpleRecord: return WalkRecord(node.asRecord(), depth, sink);
    case kSimpleArray: return WalkArray(node.asArray(), depth, sink);
    case kSimpleVariant: return WalkVariant(node.asVariant(), depth, sink);
    case kSimpleBinary: throw Exception("SimpleData::toSFData, Binary, NotImplemented");
    default: throw Exception("SimpleData::toSFData");
  }
}

template <typename Value>
SFData BuildSF(const Value& value, void (*walk)(const Value&, int, SFTreeBuilder&)) {
  SFTreeBuilder builder;
  walk(value, 1, builder);
  return builder.Take();
}

// ---- Reading: the reference path -------------------------------------------

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

// ---- Reading: the direct path ----------------------------------------------

// Reads well-formed text straight into a tree, without the SFData tree in
// between. It accepts only text that the reference path (parseSFText, then
// fromSFData) turns into a tree, and builds the same tree; at anything else
// it gives up, without making an Exception, and the reference path decides
// the answer. Nesting is bounded as there, so the recursion is too.
class DirectReader {
 public:
  explicit DirectReader(const std::string& text)
      : at_(text.data()), end_(text.data() + text.size()) {}

  // The tree, or nothing when the reference path must decide.
  std::optional<SimpleData> Read() {
    try {
      SimpleData tree = Value(1);
      SkipBlanks();
      if (at_ == end_) return tree;
    } catch (const GiveUp&) {
    }
    return std::nullopt;
  }

 private:
  struct GiveUp {};

  void SkipBlanks() {
    while (at_ != end_ && (*at_ == ' ' || *at_ == '\n' || *at_ == '\r')) ++at_;
  }
  bool Next(char token) {
    SkipBlanks();
    if (at_ == end_ || *at_ != token) return false;
    ++at_;
    return true;
  }
  void Expect(char token) {
    if (!Next(token)) throw GiveUp();
  }
  // The raw bytes of the next text token.
  std::string_view Raw() {
    Expect('"');
    const char* close = static_cast<const char*>(std::memchr(at_, '"', end_ - at_));
    if (close == nullptr) throw GiveUp();
    std::string_view raw(at_, close - at_);
    at_ = close + 1;
    return raw;
  }
  AnsiString Text() { return Unescaped(Raw()); }
  AnsiString Unescaped(std::string_view raw) {
    if (std::memchr(raw.data(), '\\', raw.size()) == nullptr) {
      return AnsiString(raw.data(), static_cast<int>(raw.size()));
    }
    std::string text;
    if (!UnescapeSF(raw.data(), raw.size(), text, true)) throw GiveUp();
    return AnsiString(std::move(text));
  }
  // Member names repeat from record to record: each distinct name is made
  // once and shared, which saves an allocation per member. A name is known
  // by its raw bytes, never by its read text: "\#92;#1;" reads as the raw
  // bytes of another name.
  AnsiString Name() {
    const std::string_view raw = Raw();
    KnownName& known = names_[std::hash<std::string_view>()(raw) % names_.size()];
    if (known.raw != raw) {
      known.name = Unescaped(raw);
      known.raw.assign(raw);
    }
    return known.name;
  }
  // A plain decimal text, as ToInt reads it when it has an optional minus and
  // up to nine digits; anything else is left to the reference path.
  int Int() {
    const std::string_view raw = Raw();
    const bool negative = !raw.empty() && raw[0] == '-';
    const std::string_view digits = raw.substr(negative ? 1 : 0);
    if (digits.empty() || digits.size() > 9) throw GiveUp();
    int value = 0;
    for (char c : digits) {
      if (c < '0' || c > '9') throw GiveUp();
      value = value * 10 + (c - '0');
    }
    return negative ? -value : value;
  }

  // "[", then elements separated by ",", each read by `element`, then "]".
  template <typename ReadElement>
  void List(ReadElement element) {
    Expect('[');
    if (Next(']')) return;
    do {
      element();
    } while (Next(','));
    Expect(']');
  }

  // A pair at nesting depth `depth`, its list at depth + 1.
  SimpleData Value(int depth) {
    if (depth + 1 > kMaxSFDepth) throw GiveUp();
    Expect('[');
    const std::string_view kind = Raw();
    Expect(',');
    std::optional<SimpleData> value;
    if (kind == "string") {
      value.emplace(Text());
    } else if (kind == "int") {
      value.emplace(Int());
    } else if (kind == "record") {
      value.emplace(SimpleRecord());
      SimpleRecord& record = value->asRecord();
      List([&] {
        const AnsiString name = Name();
        Expect(',');
        record.set(name, Value(depth + 2));
      });
    } else if (kind == "array") {
      value.emplace(SimpleArray());
      SimpleArray& array = value->asArray();
      List([&] { array.Add(Value(depth + 2)); });
    } else if (kind == "variant") {
      Expect('[');
      const AnsiString name = Text();
      Expect(',');
      value.emplace(SimpleVariant(name, Value(depth + 2)));
      Expect(']');
    } else {
      throw GiveUp();
    }
    Expect(']');
    return *value;
  }

  struct KnownName {
    std::string raw;
    AnsiString name;
  };

  const char* at_;
  const char* end_;
  std::array<KnownName, 64> names_;
};

}  // namespace

SFData SimpleDataBase::toSFData() const {
  return BuildSF(*this, Walk<SimpleDataBase, SFTreeBuilder>);
}

AnsiString SimpleDataBase::toString() const {
  SFTextWriter writer;
  Walk(*this, 1, writer);
  return writer.Take();
}

SFData SimpleRecord::toSFData() const { return BuildSF(*this, WalkRecord<SFTreeBuilder>); }

SFData SimpleArray::toSFData() const { return BuildSF(*this, WalkArray<SFTreeBuilder>); }

SFData SimpleVariant::toSFData() const { return BuildSF(*this, WalkVariant<SFTreeBuilder>); }

SimpleData fromSFData(const SFData& value) { return FromSF(value, 1); }

Option<SimpleData> parseSimpleData(const AnsiString& text) {
  if (text.str().size() < static_cast<size_t>(INT_MAX)) {
    if (std::optional<SimpleData> tree = DirectReader(text.str()).Read()) {
      return Option<SimpleData>(*tree);
    }
  }
  const Option<SFData> value = parseSFText(text);
  if (value.isNone()) return Option<SimpleData>();
  try {
    return Option<SimpleData>(fromSFData(value.asValue()));
  } catch (const SimpleDataException&) {
    return Option<SimpleData>();
  }
}
