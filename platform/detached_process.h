// Starting programs that live on after the shell.
//
// A program started here runs in its own session, reads nothing from the
// shell's standard input and begins with default signal handling, whatever
// the shell ignores or blocks. The shell does not wait for it and leaves no
// zombie behind: the program is started by a short-lived intermediate child
// that is reaped at once, so the program belongs to the system, not to us.
//
// Safe to call from any thread; no SIGCHLD handler is installed or needed.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/error.h"

namespace platform {

// Starts `program` (a path, handed to execve as is) with `arguments` after its
// name, in `directory` (empty: the shell's working directory). Succeeds once
// the program image is running; otherwise fails with the errno of the step
// that failed (ENOENT, EACCES, ENOEXEC for a file that is not a program, the
// chdir error for a bad directory...).
Status startDetachedProcess(const std::string& program, const std::vector<std::string>& arguments,
                            const std::string& directory);

// A regular file that we may execute.
bool isExecutableFile(const std::string& path);

// The first executable regular file called `name` in the directories of
// $PATH (an empty entry is the working directory), or nothing.
std::optional<std::string> findOnPath(const std::string& name);

}  // namespace platform
