// The request/answer protocol between page script and the shell.
//
// A request is a JSON array: [protocol version, page build tag, command name,
// arguments...]. Every element is read as text by one rule (elementText). An
// answer is a list of byte strings whose first element is "OK", "ERROR" or
// "BADVERSION"; a callback record is a list [callback id, "pass", event, ...].
// Both travel to script as JSON arrays of strings written by jsoncpp's styled
// writer. Everything here is plain data and safe to use from any thread.
#pragma once

#include <json/value.h>

#include <optional>
#include <string>
#include <vector>

namespace bridge {

inline constexpr const char* kProtocolVersion = "1.0.3.20150320";
inline constexpr const char* kShellBuildTag = "-quendrix-vabt.20150223";

// An answer or a callback record: UTF-8 byte strings.
using Answer = std::vector<std::string>;
using Record = std::vector<std::string>;

// Request positions shared by every command.
enum RequestPosition : Json::ArrayIndex {
  kVersionPosition = 0,
  kBuildTagPosition = 1,
  kCommandPosition = 2,
  kFirstArgument = 3,
};

// Parses a request text (UTF-8). Returns the array when the text is JSON whose
// root is a non-empty array; anything else is no request at all.
std::optional<Json::Value> parseRequest(const std::string& text);

// The element at `position` of `request` read as text: a string is its bytes,
// a missing position or null is "", integers are decimal, reals "%f", booleans
// "true"/"false". Arrays and objects have no text: throws std::runtime_error
// with "Type is not convertible to string".
std::string elementText(const Json::Value& request, Json::ArrayIndex position);

// The list written as a JSON array of strings in the styled writer's layout
// (short arrays on one line, one trailing line feed).
std::string writeList(const std::vector<std::string>& list);

}  // namespace bridge
