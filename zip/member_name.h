// The text of a member name, and how a page's name is matched against it.
//
// A name whose bytes are valid UTF-8 is taken as it is. A name that is not
// comes from an older Windows archiver writing the system's DOS code page,
// which in Poland is CP852, and is read as CP852, even when the archive
// flags it UTF-8: some of those archivers set the flag on every name. The
// text of every name is thus UTF-8, the form in which a page lists a name
// and gives it back.
#pragma once

#include <string>
#include <string_view>

// True when `bytes` are well-formed UTF-8: no overlong forms, no surrogates,
// nothing past U+10FFFF.
bool isUtf8(std::string_view bytes);

// `bytes` read as CP852, in UTF-8. Every byte has a character.
std::string cp852ToUtf8(std::string_view bytes);

// The text of a name with the raw bytes `raw`, flagged UTF-8 or not.
std::string memberNameText(std::string_view raw);

// True when the names are equal once the case of ASCII letters is ignored;
// other letters must match exactly, so that no locale decides.
bool sameNameIgnoringAsciiCase(std::string_view a, std::string_view b);
