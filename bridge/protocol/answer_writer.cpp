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

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "bridge/protocol/cmd_exception.h"
#include "platform/memory.h"

namespace bridge {

namespace {

// jsoncpp's styled writer puts an array on one line when it has fewer than 25
// elements and "[ " + elements joined by ", " + " ]" stays under 74 bytes;
// otherwise one element per line, indented by three blanks.
const size_t kRightMargin = 74;
// An item's separator, indent and opening quote, one item a line.
constexpr std::string_view kFirstOpening = "\n   \"";
constexpr std::string_view kNextOpening = ",\n   \"";
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
// two-character escape, or, for the rest, a \u escape: U+FFFD for a byte
// past ASCII, which starts no well-formed sequence there. Tables, since the
// answer to a query walks every byte of every value.
struct ByteForms {
  // A byte's form padded to eight bytes, written whole (its length too,
  // which the next bytes cover) and then counted.
  struct Form {
    char text[7] = {};
    unsigned char length = 0;
  };
  static_assert(sizeof(Form) == 8, "a form is one eight-byte move");
  bool plain[256] = {};
  char hexPair[256][2] = {};  // the byte in two lowercase hex digits
  Form single[256] = {};
  constexpr ByteForms() {
    const char digits[] = "0123456789abcdef";
    for (int byte = 0; byte < 256; ++byte) {
      plain[byte] = byte >= 0x20 && byte < 0x80 && byte != '"' && byte != '\\';
      hexPair[byte][0] = digits[byte >> 4];
      hexPair[byte][1] = digits[byte & 0xF];
    }
    for (int byte = 0; byte < 256; ++byte) {
      Form& form = single[byte];
      if (plain[byte]) {
        form.text[0] = static_cast<char>(byte);
        form.length = 1;
        continue;
      }
      const unsigned unit = byte < 0x80 ? static_cast<unsigned>(byte) : kReplacement;
      form.text[0] = '\\';
      form.text[1] = 'u';
      for (int i = 0; i < 2; ++i) {
        form.text[2 + i] = hexPair[unit >> 8][i];
        form.text[4 + i] = hexPair[unit & 0xFF][i];
      }
      form.length = 6;
    }
    const auto escapeAs = [this](unsigned char byte, char letter) {
      single[byte].text[1] = letter;
      single[byte].length = 2;
    };
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

// Which sequences past ASCII are written as they are, by their lead byte:
// the length (0 for none) and the range the second byte must fall in. The
// ranges keep out what utf8Sequence refuses (overlong forms, surrogates,
// code points past U+10FFFF) and the C1 controls (lead 0xC2, second byte
// below 0xA0), which are escaped as the C0 ones are.
struct Lead {
  unsigned char length = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
};

struct LeadTable {
  Lead lead[256] = {};
  constexpr LeadTable() {
    for (int byte = 0xC2; byte < 0xE0; ++byte) lead[byte].length = 2;
    for (int byte = 0xE0; byte < 0xF0; ++byte) lead[byte].length = 3;
    for (int byte = 0xF0; byte < 0xF5; ++byte) lead[byte].length = 4;
    lead[0xC2].low = 0xA0;
    lead[0xE0].low = 0xA0;
    lead[0xED].high = 0x9F;
    lead[0xF0].low = 0x90;
    lead[0xF4].high = 0x8F;
  }
};
constexpr LeadTable kLeads;

// The length of the sequence at `p`, a lead byte, when it is written as it
// is, else 0. Its bytes are read four at a time where the text has them.
inline std::size_t rawSequence(const unsigned char* p, const unsigned char* end,
                               TextReader reader) {
  const Lead lead = kLeads.lead[p[0]];
  unsigned char bytes[4] = {};
  if (end - p >= 4) {
    std::memcpy(bytes, p, 4);
  } else if (end - p >= lead.length) {
    std::memcpy(bytes, p, lead.length);
  } else {
    return 0;
  }
  const auto continues = [](unsigned char byte) { return (byte & 0xC0) == 0x80; };
  const bool third = lead.length < 3 || continues(bytes[2]);
  const bool fourth = lead.length < 4 || continues(bytes[3]);
  if (bytes[1] < lead.low || bytes[1] > lead.high || !third || !fourth) return 0;
  // U+2028 and U+2029 (E2 80 A8, E2 80 A9) only for a script.
  if (reader == TextReader::kScript && bytes[0] == 0xE2 && bytes[1] == 0x80 &&
      (bytes[2] | 1) == 0xA9) {
    return 0;
  }
  return lead.length;
}

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

// Copies the eight bytes at `p` to `to` and returns how many of them lead
// the run of plain ASCII there (8 when all are plain).
std::size_t copyPlainWord(const unsigned char* p, char* to) {
  std::uint64_t word;
  std::memcpy(&word, p, sizeof word);
  std::memcpy(to, &word, sizeof word);
  const std::uint64_t special = specialBytes(word);
  if (special == 0) return 8;
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
  return static_cast<std::size_t>(__builtin_ctzll(special)) / 8;
#else
  std::size_t plain = 0;
  while (kForms.plain[p[plain]]) ++plain;
  return plain;
#endif
}

// The same for the sixteen bytes at `p`: the step of the walk over plain
// text, which long texts (a file's base64) are made of.
std::size_t copyPlainBlock(const unsigned char* p, char* to) {
#if defined(__SSE2__)
  const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(to), bytes);
  // A signed comparison: the bytes past 0x7F count as below 0x20.
  const __m128i special = _mm_or_si128(_mm_cmplt_epi8(bytes, _mm_set1_epi8(0x20)),
                                       _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('"')),
                                                    _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\\'))));
  const auto mask = static_cast<unsigned>(_mm_movemask_epi8(special));
  return mask == 0 ? 16 : static_cast<std::size_t>(__builtin_ctz(mask));
#else
  const std::size_t plain = copyPlainWord(p, to);
  return plain < 8 ? plain : 8 + copyPlainWord(p + 8, to + 8);
#endif
}

// Writes "\u" and the four hex digits of `unit` at `at`.
void writeUnit(char* at, unsigned unit) {
  at[0] = '\\';
  at[1] = 'u';
  std::memcpy(at + 2, kForms.hexPair[unit >> 8], 2);
  std::memcpy(at + 4, kForms.hexPair[unit & 0xFF], 2);
}

// The most writeSpecial writes: a byte's form padded to eight bytes.
constexpr std::size_t kLongestSpecial = 8;
// The most one step of the walk writes: a block of plain bytes (16) that
// may stop before its last byte (15 kept), then what writeSpecial writes.
constexpr std::size_t kLongestStep = 15 + kLongestSpecial;

// Writes what the byte at `p`, which is not plain, begins: a sequence past
// ASCII as it is, an escape, or U+FFFD for a stray byte; at most
// kLongestSpecial bytes at `to`. Moves both on. Inlined, so that both stay
// in registers: it runs for every character past ASCII.
[[gnu::always_inline]] inline void writeSpecial(const unsigned char*& p, const unsigned char* end,
                                                char*& to, TextReader reader) {
  // Two bytes from U+00C0 on, the letters of most alphabets past ASCII,
  // come first.
  if (*p >= 0xC3 && *p < 0xE0 && end - p >= 2 && (p[1] & 0xC0) == 0x80) {
    std::memcpy(to, p, 2);
    p += 2;
    to += 2;
    return;
  }
  // A lead byte that starts a sequence written as it is; else the byte's
  // own form, or, when it starts a sequence that is escaped, the escape.
  if (const std::size_t length = kLeads.lead[*p].length == 0 ? 0 : rawSequence(p, end, reader);
      length != 0) {
    // Four bytes whatever the length where the text has them, in one move.
    if (end - p >= 4) {
      std::memcpy(to, p, 4);
    } else {
      std::memcpy(to, p, length);
    }
    p += length;
    to += length;
    return;
  }
  char32_t codePoint;
  const std::size_t length = *p < 0xC2 ? 0 : utf8Sequence(p, end, codePoint);
  if (length == 0) {
    const ByteForms::Form& form = kForms.single[*p];
    std::memcpy(to, &form, sizeof form);
    to += form.length;
    ++p;
    return;
  }
  // A C1 control, or U+2028 or U+2029 in a script.
  writeUnit(to, static_cast<unsigned>(codePoint));
  p += length;
  to += 6;
}

// Writes `text` quoted into `out`'s window: `out.at()` is where the next
// bytes go, `out.windowEnd()` where the window ends, and `out.next(at)` takes
// what was written up to `at` and returns where to go on, with at least
// kLongestStep bytes of room. The one walk both the length count and the
// writer use, so they cannot disagree. Plain bytes are copied a block at a
// time, the block written whole before it is checked: what follows a special
// byte in it is written over.
template <class Window>
void walkQuoted(std::string_view text, TextReader reader, Window& out) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const auto* const end = p + text.size();
  char* to = out.at();
  while (p != end) {
    if (static_cast<std::size_t>(out.windowEnd() - to) < kLongestStep) to = out.next(to);
    // Plain bytes first, none or more: a step that finds none costs less
    // than a wrong guess whether there are any.
    std::size_t plain;
    if (end - p >= 16) {
      plain = copyPlainBlock(p, to);
    } else if (end - p >= 8) {
      plain = copyPlainWord(p, to);
    } else {
      plain = 0;
      while (p + plain != end && kForms.plain[p[plain]]) {
        to[plain] = static_cast<char>(p[plain]);
        ++plain;
      }
    }
    p += plain;
    to += plain;
    if (p == end || kForms.plain[*p]) continue;
    // Then what is not plain, while it lasts: text past ASCII is mostly that.
    do {
      writeSpecial(p, end, to, reader);
    } while (p != end && !kForms.plain[*p] &&
             static_cast<std::size_t>(out.windowEnd() - to) >= kLongestSpecial);
  }
  out.next(to);
}

// A window that only counts what goes through it.
class LengthCount {
 public:
  char* at() { return scratch_; }
  char* windowEnd() { return scratch_ + sizeof scratch_; }
  char* next(char* at) {
    length_ += static_cast<std::size_t>(at - scratch_);
    return scratch_;
  }
  std::size_t length() const { return length_; }

