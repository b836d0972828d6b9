#include "runtime/simple_data.h"

#include <string>
#include <unordered_map>

#include "runtime/exception.h"
#include "runtime/tree_release.h"

// ---- SimpleDataBase --------------------------------------------------------

void SimpleDataBase::Require(SimpleDataKind kind, const char* accessor) const {
  if (kind_ != kind) throw Exception(accessor);
}

bool SimpleDataBase::isString() const { return kind_ == kSimpleString; }
bool SimpleDataBase::isInt() const { return kind_ == kSimpleInt; }
bool SimpleDataBase::isRecord() const { return kind_ == kSimpleRecord; }
bool SimpleDataBase::isArray() const { return kind_ == kSimpleArray; }
bool SimpleDataBase::isVariant() const { return kind_ == kSimpleVariant; }
bool SimpleDataBase::isBinary() const { return kind_ == kSimpleBinary; }

const AnsiString& SimpleDataBase::asString() const {
  Require(kSimpleString, "SimpleData::asString");
  return stringValue_;
}
int SimpleDataBase::asInt() const {
  Require(kSimpleInt, "SimpleData::asInt");
  return intValue_;
}
const SimpleRecord& SimpleDataBase::asRecord() const {
  Require(kSimpleRecord, "SimpleData::asRecord");
  return recordValue_;
}
const SimpleArray& SimpleDataBase::asArray() const {
  Require(kSimpleArray, "SimpleData::asArray");
  return arrayValue_;
}
const SimpleVariant& SimpleDataBase::asVariant() const {
  Require(kSimpleVariant, "SimpleData::asVariant");
  return variantValue_;
}
const Binary& SimpleDataBase::asBinary() const {
  Require(kSimpleBinary, "SimpleData::asBinary");
  return binaryValue_;
}

// The writable accessors share the checks of the read-only ones.
AnsiString& SimpleDataBase::asString() {
  return const_cast<AnsiString&>(static_cast<const SimpleDataBase*>(this)->asString());
}
int& SimpleDataBase::asInt() {
  static_cast<const SimpleDataBase*>(this)->asInt();
  return intValue_;
}
SimpleRecord& SimpleDataBase::asRecord() {
  return const_cast<SimpleRecord&>(static_cast<const SimpleDataBase*>(this)->asRecord());
}
SimpleArray& SimpleDataBase::asArray() {
  return const_cast<SimpleArray&>(static_cast<const SimpleDataBase*>(this)->asArray());
}
SimpleVariant& SimpleDataBase::asVariant() {
  return const_cast<SimpleVariant&>(static_cast<const SimpleDataBase*>(this)->asVariant());
}
Binary& SimpleDataBase::asBinary() {
  return const_cast<Binary&>(static_cast<const SimpleDataBase*>(this)->asBinary());
}

SimpleDataBase::~SimpleDataBase() = default;

// ---- SimpleData ------------------------------------------------------------

SimpleData::SimpleData(SimpleDataKind kind) : node_(SimpleDataBase()) { node().kind_ = kind; }

SimpleData::SimpleData(const AnsiString& value) : SimpleData(kSimpleString) {
  node().stringValue_ = value;
}
SimpleData::SimpleData(int value) : SimpleData(kSimpleInt) { node().intValue_ = value; }
SimpleData::SimpleData(const SimpleRecord& value) : SimpleData(kSimpleRecord) {
  node().recordValue_ = value;
}
SimpleData::SimpleData(const SimpleArray& value) : SimpleData(kSimpleArray) {
  node().arrayValue_ = value;
}
SimpleData::SimpleData(const SimpleVariant& value) : SimpleData(kSimpleVariant) {
  node().variantValue_ = value;
}
SimpleData::SimpleData(const Binary& value) : SimpleData(kSimpleBinary) {
  node().binaryValue_ = value;
}

SimpleData& SimpleData::operator=(const SimpleData& other) {
  SimpleData previous(*this);  // lets the old tree go flat, below
  node_ = other.node_;
  return *this;
}

SimpleData::~SimpleData() { ReleaseTreeFlat(*this); }

void SimpleData::TakeChildrenIfLast(std::vector<SimpleData>& into) {
  if (node_.useCount() != 1) return;
  SimpleDataBase& base = node();
  switch (base.kind_) {
    case kSimpleRecord:
      for (int i = 0; i < base.recordValue_.Count(); ++i) {
        into.push_back(base.recordValue_.elemAt(i).value());
      }
      base.recordValue_.Clear();
      break;
    case kSimpleArray:
      for (int i = base.arrayValue_.Count(); i-- > 0;) {
        into.push_back(base.arrayValue_[i]);
        base.arrayValue_.Delete(i);
      }
      break;
    case kSimpleVariant:
      if (!base.variantValue_.value_.isEmpty()) {
        into.push_back(base.variantValue_.value_.get());
        base.variantValue_.value_.clear();
      }
      break;
    default: break;
  }
}

int SimpleData::kind() const { return node_.get().kind(); }

