#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "runtime/ansi_string.h"
#include "runtime/binary.h"
#include "runtime/dyn_set.h"
#include "runtime/ref.h"
#include "runtime/sf_data.h"

// SimpleData: the runtime's self-describing value tree. A node is a string,
// an int, a record of named values, an array, a variant (a case name with
// one value) or a binary block. Every generated message type converts to and
// from a tree, and a tree converts to and from SF text (runtime/simple_data_sf.h),
// so any message can be written as text and read back without its type.
//
// Sharing: SimpleData is a handle. Copies share one node, and records, arrays
// and variants hold handles, so copying a container copies its list but not
// the values in it. Writing through a writable accessor of one handle is seen
// through every handle on that node. A node is freed with its last handle,
// without recursion, so a tree of any depth can be dropped.
//
// Failures: an accessor of the wrong kind throws Exception("SimpleData::as<Kind>")
// (for example "SimpleData::asRecord") and leaves the tree unchanged.
//
// Threads: the reference counts are plain integers, as in Ref: a tree and
// every handle into it belong to one thread at a time.

enum SimpleDataKind : int {
  kSimpleNone = -1,  // only a default-built node
  kSimpleString = 1,
  kSimpleInt = 2,
  kSimpleRecord = 3,
  kSimpleArray = 4,
  kSimpleVariant = 5,
  kSimpleBinary = 6,
};

class SimpleDataBase;
class SimpleRecord;
class SimpleArray;
class SimpleVariant;

// The handle. Each constructor from a value builds a new node holding a copy.
class SimpleData {
 public:
  explicit SimpleData(const AnsiString& value);
  explicit SimpleData(int value);
  explicit SimpleData(const SimpleRecord& value);
  explicit SimpleData(const SimpleArray& value);
  explicit SimpleData(const SimpleVariant& value);
  explicit SimpleData(const Binary& value);
  SimpleData(const SimpleData& other) = default;
  // Shares the other's node.
  SimpleData& operator=(const SimpleData& other);

  // The SF form; see SimpleDataBase::toSFData for its failures.
  virtual SFData toSFData() const;
  // toSFData().toString(), written in one pass, with the same failures.
  virtual AnsiString toString() const;
  virtual bool isString() const;
  virtual bool isInt() const;
  virtual bool isRecord() const;
  virtual bool isArray() const;
  virtual bool isVariant() const;
  virtual bool isBinary() const;
  virtual const AnsiString& asString() const;
  virtual int asInt() const;
  virtual const SimpleRecord& asRecord() const;
  virtual const SimpleArray& asArray() const;
  virtual const SimpleVariant& asVariant() const;
  virtual const Binary& asBinary() const;
  virtual AnsiString& asString();
  virtual int& asInt();
  virtual SimpleRecord& asRecord();
  virtual SimpleArray& asArray();
  virtual SimpleVariant& asVariant();
  virtual Binary& asBinary();
  virtual ~SimpleData();

  int kind() const;
  // How many handles share the node; for diagnostics and tests.
  int useCount() const { return node_.useCount(); }

 private:
  template <typename Handle>
  friend void ReleaseTreeFlat(Handle& dying);
  explicit SimpleData(SimpleDataKind kind);
  SimpleDataBase& node() { return node_.get(); }
  void TakeChildrenIfLast(std::vector<SimpleData>& into);

  Ref<SimpleDataBase> node_;
};

// Holds at most one handle; the handle shares the node of the value it was
// given. get() on an empty box throws Exception("SimpleDataBox::get").
class SimpleDataBox {
 public:
  SimpleDataBox() = default;
  explicit SimpleDataBox(const SimpleData& value);
  SimpleDataBox(const SimpleDataBox& other) = default;

  // Holds a handle sharing value's node, in place of any held before.
  virtual void set(const SimpleData& value);
  virtual void clear();
  virtual SimpleDataBox& operator=(const SimpleDataBox& other);
  virtual SimpleData& get();
  virtual const SimpleData& get() const;
  virtual ~SimpleDataBox();

  bool isEmpty() const { return !value_.has_value(); }

 private:
  std::optional<SimpleData> value_;  // inline: a box costs no allocation
};

// One named member of a record. A default-built one is named "" and holds
// the int -1.
class RecordElem {
 public:
  RecordElem();
  RecordElem(const AnsiString& name, const SimpleData& value);

  virtual const AnsiString& name() const;
  virtual const SimpleData& value() const;
  virtual SimpleData& value();
  virtual ~RecordElem();

