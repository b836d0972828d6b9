#pragma once

#include <string>
#include <vector>

#include "runtime/ansi_string.h"
#include "runtime/ref.h"
#include "runtime/ref_dyn_set.h"

// SF, the runtime's text form: a value is a text or an array of values,
// written as ["a", ["b", "c"], []]. In a written text every double quote,
// backslash and byte below 0x20 becomes "\#<decimal>;"; all other bytes,
// 0x80-0xFF included, stay as they are.
//
// Sharing: SFData is a handle; copies share one node, and the element list of
// an array node is itself shared (an SFData made from a RefDynSet shares that
// list). Nodes and lists are freed with their last handle, without recursion.
//
// Depth: arrays nested deeper than kMaxSFDepth are refused by the parser, the
// writer and the SimpleData conversions, so no walk can exhaust the stack.
//
// Threads: the reference counts are plain integers, as in Ref: a tree and
// every handle into it belong to one thread at a time.

// Far above any real message, which nests a few levels; the recursive walks
// stay well inside a thread's stack at this depth even in sanitizer builds.
constexpr int kMaxSFDepth = 1000;

enum SFKind : int { kSFText = 1, kSFArray = 2 };

class SFDataBase;

class SFData {
 public:
  // A text node.
  explicit SFData(const AnsiString& text);
  // An array node sharing the given element list.
  explicit SFData(const RefDynSet<SFData>& elements);
  SFData(const SFData& other) = default;
  SFData& operator=(const SFData& other);

  virtual bool isText() const;
  virtual bool isArray() const;
  // Throws Exception("SFData::asText") for an array node.
  virtual const AnsiString& asText() const;
  // The shared element list; throws Exception("SFData::asArray") for a text
  // node.
  virtual const RefDynSet<SFData>& asArray() const;
  // The SF text. Throws Exception("SFData::toString, too deep") for arrays
  // nested deeper than kMaxSFDepth.
  virtual AnsiString toString() const;
  virtual ~SFData();

 private:
  template <typename Handle>
  friend void ReleaseTreeFlat(Handle& dying);
  void TakeChildrenIfLast(std::vector<SFData>& into);

  Ref<SFDataBase> node_;
};

// One node: a text (kind 1) or an array (kind 2). A text node carries an empty
// list of its own.
class SFDataBase {
 public:
  explicit SFDataBase(const AnsiString& text);
  explicit SFDataBase(const RefDynSet<SFData>& elements);

  virtual bool isText() const;
  virtual bool isArray() const;
  virtual const AnsiString& asText() const;
  virtual const RefDynSet<SFData>& asArray() const;
  // Throws Exception("SFData::toString") when kind is neither text nor array.
  virtual AnsiString toString() const;
  virtual ~SFDataBase();

 private:
  friend class SFData;

  int kind_;
  AnsiString text_;
  RefDynSet<SFData> elements_;
};

// Writes SF text from a walk over a tree: Open() and Close() around each
// array's elements, Text() or Int() for each text. The writers of SFData and
// of SimpleData both write through it, so their texts agree byte for byte.
class SFTextWriter {
 public:
  void Open();
  void Close();
  void Text(const AnsiString& text);
  // The text of value in decimal.
  void Int(int value);
  AnsiString Take() { return AnsiString(std::move(out_)); }

 private:
  void Separate();

  std::string out_;
  bool after_element_ = false;  // the next element needs ", " before it
};
