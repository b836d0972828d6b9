#include "platform/detached_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

extern char** environ;

namespace platform {
namespace {

// The children report a failure to the parent as an errno value on `report`;
// its close-on-exec flag makes a successful exec report nothing at all.
[[noreturn]] void failInChild(int report, int error) {
  ssize_t ignored = ::write(report, &error, sizeof error);
  (void)ignored;
  ::_exit(127);
}

// Runs in the grandchild, between fork and exec, so only async-signal-safe
// calls are allowed.
[[noreturn]] void execInChild(const char* program, char* const* argv, char* const* envp,
                              const char* directory, int report) {
  const int input = ::open("/dev/null", O_RDONLY);
  if (input >= 0 && input != STDIN_FILENO) {
    ::dup2(input, STDIN_FILENO);
    ::close(input);
  }
  // Descriptors the shell forgot to mark close-on-exec must not leak into a
  // program that may outlive us by days.
  if (report > 3) ::close_range(3, static_cast<unsigned>(report) - 1, 0);
  ::close_range(static_cast<unsigned>(report) + 1, ~0U, 0);

  // Ignored signals survive exec; the shell ignores SIGPIPE for its sockets,
  // which a started program must not inherit.
  struct sigaction standard = {};
  standard.sa_handler = SIG_DFL;
  for (int signal = 1; signal < NSIG; ++signal) ::sigaction(signal, &standard, nullptr);
  sigset_t none;
  ::sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);

  if (directory[0] != '\0' && ::chdir(directory) != 0) failInChild(report, errno);
  ::execve(program, argv, envp);
  failInChild(report, errno);
}

}  // namespace

bool isExecutableFile(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
         ::access(path.c_str(), X_OK) == 0;
}

Status startDetachedProcess(const std::string& program, const std::vector<std::string>& arguments,
                            const std::string& directory) {
  // Everything the children need is prepared here: after fork they may not
  // allocate.
  std::vector<std::string> words{program};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(&word[0]);
  argv.push_back(nullptr);
  char* const* envp = environ;

  int report[2];
  if (::pipe2(report, O_CLOEXEC) != 0) return Status::fromErrno(program);

  const pid_t middle = ::fork();
  if (middle < 0) {
    const Status failed = Status::fromErrno(program);
    ::close(report[0]);
    ::close(report[1]);
    return failed;
  }
  if (middle == 0) {
    ::close(report[0]);
    ::setsid();
    const pid_t child = ::fork();
    if (child < 0) failInChild(report[1], errno);
    if (child > 0) ::_exit(0);
    execInChild(program.c_str(), argv.data(), envp, directory.c_str(), report[1]);
  }

  ::close(report[1]);
  int status = 0;
  while (::waitpid(middle, &status, 0) < 0 && errno == EINTR) {
  }
  int error = 0;
  ssize_t got;
  do {
    got = ::read(report[0], &error, sizeof error);
  } while (got < 0 && errno == EINTR);
  ::close(report[0]);
  return got == static_cast<ssize_t>(sizeof error) ? Status::failure(error, program) : Status();
}

std::optional<std::string> findOnPath(const std::string& name) {
  if (name.empty() || name.find('/') != std::string::npos) return std::nullopt;
  const char* path = std::getenv("PATH");
  if (path == nullptr) return std::nullopt;
  const std::string directories(path);
  std::string::size_type begin = 0;
  for (;;) {
    const std::string::size_type end = directories.find(':', begin);
    std::string directory = directories.substr(begin, end - begin);
    if (directory.empty()) directory = ".";
    const std::string candidate = directory + "/" + name;
    if (isExecutableFile(candidate)) return candidate;
    if (end == std::string::npos) return std::nullopt;
    begin = end + 1;
  }
}

}  // namespace platform
