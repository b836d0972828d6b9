#pragma once

#include "runtime/dyn_set.h"
#include "runtime/exception.h"

// A value that may be absent: the result of the parse functions. The value
// lives in a DynSet holding no element when empty and one when set; copies
// are deep. asValue on an empty Option throws Exception("Option<T>::asValue").
template <typename T>
class Option {
 public:
  Option() = default;
  explicit Option(const T& value) : present_(true) { value_.Add(value); }

  virtual bool isNone() const { return !present_; }
  virtual bool isValue() const { return present_; }
  virtual const T& asValue() const {
    if (!present_ || value_.Count() != 1) throw Exception("Option<T>::asValue");
    return value_[0];
  }
  virtual ~Option() = default;

 private:
  bool present_ = false;
  DynSet<T> value_;
};
