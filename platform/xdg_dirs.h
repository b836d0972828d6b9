// Where the freedesktop.org conventions put a user's folders: the base
// directories ($XDG_CONFIG_HOME and friends) and the user directories named
// in user-dirs.dirs (Desktop, Documents, Music...).
//
// Everything is read from the environment and the file system at each call,
// so a change made while the shell runs is seen by the next call. Results are
// absolute paths without a trailing slash; nothing is created. Safe from any
// thread as long as nobody changes the environment meanwhile.
#pragma once

#include <optional>
#include <string>

namespace platform {

// $HOME when it is an absolute path, else the home of the user in the
// password database; nothing when neither is known.
std::optional<std::string> homeDirectory();

// The value of `variable` (e.g. "XDG_DATA_HOME") when it is an absolute path,
// else `home` + "/" + `underHome` (e.g. ".local/share").
std::string baseDirectory(const char* variable, const std::string& home, const char* underHome);

// The first absolute entry of the colon-separated `variable` (e.g.
// "XDG_DATA_DIRS"), else `fallback`.
std::string firstDirectoryOf(const char* variable, const char* fallback);

// The user directory `name` ("DESKTOP", "DOCUMENTS", "MUSIC", "PICTURES",
// "VIDEOS", "TEMPLATES", "DOWNLOAD", "PUBLICSHARE") as user-dirs.dirs in the
// configuration home sets it with XDG_<name>_DIR, else `home` + "/" +
// `defaultName`.
std::string userDirectory(const std::string& name, const std::string& home,
                          const char* defaultName);

// One value of user-dirs.dirs ("$HOME/Music", quoted or not) as a path, or
// nothing when it is neither under $HOME nor absolute. Exposed for tests.
std::optional<std::string> userDirsValue(const std::string& value, const std::string& home);

}  // namespace platform
