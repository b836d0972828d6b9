// Writing an answer or a record as the JSON text the page reads.
#include "bridge/protocol/protocol.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "bridge/protocol/cmd_exception.h"
#include "platform/memory.h"

namespace bridge {

namespace {

// jsoncpp's styled writer puts an array on one line when it has fewer than 25
// elements and "[ " + elements joined by ", " + " ]" stays under 74 bytes;
// otherwise one element per line, indented by three blanks.
const size_t kRightMargin = 74;
const char kIndent[] = "   ";
const char32_t kReplacement = 0xFFFD;

// The length of the well-formed UTF-8 sequence at `p` (2 to 4 bytes) with
// its code point, or 0 when `p` does not start one. Overlong forms,
// surrogates and code points past U+10FFFF are not well-formed.
std::size_t utf8Sequence(const unsigned char* p, const unsigned char* end, char32_t& codePoint) {
  const auto continues = [](unsigned char byte) { return (byte & 0xC0) == 0x80; };
  const unsigned char lead = p[0];
  const auto available = end - p;
  if (lead < 0xE0) {
    if (lead < 0xC2 || available < 2 || !continues(p[1])) return 0;
    codePoint = (char32_t{lead} & 0x1F) << 6 | (p[1] & 0x3F);
    return 2;
  }
  if (lead < 0xF0) {
    if (available < 3 || !continues(p[1]) || !continues(p[2])) return 0;
    codePoint = (char32_t{lead} & 0x0F) << 12 | (p[1] & 0x3F) << 6 | (p[2] & 0x3F);
    const bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
    return codePoint < 0x800 || surrogate ? 0 : 3;
  }
  if (lead > 0xF4 || available < 4 || !continues(p[1]) || !continues(p[2]) || !continues(p[3])) {
    return 0;
  }
  codePoint =
      (char32_t{lead} & 0x07) << 18 | (p[1] & 0x3F) << 12 | (p[2] & 0x3F) << 6 | (p[3] & 0x3F);
  return codePoint < 0x10000 || codePoint > 0x10FFFF ? 0 : 4;
}

// What a byte outside a UTF-8 sequence written as it is becomes in a quoted
// string: itself (printable ASCII but the quote and the backslash), a
// two-character escape, or, for the rest, a \u escape. Tables, since the
// answer to a query walks every byte of every value twice.
struct ByteForms {
  bool plain[256] = {};
  char shortEscape[256] = {};  // the letter after the backslash, or 0
  char hexPair[256][2] = {};   // the byte in two lowercase hex digits
  constexpr ByteForms() {
    const char digits[] = "0123456789abcdef";
    for (int byte = 0; byte < 256; ++byte) {
      plain[byte] = byte >= 0x20 && byte < 0x80 && byte != '"' && byte != '\\';
      hexPair[byte][0] = digits[byte >> 4];
      hexPair[byte][1] = digits[byte & 0xF];
    }
    const auto escapeAs = [this](unsigned char byte, char letter) { shortEscape[byte] = letter; };
    escapeAs('"', '"');
    escapeAs('\\', '\\');
    escapeAs('\b', 'b');
    escapeAs('\f', 'f');
    escapeAs('\n', 'n');
    escapeAs('\r', 'r');
    escapeAs('\t', 't');
  }
};
constexpr ByteForms kForms;

// The bytes of `word` that are not plain ASCII (below 0x20, past 0x7F, the
// quote, the backslash) have their high bit set in the result. A byte past a
// special one may be marked as well, never one before it: the lowest marked
// byte is the first special one.
std::uint64_t specialBytes(std::uint64_t word) {
  constexpr std::uint64_t kEachByte = 0x0101010101010101;
  const std::uint64_t quote = word ^ (kEachByte * '"');
  const std::uint64_t backslash = word ^ (kEachByte * '\\');
  const std::uint64_t marked = ((word - kEachByte * 0x20) & ~word) |
                               ((quote - kEachByte) & ~quote) |
                               ((backslash - kEachByte) & ~backslash) | word;
  return marked & (kEachByte * 0x80);
}

// The end of the run of plain ASCII that starts at `p`, found eight bytes
// at a time: text past ASCII stops a run every few bytes, and a byte-by-byte
// search for the stop was most of the writer's time.
const unsigned char* asciiRunEnd(const unsigned char* p, const unsigned char* end) {
  std::uint64_t word;
  while (end - p >= 8) {
    std::memcpy(&word, p, sizeof word);
    const std::uint64_t special = specialBytes(word);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    if (special != 0) return p + __builtin_ctzll(special) / 8;
#else
    if (special != 0) break;
#endif
    p += 8;
  }
  while (p != end && kForms.plain[*p]) ++p;
  return p;
}

// Whether a well-formed character past ASCII is written as a \u escape. The
// C1 controls are, as the C0 ones are. U+2028 and U+2029 end a string
// literal in older script engines, so script text escapes them; JSON.parse
// reads them in a string, so an answer need not.
bool escapedCharacter(char32_t codePoint, TextReader reader) {
  return codePoint < 0xA0 ||
         (reader == TextReader::kScript && (codePoint == 0x2028 || codePoint == 0x2029));
}

// The end of the run that starts at `p` and is written as it is: plain ASCII
// and well-formed UTF-8 that needs no escape.
const unsigned char* rawRunEnd(const unsigned char* p, const unsigned char* end,
                               TextReader reader) {
  for (;;) {
    p = asciiRunEnd(p, end);
    if (p == end || *p < 0x80) return p;
    // Two bytes from U+00C0 on: the letters of most alphabets past ASCII,
    // passed over without decoding. (A lead of 0xC2 may start a C1 control.)
    if (*p >= 0xC3 && *p < 0xE0 && end - p >= 2 && (p[1] & 0xC0) == 0x80) {
      p += 2;
      continue;
    }
    char32_t codePoint;
    const std::size_t length = utf8Sequence(p, end, codePoint);
    if (length == 0 || escapedCharacter(codePoint, reader)) return p;
    p += length;
  }
}

// Writes "\u" and the four hex digits of `unit` at `at`.
void writeUnit(char* at, unsigned unit) {
  at[0] = '\\';
  at[1] = 'u';
  std::memcpy(at + 2, kForms.hexPair[unit >> 8], 2);
  std::memcpy(at + 4, kForms.hexPair[unit & 0xFF], 2);
}

// Calls `plain(begin, end)` for runs of bytes written as they are and
// writes each escape of n bytes where `room(n)` says, in order: the one walk
// both the length count and the writer use, so they cannot disagree. An
// escape is written in place rather than copied from a small local array,
// which the processor cannot forward to a wider load.
template <class Plain, class Room>
void walkQuoted(std::string_view text, TextReader reader, Plain plain, Room room) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const auto* const end = p + text.size();
  while (p != end) {
    const auto* run = p;
    p = rawRunEnd(p, end, reader);
    if (p != run) plain(reinterpret_cast<const char*>(run), reinterpret_cast<const char*>(p));
    if (p == end) return;
    if (const char letter = kForms.shortEscape[*p]; letter != 0) {
      char* at = room(2);
      at[0] = '\\';
      at[1] = letter;
      ++p;
      continue;
    }
    // A control character, an escaped character past ASCII, or a byte that
    // starts no well-formed sequence, which alone becomes U+FFFD.
    char32_t codePoint = *p;
    std::size_t length = 1;
    if (*p >= 0x80) {
      length = utf8Sequence(p, end, codePoint);
      if (length == 0) {
        codePoint = kReplacement;
        length = 1;
      }
    }
    p += length;
    writeUnit(room(6), static_cast<unsigned>(codePoint));
  }
}

size_t quotedLength(std::string_view text, TextReader reader) {
  size_t length = 2;
  char scratch[6];
  walkQuoted(
      text, reader,
      [&](const char* begin, const char* end) { length += static_cast<size_t>(end - begin); },
      [&](size_t n) {
        length += n;
        return scratch;
      });
  return length;
}

CmdException tooLarge(std::size_t limit) {
  return CmdException("answer too large [more than " + std::to_string(limit) + " bytes]");
}

// Builds a list's text through a small buffer, so that an escape is written
// in place and the text grows in large appends. Refuses to grow past `limit`:
// throws the "answer too large" CmdException instead.
class ListText {
 public:
  ListText(std::string& text, std::size_t limit) : text_(text), limit_(limit) {}
  ListText(const ListText&) = delete;
  ListText& operator=(const ListText&) = delete;

