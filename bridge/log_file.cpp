#include "bridge/log_file.h"

#include <cstdio>

#include "platform/directory.h"

namespace bridge {

namespace {
const char kLogDirectory[] = "debug";
}

std::string timeStamp(std::time_t when) {
  std::tm local{};
  localtime_r(&when, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
  return text;
}

LogFile::LogFile() : fileName_("log-" + timeStamp(std::time(nullptr)) + ".txt") {}

void LogFile::write(const std::string& message) const {
  // A folder that cannot be made fails the open below: the line is lost.
  (void)platform::createDirectory(kLogDirectory);
  const std::string path = std::string(kLogDirectory) + "/" + fileName_;
  std::FILE* file = std::fopen(path.c_str(), "a");
  if (file == nullptr) return;
  // A line is text: a message ends at its first NUL.
  const std::string line =
      timeStamp(std::time(nullptr)) + ": " + message.substr(0, message.find('\0')) + "\n";
  std::fwrite(line.data(), 1, line.size(), file);
  std::fclose(file);
}

}  // namespace bridge