SFData SimpleData::toSFData() const { return node_.get().toSFData(); }
AnsiString SimpleData::toString() const { return node_.get().toString(); }
bool SimpleData::isString() const { return node_.get().isString(); }
bool SimpleData::isInt() const { return node_.get().isInt(); }
bool SimpleData::isRecord() const { return node_.get().isRecord(); }
bool SimpleData::isArray() const { return node_.get().isArray(); }
bool SimpleData::isVariant() const { return node_.get().isVariant(); }
bool SimpleData::isBinary() const { return node_.get().isBinary(); }
const AnsiString& SimpleData::asString() const { return node_.get().asString(); }
int SimpleData::asInt() const { return node_.get().asInt(); }
const SimpleRecord& SimpleData::asRecord() const { return node_.get().asRecord(); }
const SimpleArray& SimpleData::asArray() const { return node_.get().asArray(); }
const SimpleVariant& SimpleData::asVariant() const { return node_.get().asVariant(); }
const Binary& SimpleData::asBinary() const { return node_.get().asBinary(); }
AnsiString& SimpleData::asString() { return node().asString(); }
int& SimpleData::asInt() { return node().asInt(); }
SimpleRecord& SimpleData::asRecord() { return node().asRecord(); }
SimpleArray& SimpleData::asArray() { return node().asArray(); }
SimpleVariant& SimpleData::asVariant() { return node().asVariant(); }
Binary& SimpleData::asBinary() { return node().asBinary(); }

// ---- SimpleDataBox ---------------------------------------------------------

SimpleDataBox::SimpleDataBox(const SimpleData& value) : value_(value) {}

void SimpleDataBox::set(const SimpleData& value) {
  if (value_) {
    *value_ = value;
  } else {
    value_.emplace(value);
  }
}

void SimpleDataBox::clear() { value_.reset(); }

SimpleDataBox& SimpleDataBox::operator=(const SimpleDataBox& other) {
  if (other.value_) {
    set(*other.value_);
  } else {
    clear();
  }
  return *this;
}

SimpleData& SimpleDataBox::get() {
  if (!value_) throw Exception("SimpleDataBox::get");
  return *value_;
}

const SimpleData& SimpleDataBox::get() const {
  if (!value_) throw Exception("SimpleDataBox::get");
  return *value_;
}

SimpleDataBox::~SimpleDataBox() = default;

// ---- RecordElem ------------------------------------------------------------

RecordElem::RecordElem() : value_(SimpleData(-1)) {}

RecordElem::RecordElem(const AnsiString& name, const SimpleData& value)
    : name_(name), value_(value) {}

const AnsiString& RecordElem::name() const { return name_; }
const SimpleData& RecordElem::value() const { return value_.get(); }
SimpleData& RecordElem::value() { return value_.get(); }
RecordElem::~RecordElem() = default;

// ---- SimpleRecord ----------------------------------------------------------

// Below this many members a scan is as fast as a hash lookup; above it, the
// index keeps building a record from many members linear.
constexpr int kIndexFrom = 16;

struct SimpleRecord::Index {
  std::unordered_map<std::string, int> positions;
};

SimpleRecord::SimpleRecord() = default;

SimpleRecord::SimpleRecord(const SimpleRecord& other)
    : elems_(other.elems_), index_(other.index_ ? new Index(*other.index_) : nullptr) {}

SimpleRecord& SimpleRecord::operator=(const SimpleRecord& other) {
  if (this != &other) {
    std::unique_ptr<Index> index(other.index_ ? new Index(*other.index_) : nullptr);
    elems_ = other.elems_;
    index_ = std::move(index);
  }
  return *this;
}

int SimpleRecord::indexOf(const AnsiString& name) const {
  if (index_) {
    auto found = index_->positions.find(name.str());
    return found == index_->positions.end() ? -1 : found->second;
  }
  for (int i = 0; i < elems_.Count(); ++i) {
    if (elems_[i].name() == name) return i;
  }
  return -1;
}

void SimpleRecord::set(const AnsiString& name, const SimpleData& value) {
  const int at = indexOf(name);
  if (at >= 0) {
    elems_[at].value() = value;
    return;
  }
  elems_.Add(RecordElem(name, value));
  const int count = elems_.Count();
  if (index_) {
    index_->positions.emplace(name.str(), count - 1);
  } else if (count >= kIndexFrom) {
    index_.reset(new Index);
    for (int i = 0; i < count; ++i) index_->positions.emplace(elems_[i].name().str(), i);
  }
}

const SimpleData& SimpleRecord::get(const AnsiString& name) const {
  return elems_[indexOf(name)].value();
}

SimpleData& SimpleRecord::get(const AnsiString& name) { return elems_[indexOf(name)].value(); }

void SimpleRecord::Clear() {
  elems_ = DynSet<RecordElem>();
  index_.reset();
}

SimpleRecord::~SimpleRecord() = default;

// ---- SimpleArray, SimpleVariant --------------------------------------------

SimpleArray::~SimpleArray() = default;

SimpleVariant::SimpleVariant(const AnsiString& caseName, const SimpleData& value)
    : caseName_(caseName), value_(value) {}

const SimpleData& SimpleVariant::as(const AnsiString& name) const {
  if (caseName_ != name) throw Exception("SimpleVariant::as");
  return value_.get();
}

SimpleData& SimpleVariant::as(const AnsiString& name) {
  if (caseName_ != name) throw Exception("SimpleVariant::as");
  return value_.get();
}

bool SimpleVariant::is(const AnsiString& name) const { return caseName_ == name; }

SimpleVariant::~SimpleVariant() = default;