  void put(const char* bytes, std::size_t n) {
    if (n > kBufferSize - used_) {
      flush();
      if (n > kBufferSize) {
        append(bytes, n);
        return;
      }
    }
    std::memcpy(buffer_ + used_, bytes, n);
    used_ += n;
  }

  // Where the next `n` bytes (at most 6) are to be written.
  char* room(std::size_t n) {
    if (n > kBufferSize - used_) flush();
    char* at = buffer_ + used_;
    used_ += n;
    return at;
  }

  // Moves what is buffered into the text; the text is complete after it.
  void flush() {
    append(buffer_, used_);
    used_ = 0;
  }

 private:
  void append(const char* bytes, std::size_t n) {
    if (n > limit_ - text_.size()) throw tooLarge(limit_);
    text_.append(bytes, n);
  }

  static constexpr std::size_t kBufferSize = 8192;
  std::string& text_;
  const std::size_t limit_;
  char buffer_[kBufferSize];
  std::size_t used_ = 0;
};

void writeQuoted(ListText& out, std::string_view text, TextReader reader) {
  out.put("\"", 1);
  walkQuoted(
      text, reader, [&](const char* begin, const char* end) { out.put(begin, end - begin); },
      [&](std::size_t n) { return out.room(n); });
  out.put("\"", 1);
}

// A list this long goes one item a line whatever its items: each takes at
// least three bytes of the line, which must stay under the margin.
constexpr size_t kLongList = (kRightMargin + 2) / 3;

// Past this size a streamed text takes its room up to the limit at once.
constexpr size_t kLargeText = size_t{1} << 20;

// One item of a list written one item a line.
void writeLongItem(ListText& out, std::string_view item, bool first, TextReader reader) {
  if (first) {
    out.put("\n", 1);
  } else {
    out.put(",\n", 2);
  }
  out.put(kIndent, 3);
  writeQuoted(out, item, reader);
}

// The sum of the items' quoted lengths, or `kTooLarge` as soon as the text
// one item a line, the longer layout, would pass `limit`. The sum alone
// settles both layouts: every item adds its quoted length plus a separator of
// fixed size.
const size_t kTooLarge = static_cast<size_t>(-1);

size_t quotedSum(const std::vector<std::string>& list, std::size_t limit, TextReader reader) {
  size_t sum = 0;
  size_t bound = 3;
  for (const std::string& item : list) {
    const size_t length = quotedLength(item, reader);
    sum += length;
    bound += length + 5;
    if (bound > limit) return kTooLarge;
  }
  return sum;
}

// About the length of the list's text one item a line, from its least
// length and how much a few items spread over the list grow when escaped:
// reserved up front, so that a text of escapes is not copied as it grows.
size_t expectedLength(const std::vector<std::string>& list, size_t leastLength, TextReader reader) {
  const size_t kSamples = 256;
  size_t sampledBytes = 0;
  size_t sampledText = 0;
  for (size_t i = 0; i < list.size(); i += list.size() / kSamples + 1) {
    sampledBytes += list[i].size() + 2;
    sampledText += quotedLength(list[i], reader);
  }
  const double growth = static_cast<double>(sampledText) / static_cast<double>(sampledBytes);
  return static_cast<size_t>(static_cast<double>(leastLength) * growth * 1.0625);
}

}  // namespace

