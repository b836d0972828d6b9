#include "runtime/sf_data.h"

#include <string>

#include "runtime/exception.h"
#include "runtime/tree_release.h"

namespace {

bool NeedsEscape(unsigned char byte) { return byte == '"' || byte == '\\' || byte < 0x20; }

// Node is SFDataBase for the root and SFData below it; both answer the same
// questions. depth is the nesting of the array being written.
template <typename Node>
void Write(const Node& node, int depth, SFTextWriter& out) {
  if (node.isText()) {
    out.Text(node.asText());
    return;
  }
  if (!node.isArray()) throw Exception("SFData::toString");
  if (depth > kMaxSFDepth) throw Exception("SFData::toString, too deep");
  const RefDynSet<SFData>& elements = node.asArray();
  out.Open();
  for (int i = 0; i < elements.Count(); ++i) Write(elements[i], depth + 1, out);
  out.Close();
}

}  // namespace

void SFTextWriter::Separate() {
  if (after_element_) out_ += ", ";
}

void SFTextWriter::Open() {
  Separate();
  out_ += '[';
  after_element_ = false;
}

void SFTextWriter::Close() {
  out_ += ']';
  after_element_ = true;
}

void SFTextWriter::Text(const AnsiString& text) {
  Separate();
  const std::string& bytes = text.str();
  const char* plain = bytes.data();  // start of the bytes not yet written
  const char* end = plain + bytes.size();
  out_ += '"';
  for (const char* at = plain; at != end; ++at) {
    const unsigned char byte = static_cast<unsigned char>(*at);
    if (!NeedsEscape(byte)) continue;
    out_.append(plain, at);
    char escape[6] = {'\\', '#'};
    int length = 2;
    if (byte >= 100) escape[length++] = static_cast<char>('0' + byte / 100);
    if (byte >= 10) escape[length++] = static_cast<char>('0' + byte / 10 % 10);
    escape[length++] = static_cast<char>('0' + byte % 10);
    escape[length++] = ';';
    out_.append(escape, length);
    plain = at + 1;
  }
  out_.append(plain, end);
  out_ += '"';
  after_element_ = true;
}

void SFTextWriter::Int(int value) {
  Separate();
  out_ += '"';
  out_ += std::to_string(value);
  out_ += '"';
  after_element_ = true;
}

SFDataBase::SFDataBase(const AnsiString& text) : kind_(kSFText), text_(text) {}

SFDataBase::SFDataBase(const RefDynSet<SFData>& elements) : kind_(kSFArray), elements_(elements) {}

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
  SFTextWriter out;
  Write(*this, 1, out);
  return out.Take();
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
