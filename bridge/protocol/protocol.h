// The request/answer protocol between page script and the shell.
//
// A request is a JSON array: [protocol version, page build tag, command name,
// arguments...]. Every element is read as text by one rule (request.h). An
// answer is a list of byte strings whose first element is "OK", "ERROR" or
// "BADVERSION"; a callback record is a list [callback id, "pass", event, ...].
// Both travel to script as JSON arrays of strings in UTF-8, in the layout of
// jsoncpp's styled writer. Everything here is plain data and safe to use from
// any thread.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "bridge/protocol/request.h"

namespace bridge {

inline constexpr const char* kProtocolVersion = "1.0.3.20150320";
inline constexpr const char* kShellBuildTag = "-quendrix-vabt.20150223";

// An answer or a callback record: UTF-8 byte strings.
using Answer = std::vector<std::string>;
using Record = std::vector<std::string>;

// The protocol's words.
inline constexpr const char* kOk = "OK";
inline constexpr const char* kError = "ERROR";
inline constexpr const char* kBadVersion = "BADVERSION";
inline constexpr const char* kPass = "pass";

// ["OK", values...]: every answer of a command that did its work.
template <class... Values>
Answer okAnswer(Values&&... values) {
  Answer answer;
  answer.reserve(1 + sizeof...(values));
  answer.emplace_back(kOk);
  (answer.emplace_back(std::forward<Values>(values)), ...);
  return answer;
}

// ["ERROR", message], or the bare ["ERROR"] of a command that gives no reason.
inline Answer errorAnswer(std::string message) { return {kError, std::move(message)}; }
inline Answer errorAnswer() { return {kError}; }

// ["BADVERSION", protocol version]: the answer to a page of another protocol.
inline Answer badVersionAnswer() { return {kBadVersion, kProtocolVersion}; }

// The largest answer or record text a page is handed, the same on both
// engines. Chromium's script engine holds no string past 2^29 - 24 UTF-16
// units: a longer `result` arrives empty, a longer delivery script does not
// run. A text's UTF-8 bytes are never fewer than its UTF-16 units, and the
// last KiB below 512 MiB leaves room for the script around a record. Past
// the limit an answer is an error that says so, never an empty or cut text.
inline constexpr std::size_t kMaxAnswerBytes = (std::size_t{512} << 20) - 1024;

// Request positions shared by every command.
enum RequestPosition : std::size_t {
  kVersionPosition = 0,
  kBuildTagPosition = 1,
  kCommandPosition = 2,
  kFirstArgument = 3,
};

// Parses a request text (UTF-8). Returns its elements when the text is JSON
// whose root is a non-empty array; anything else is no request, and
// notARequest() says why. JSON nested deeper than the reader takes throws
// CmdException("request nested too deeply").
std::optional<Request> parseRequest(std::string_view text);

// `text` with each escaped lone surrogate (\uD800 without the \uDC00 that
// pairs it, or the second half alone) written \uFFFD, so that it reads as
// U+FFFD; nothing when the text holds none. parseRequest reads requests so.
std::optional<std::string> withoutLoneSurrogateEscapes(std::string_view text);

// Why parseRequest() found no request in `text`, for the page's ERROR answer:
// "request is not a JSON array: " and what the text is instead (empty text,
// not JSON at byte N and the reader's message, an object, a string, ...),
// or "request is an empty array". Reads the text again: for the failure
// path only.
std::string notARequest(std::string_view text);

// `text` as a path, file name or program argument. The system reads such a
// text only up to a NUL and would act on another name than the page gave, so
// a NUL byte is refused: throws CmdException("NUL byte in a path or name
// [text before the NUL]").
std::string pathText(std::string text);

// Who reads a list's text, which settles the few characters it escapes.
enum class TextReader {
  kJsonParse,  // an answer: the page reads `result` with JSON.parse
  kScript,     // a record: the text is part of the script that delivers it
};

// The list written as a JSON array of strings in the styled writer's layout:
// one line when it has fewer than 25 items and the line stays under 74
// bytes, else one item a line; one trailing line feed. Strings are written in
// UTF-8, and the layout measures those bytes. Escaped are the quote, the
// backslash, the C0 and C1 controls (\n, \t, ... or \u00XX) and, for
// kScript, U+2028 and U+2029, which end a string literal in older engines.
// Every byte that does not belong to a well-formed UTF-8 sequence is written
// as the escape \ufffd, so a stray byte never takes its neighbours with it
// and the text is always well-formed UTF-8. Throws CmdException("answer too
// large [...]") when the list written one item a line would be longer than
// `limit` bytes; the text never grows past the limit while it is built.
std::string writeList(const std::vector<std::string>& list, std::size_t limit = kMaxAnswerBytes,
                      TextReader reader = TextReader::kJsonParse);

// Writes an answer's text item by item: the text writeList writes for the
// whole list, for answers of hundreds of thousands of values that need never
// be held as a list. Refuses the same lists with the same CmdException,
// thrown as soon as the text would pass the limit.
class ListWriter {
 public:
  explicit ListWriter(std::size_t limit = kMaxAnswerBytes);
  ListWriter(const ListWriter&) = delete;
  ListWriter& operator=(const ListWriter&) = delete;
  ~ListWriter();

  void add(std::string_view item);

  // The list's text; the writer is spent.
  std::string finish();

 private:
  struct Text;

  void reserveWhole();

  std::size_t limit_;
  bool roomTaken_ = false;         // a large text has had its room up to the limit
  std::vector<std::string> head_;  // items until the list is long enough for one a line
  std::unique_ptr<Text> text_;     // the text from then on
};

// True when writeList(list, limit, reader) writes the list rather than
// refusing it; nothing is built, so a command can choose its answer or record
// before it sends it.
bool listFits(const std::vector<std::string>& list, std::size_t limit = kMaxAnswerBytes,
              TextReader reader = TextReader::kJsonParse);

}  // namespace bridge