bool listFits(const std::vector<std::string>& list, std::size_t limit, TextReader reader) {
  return quotedSum(list, limit, reader) != kTooLarge;
}

struct ListWriter::Text {
  explicit Text(std::size_t limit) : out(text, limit) {}
  std::string text;
  ListText out;
};

ListWriter::ListWriter(std::size_t limit) : limit_(limit) {}

ListWriter::~ListWriter() = default;

void ListWriter::add(std::string_view item) {
  if (text_ != nullptr) {
    writeLongItem(text_->out, item, /*first=*/false, TextReader::kJsonParse);
    if (!roomTaken_ && text_->text.size() > kLargeText) reserveWhole();
    return;
  }
  head_.emplace_back(item);
  if (head_.size() < kLongList) return;
  text_ = std::make_unique<Text>(limit_);
  text_->out.put("[", 1);
  for (size_t i = 0; i < head_.size(); ++i) {
    writeLongItem(text_->out, head_[i], i == 0, TextReader::kJsonParse);
  }
  head_.clear();
}

// A large text is given room up to the limit at once: the system hands out
// the address space without memory, only what is written takes pages (large
// ones, a few hundred faults for tens of megabytes instead of tens of
// thousands), and the text is never copied again as it grows. Where the
// system will not lend that much, the text grows as any string does.
void ListWriter::reserveWhole() {
  roomTaken_ = true;
  try {
    text_->text.reserve(limit_);
    platform::adviseLargePages(text_->text.data(), text_->text.capacity());
  } catch (const std::bad_alloc&) {
    // Refused: the text keeps growing as any string does.
  }
}

std::string ListWriter::finish() {
  if (text_ == nullptr) return writeList(head_, limit_);
  text_->out.put("\n]\n", 3);
  text_->out.flush();
  std::string text = std::move(text_->text);
  text_.reset();
  return text;
}

std::string writeList(const std::vector<std::string>& list, std::size_t limit, TextReader reader) {
  if (list.empty()) return "[]\n";
  std::string text;
  // Only a short list can fit on one line, and only its length can tell.
  if (list.size() < kLongList) {
    const size_t sum = quotedSum(list, limit, reader);
    if (sum == kTooLarge) throw tooLarge(limit);
    // Lengths are positive, so the whole line staying under the margin means
    // every prefix of it did too.
    const size_t lineLength = 4 + (list.size() - 1) * 2 + sum;
    if (lineLength < kRightMargin) {
      ListText out(text, limit);
      out.put("[ ", 2);
      for (size_t i = 0; i < list.size(); ++i) {
        if (i > 0) out.put(", ", 2);
        writeQuoted(out, list[i], reader);
      }
      out.put(" ]\n", 3);
      out.flush();
      return text;
    }
  }
  // One item a line, in one pass: an answer to a query holds hundreds of
  // thousands of items, and measuring them first would walk them twice. Each
  // takes at least its bytes, its quotes and its separator, which refuses most
  // texts past the limit before anything is built.
  size_t leastLength = 3;
  for (const std::string& item : list) leastLength += item.size() + 7;
  if (leastLength > limit) throw tooLarge(limit);
  text.reserve(std::min(expectedLength(list, leastLength, reader), limit));
  platform::adviseLargePages(text.data(), text.capacity());
  ListText out(text, limit);
  out.put("[", 1);
  for (size_t i = 0; i < list.size(); ++i) writeLongItem(out, list[i], i == 0, reader);
  out.put("\n]\n", 3);
  out.flush();
  return text;
}

}  // namespace bridge
