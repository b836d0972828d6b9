// Whole-file save and load, as text or as base64.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "bridge/desktop/desktop.h"
#include "platform/file_writer.h"
#include "platform/memory.h"
#include "platform/read_only_file.h"
#include "runtime/base64.h"

namespace bridge::desktop {
namespace {

Answer failure(const char* what, const std::string& path, const platform::Status& status) {
  return errorAnswer(std::string(what) + " [" + path + "]: " + status.reason());
}

// The bytes encoded at once: a multiple of three, so that only the last
// piece ends in padding, and small enough to stay in the processor's cache
// from its reading to its encoding.
constexpr std::size_t kBase64Piece = std::size_t{3} << 16;

// The base64 text of the whole regular file, encoded piece by piece as it is
// read: the text is the only large buffer, and no copy of the file is made.
platform::Result<std::string> loadAsBase64(const std::string& path, std::size_t maxBytes) {
  const platform::Result<platform::ReadOnlyFile> file = platform::ReadOnlyFile::open(path);
  if (!file) return file.status();
  std::string text;
  text.reserve(Base64EncodedLength(std::min<std::uint64_t>(file->size(), maxBytes)));
  platform::adviseLargePages(text.data(), text.capacity());
  const platform::Status read =
      file->readInPieces(maxBytes, kBase64Piece, [&text](std::string_view piece) {
        const std::size_t at = text.size();
        text.resize(at + Base64EncodedLength(piece.size()));
        Base64EncodeInto(piece, &text[at]);
      });
  if (!read.ok()) return read;
  return text;
}

}  // namespace

// The file comes to hold exactly the content bytes, by the rules of
// platform/file_writer.h (links followed, mode and owner kept, read-only
// files refused, the old content whole on failure).
Answer saveFile(SaveFileCall& call) {
  const std::string& path = call.path();
  const platform::Status saved = platform::writeWholeFile(path, call.content());
  if (!saved.ok()) return failure("Cannot save", path, saved);
  return okAnswer(path);
}

// Every byte of the regular file; FIFOs, devices, sockets and folders are
// refused. A file larger than an answer can carry is refused while it is
// read.
Answer loadFile(LoadFileCall& call) {
  const std::string& path = call.path();
  platform::Result<std::string> loaded = platform::loadWholeFile(path, kMaxAnswerBytes);
  if (!loaded) return failure("Cannot load", path, loaded.status());
  Answer answer = okAnswer();
  answer.push_back(std::move(*loaded));
  return answer;
}

// Base64 makes four symbols of three bytes: the file may hold three
// quarters of what an answer can carry.
Answer loadFileBase64(LoadFileBase64Call& call) {
  const std::string& path = call.path();
  platform::Result<std::string> text = loadAsBase64(path, kMaxAnswerBytes / 4 * 3);
  if (!text) return failure("Cannot load", path, text.status());
  return okAnswer(std::move(*text));
}

// Only the one text that encodes the bytes is taken (padded, no blanks,
// unused bits zero): anything else may be a mistake the page would not see
// until the file is read.
Answer saveFileBase64(SaveFileBase64Call& call) {
  const std::string& path = call.path();
  const AnsiString text(call.base64());
  const AnsiString bytes = Base64Decode(text);
  if (Base64Encode(bytes).str() != text.str()) {
    return errorAnswer("Cannot save [" + path + "]: not canonical base64 (nothing is written)");
  }
  const platform::Status saved = platform::writeWholeFile(path, bytes.str());
  if (!saved.ok()) return failure("Cannot save", path, saved);
  return okAnswer(path);
}

}  // namespace bridge::desktop