 private:
  AnsiString name_;
  SimpleDataBox value_;
};

// Named values in insertion order; names are unique. Lookup compares names
// byte for byte; large records keep an index so lookups stay constant-time.
class SimpleRecord {
 public:
  SimpleRecord();
  SimpleRecord(const SimpleRecord& other);
  SimpleRecord& operator=(const SimpleRecord& other);

  // 0-based index of the member with exactly this name, -1 if none.
  virtual int indexOf(const AnsiString& name) const;
  // An existing member keeps its place and shares the new value's node; a
  // new name is appended.
  virtual void set(const AnsiString& name, const SimpleData& value);
  // Throws Exception("DynSet<T>::operator[]") for a missing name.
  virtual const SimpleData& get(const AnsiString& name) const;
  virtual SimpleData& get(const AnsiString& name);
  // [«record», [name, value, name, value, ...]].
  virtual SFData toSFData() const;
  virtual ~SimpleRecord();

  int Count() const { return elems_.Count(); }
  // The member at the 0-based index, in insertion order.
  const RecordElem& elemAt(int index) const { return elems_[index]; }

 private:
  friend class SimpleData;
  void Clear();

  DynSet<RecordElem> elems_;
  struct Index;
  std::unique_ptr<Index> index_;  // name -> position, once the record is large
};

// An ordered list of values; elements are handles, so a copy of the array
// shares its element nodes.
class SimpleArray : public DynSet<SimpleData> {
 public:
  SimpleArray() = default;
  SimpleArray(const SimpleArray& other) = default;
  SimpleArray& operator=(const SimpleArray& other) = default;
  // An array may still be given any DynSet of values.
  using DynSet<SimpleData>::operator=;

  ~SimpleArray() override;
  // [«array», [value, value, ...]].
  virtual SFData toSFData() const;
};

// A case name with one value. A default-built one has the name "" and no
// value.
class SimpleVariant {
 public:
  SimpleVariant() = default;
  SimpleVariant(const AnsiString& caseName, const SimpleData& value);

  // The value when the case name is exactly name; otherwise throws
  // Exception("SimpleVariant::as").
  virtual const SimpleData& as(const AnsiString& name) const;
  virtual SimpleData& as(const AnsiString& name);
  virtual bool is(const AnsiString& name) const;
  // [«variant», [case name, value]].
  virtual SFData toSFData() const;
  virtual ~SimpleVariant();

  const AnsiString& caseName() const { return caseName_; }

 private:
  friend class SimpleData;

  AnsiString caseName_;
  SimpleDataBox value_;
};

// One node. Every node carries all six payload fields; kind says which one
// is meaningful. Copying a node copies its fields; the values inside its
// record, array and variant stay shared.
class SimpleDataBase {
 public:
  SimpleDataBase() = default;

  // toSFData().toString(), written in one pass, with the same failures.
  virtual AnsiString toString() const;
  virtual bool isString() const;
  virtual bool isInt() const;
  virtual bool isRecord() const;
  virtual bool isArray() const;
  virtual bool isVariant() const;
  virtual bool isBinary() const;
  virtual const AnsiString& asString() const;
  virtual int asInt() const;
  virtual const SimpleRecord& asRecord() const;
  virtual const SimpleArray& asArray() const;
  virtual const SimpleVariant& asVariant() const;
  virtual const Binary& asBinary() const;
  virtual AnsiString& asString();
  virtual int& asInt();
  virtual SimpleRecord& asRecord();
  virtual SimpleArray& asArray();
  virtual SimpleVariant& asVariant();
  virtual Binary& asBinary();
  virtual ~SimpleDataBase();
  // The SF form: a two-element array of the kind name and the value. Throws
  // Exception "SimpleData::toSFData, Binary, NotImplemented" for a binary
  // node, "SimpleData::toSFData" for a node of no kind,
  // "SimpleData::toSFData, too deep" when the SF form would nest deeper than
  // kMaxSFDepth, and "SimpleDataBox::get" for a variant without a value.
  virtual SFData toSFData() const;

  int kind() const { return kind_; }

 private:
  friend class SimpleData;
  void Require(SimpleDataKind kind, const char* accessor) const;

  int kind_ = kSimpleNone;
  int intValue_ = 0;
  AnsiString stringValue_;
  SimpleRecord recordValue_;
  SimpleArray arrayValue_;
  SimpleVariant variantValue_;
  Binary binaryValue_;
};
