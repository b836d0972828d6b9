#include "runtime/sf_data.h"

#include <string>

#include "runtime/exception.h"
#include "runtime/tree_release.h"

namespace {

bool NeedsEscape(unsigned char byte) { return byte == '"' || byte == '\\' || byte < 0x20; }

void WriteText(const AnsiString& text, std::string& out) {
  const std::string& bytes = text.str();
  out += '"';
  size_t plain_from = 0;
  for (size_t i = 0; i < bytes.size(); ++i) {
    const unsigned char byte = static_cast<unsigned char>(bytes[i]);
    if (!NeedsEscape(byte)) continue;
    out.append(bytes, plain_from, i - plain_from);
    out += "\\#";
    out += std::to_string(byte);
    out += ';';
    plain_from = i + 1;
  }
  out.append(bytes, plain_from, std::string::npos);
  out += '"';
}

// Node is SFDataBase for the root and SFData below it; both answer the same
// questions. depth is the nesting of the array being written.
template <typename Node>
void Write(const Node& node, int depth, std::string& out) {
  if (node.isText()) {
    WriteText(node.asText(), out);
    return;
  }
  if (!node.isArray()) throw Exception("SFData::toString");
  if (depth > kMaxSFDepth) throw Exception("SFData::toString, too deep");
  const RefDynSet<SFData>& elements = node.asArray();
  out += '[';
  for (int i = 0; i < elements.Count(); ++i) {
    if (i > 0) out += ", ";
    Write(elements[i], depth + 1, out);
  }
  out += ']';
}

}  // namespace

SFDataBase::SFDataBase(const AnsiString& text) : kind_(kSFText), text_(text) {}

SFDataBase::SFDataBase(const RefDynSet<SFData>& elements)
    : kind_(kSFArray), elements_(elements) {}

bool SFDataBase::isText() const { return kind_ == kSFText; }

bool SFDataBase::isArray() const { return kind_ == kSFArray; }

const AnsiString& SFDataBase::asText() const {
  if (kind_ != kSFText) throw Exception("SFData::asText");
  return text_;
}

const RefDynSet<SFData>& SFDataBase::asArray() const {
  if (kind_ != kSFArray) throw Exception("SFData::asArray");
  return elements_;
}

AnsiString SFDataBase::toString() const {
  std::string out;
  Write(*this, 1, out);
  return AnsiString(std::move(out));
}

SFDataBase::~SFDataBase() = default;

SFData::SFData(const AnsiString& text) : node_(SFDataBase(text)) {}

SFData::SFData(const RefDynSet<SFData>& elements) : node_(SFDataBase(elements)) {}

SFData& SFData::operator=(const SFData& other) {
  SFData previous(*this);  // lets the old tree go flat, below
  node_ = other.node_;
  return *this;
}

bool SFData::isText() const { return node_.get().isText(); }

bool SFData::isArray() const { return node_.get().isArray(); }

const AnsiString& SFData::asText() const { return node_.get().asText(); }

const RefDynSet<SFData>& SFData::asArray() const { return node_.get().asArray(); }

AnsiString SFData::toString() const { return node_.get().toString(); }

SFData::~SFData() { ReleaseTreeFlat(*this); }

void SFData::TakeChildrenIfLast(std::vector<SFData>& into) {
  if (node_.useCount() != 1) return;
  RefDynSet<SFData>& elements = node_.get().elements_;
  if (elements.useCount() != 1) return;
  for (int i = elements.Count(); i-- > 0;) {
    into.push_back(elements[i]);
    elements.Delete(i);
  }
}