 private:
  char scratch_[256];
  std::size_t length_ = 0;
};

size_t quotedLength(std::string_view text, TextReader reader) {
  LengthCount count;
  walkQuoted(text, reader, count);
  return count.length() + 2;
}

CmdException tooLarge(std::size_t limit) {
  return CmdException("answer too large [more than " + std::to_string(limit) + " bytes]");
}

// Builds a list's text through a small buffer, the window of walkQuoted, so
// that escapes and blocks are written in place and the text grows in large
// appends. Refuses to grow past `limit`: throws the "answer too large"
// CmdException instead.
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

  // The window walkQuoted writes into: the rest of the buffer.
  char* at() { return buffer_ + used_; }
  char* windowEnd() { return buffer_ + kBufferSize; }
  char* next(char* at) {
    used_ = static_cast<std::size_t>(at - buffer_);
    if (kBufferSize - used_ < kLongestStep) flush();
    return buffer_ + used_;
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

  static constexpr std::size_t kBufferSize = 16384;
  std::string& text_;
  const std::size_t limit_;
  char buffer_[kBufferSize];
  std::size_t used_ = 0;
};

void writeQuoted(ListText& out, std::string_view text, TextReader reader) {
  out.put("\"", 1);
  walkQuoted(text, reader, out);
  out.put("\"", 1);
}

// A list this long goes one item a line whatever its items: each takes at
// least three bytes of the line, which must stay under the margin.
constexpr size_t kLongList = (kRightMargin + 2) / 3;

// Past this size a streamed text takes its room up to the limit at once.
constexpr size_t kLargeText = size_t{1} << 20;

// One item of a list written one item a line: its separator, the indent and
// the opening quote go in one piece.
void writeLongItem(ListText& out, std::string_view item, bool first, TextReader reader) {
  const std::string_view opening = first ? kFirstOpening : kNextOpening;
  out.put(opening.data(), opening.size());
  walkQuoted(item, reader, out);
  out.put("\"", 1);
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
  // A long item's head tells as well as the whole (a file's base64 is one).
  const size_t kSampledHead = 4096;
  for (size_t i = 0; i < list.size(); i += list.size() / kSamples + 1) {
    const std::string_view sample = std::string_view(list[i]).substr(0, kSampledHead);
    sampledBytes += sample.size() + 2;
    sampledText += quotedLength(sample, reader);
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
  // Only a short list of short items can fit on one line, and only its
  // length can tell; a longer one is refused past the limit as it is built.
  size_t leastLine = 2;
  for (const std::string& item : list) leastLine += item.size() + 4;
  if (list.size() < kLongList && leastLine < kRightMargin) {
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
