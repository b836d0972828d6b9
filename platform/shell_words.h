// Splitting a parameter text into program arguments the way a POSIX shell
// splits words, without running a shell: nothing is expanded or executed.
#pragma once

#include <string>
#include <vector>

namespace platform {

// Blanks (space, tab, line feed) separate words. Single quotes keep every
// byte up to the next single quote. Double quotes keep every byte except that
// a backslash escapes `"`, `\`, `$`, a backquote or a line feed. Outside
// quotes a backslash keeps the next byte; before a line feed both vanish.
// Quotes join with what touches them ("a"'b'c is one word abc) and an empty
// pair makes an empty word. `$`, `~`, globs and operators are ordinary bytes.
// An unclosed quote runs to the end of the text instead of failing: a page
// cannot fix its text once the program is supposed to be running.
std::vector<std::string> splitShellWords(const std::string& text);

}  // namespace platform
