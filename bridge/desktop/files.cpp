// Whole-file save and load, as text or as base64.
#include <string>

#include "bridge/desktop/desktop.h"
#include "platform/file_writer.h"
#include "platform/read_only_file.h"
#include "runtime/base64.h"

namespace bridge::desktop {
namespace {

Answer failure(const char* what, const std::string& path, const platform::Status& status) {
  return errorAnswer(std::string(what) + " [" + path + "]: " + status.reason());
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
  platform::Result<std::string> loaded = platform::loadWholeFile(path, kMaxAnswerBytes / 4 * 3);
  if (!loaded) return failure("Cannot load", path, loaded.status());
  return okAnswer(Base64EncodeBytes(*loaded));
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
