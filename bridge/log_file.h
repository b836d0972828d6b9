// The shell's text log: one file per run, "debug/log-<YYYYMMDD-hhmmss>.txt" in
// the working directory, one time-stamped line per message.
//
// Every line opens, appends and closes the file, so the log is complete on
// disk after each line and other programs may read it while the shell runs.
// Writing never fails visibly: a line that cannot be written is lost. The
// "debug" directory is created again when it has been deleted.
//
// Only the GUI thread writes; the writer takes no lock.
#pragma once

#include <ctime>
#include <string>

namespace bridge {

// Local time as "YYYYMMDD-hhmmss".
std::string timeStamp(std::time_t when);

class LogFile {
 public:
  // Fixes the file name from the current time.
  LogFile();

  // The file name without its directory: "log-" + time stamp + ".txt".
  const std::string& fileName() const { return fileName_; }

  // Appends the time stamp of now, ": ", the message up to its first NUL
  // and a line feed.
  void write(const std::string& message) const;

 private:
  std::string fileName_;
};

}  // namespace bridge
