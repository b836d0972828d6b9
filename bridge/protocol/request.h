// One request as the page sent it: the elements of its JSON array, each held
// as the text it reads as.
//
// Every element is read by one rule: a string is its bytes, null is "",
// integers are decimal, reals "%f" with a decimal point whatever the locale,
// booleans "true"/"false". Arrays and objects have no text; reading one
// throws CmdException("Type is not convertible to string"). The texts are
// made once, when the request is read, so that a command reading its
// arguments copies nothing and a statement batch of thousands of elements is
// not looked up element by element.
#pragma once

#include <json/value.h>

#include <cstddef>
#include <string>
#include <vector>

namespace bridge {

class Request {
 public:
  Request() = default;

  // The elements of a JSON array, each read by the text rule.
  explicit Request(const Json::Value& array);

  void reserve(std::size_t elements) { elements_.reserve(elements); }

  // Appends an element that reads as `text`.
  void addText(std::string text) { elements_.push_back({std::move(text), true}); }

  // Appends an array or an object: an element without a text.
  void addWithoutText() { elements_.push_back({std::string(), false}); }

  std::size_t size() const { return elements_.size(); }
  bool empty() const { return elements_.empty(); }

  // The text of the element at `position`; a missing position reads as "".
  // Throws CmdException for an element without a text.
  const std::string& text(std::size_t position) const;

  // Throws what text(position) would, and with `refuseNul` what pathText
  // (protocol.h) would for its text, without copying the text.
  void checkText(std::size_t position, bool refuseNul) const;

  // The bytes of all the elements' texts: what a copy of them holds.
  std::size_t textBytes() const;

  bool operator==(const Request& other) const;

 private:
  struct Element {
    std::string text;
    bool hasText;
  };
  std::vector<Element> elements_;
};

}  // namespace bridge
