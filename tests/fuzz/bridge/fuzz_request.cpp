// Request texts come straight from page script: whatever they hold, reading
// them must either refuse the text or give every element a text or the one
// conversion error. Answers and records written from those texts must be
// well-formed UTF-8 without a raw control character (and records without a
// raw U+2028 or U+2029), read back as a reference decoder reads the bytes
// (each stray byte one U+FFFD), and be the styled writer's layout in UTF-8
// where the bytes are well-formed and hold no character the writer escapes
// past ASCII.
// The argument check must refuse exactly the elements that cannot be read as
// a path.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include <json/reader.h>
#include <json/writer.h>

#include "bridge/protocol/cmd_exception.h"
#include "bridge/protocol/protocol.h"
#include "tests/fuzz/short_malloc_stacks.h"

namespace {

void encode(char32_t c, std::string& out) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// Decodes by trying each length and keeping the one whose code point encodes
// back to exactly those bytes: a different route from the writer's tables.
std::string referenceDecode(const std::string& bytes, bool& wellFormed) {
  std::string out;
  wellFormed = true;
  for (size_t i = 0; i < bytes.size();) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    size_t length = lead < 0x80       ? 1
                    : lead >> 5 == 6  ? 2
                    : lead >> 4 == 14 ? 3
                    : lead >> 3 == 30 ? 4
                                      : 0;
    bool good = length != 0 && i + length <= bytes.size();
    char32_t c = 0;
    if (good) {
      c = length == 1 ? lead : lead & (0x7F >> length);
      for (size_t k = 1; k < length; ++k) c = (c << 6) | (bytes[i + k] & 0x3F);
      std::string again;
      if (c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF)) encode(c, again);
      good = again == bytes.substr(i, length);
    }
    if (!good) {
      wellFormed = false;
      encode(0xFFFD, out);
      i += 1;
    } else {
      out += bytes.substr(i, length);
      i += length;
    }
  }
  return out;
}

// Whether well-formed UTF-8 `text` holds a C1 control (U+0080 to U+009F)
// or, with `separators`, U+2028 or U+2029: the characters past ASCII that
// the writer escapes.
bool holdsEscapedCharacter(const std::string& text, bool separators) {
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    const auto next = static_cast<unsigned char>(text[i + 1]);
    if (byte == 0xC2 && next >= 0x80 && next < 0xA0) return true;
    if (separators && byte == 0xE2 && next == 0x80 && i + 2 < text.size() &&
        (text[i + 2] == '\xA8' || text[i + 2] == '\xA9')) {
      return true;
    }
  }
  return false;
}

// jsoncpp's styled writer's layout with its strings in UTF-8.
std::string styledUtf8Text(const Json::Value& array) {
  Json::StreamWriterBuilder builder;
  builder["indentation"] = "   ";
  builder["commentStyle"] = "None";
  builder["emitUTF8"] = true;
  return Json::writeString(builder, array) + "\n";
}

// Aborts unless `written` is the text `answer` must have for `reader`.
void checkWritten(const bridge::Answer& answer, const std::string& written,
                  bridge::TextReader reader) {
  const bool script = reader == bridge::TextReader::kScript;
  bool wellFormed = true;
  referenceDecode(written, wellFormed);
  if (!wellFormed || holdsEscapedCharacter(written, script)) std::abort();
  for (unsigned char c : written) {
    if (c < 0x20 && c != '\n') std::abort();
  }
  Json::Value back;
  if (!Json::Reader().parse(written, back, false) || back.size() != answer.size()) std::abort();
  bool plainUtf8 = true;
  Json::Value expected(Json::arrayValue);
  for (Json::ArrayIndex i = 0; i < answer.size(); ++i) {
    bool itemWellFormed = true;
    const std::string decoded = referenceDecode(answer[i], itemWellFormed);
    if (back[i].asString() != decoded) std::abort();
    plainUtf8 = plainUtf8 && itemWellFormed && !holdsEscapedCharacter(decoded, script);
    expected.append(Json::Value(answer[i]));
  }
  if (plainUtf8 && written != styledUtf8Text(expected)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::optional<bridge::Request> request;
  try {
    request = bridge::parseRequest(text);
  } catch (const bridge::CmdException&) {
    return 0;  // nested too deeply: answered as an error
  }

  // The request must be read exactly as jsoncpp's reader reads it, once its
  // lone surrogates are U+FFFD. The reader is made once: building one costs
  // more than reading a short request.
  static Json::Reader reader;
  Json::Value reference;
  const std::string wellFormed = bridge::withoutLoneSurrogateEscapes(text).value_or(text);
  const bool readable =
      reader.parse(wellFormed, reference, true) && reference.isArray() && !reference.empty();
  if (readable != request.has_value()) std::abort();
  if (!request) return 0;
  if (!(bridge::Request(reference) == *request)) std::abort();

  bridge::Answer answer;
  for (std::size_t i = 0; i <= request->size(); ++i) {
    bool usableAsPath = false;
    try {
      answer.push_back(request->text(i));
      usableAsPath = answer.back().find('\0') == std::string::npos;
    } catch (const std::runtime_error&) {
      const Json::Value& element = reference[static_cast<Json::ArrayIndex>(i)];
      if (!element.isArray() && !element.isObject()) std::abort();
    }
    // The argument check refuses exactly what reading the element as a path
    // would refuse.
    if (i == request->size()) break;
    bool refused = false;
    try {
      request->checkText(i, /*refuseNul=*/true);
    } catch (const bridge::CmdException&) {
      refused = true;
    }
    if (refused == usableAsPath) std::abort();
  }
  answer.push_back(text);  // the raw bytes as one more element
  const std::string written = bridge::writeList(answer);
  bridge::ListWriter itemByItem;
  for (const std::string& item : answer) itemByItem.add(item);
  if (itemByItem.finish() != written) std::abort();
  checkWritten(answer, written, bridge::TextReader::kJsonParse);
  const std::string record =
      bridge::writeList(answer, bridge::kMaxAnswerBytes, bridge::TextReader::kScript);
  checkWritten(answer, record, bridge::TextReader::kScript);
  return 0;
}
