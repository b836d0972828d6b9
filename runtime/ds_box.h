#pragma once

#include <memory>
#include <utility>

#include "runtime/exception.h"

// Owns at most one heap T. Copies copy the value with T's own copy
// constructor (exactly T, never a derived type); the value is deleted through
// T's destructor. It is the element box of DynSet<T>.
//
// Reading an empty box throws Exception("DSBox::getValue"); cloning one
// throws Exception("DSBox<T>::clone").
template <typename T>
class DSBox {
 public:
  DSBox() = default;
  explicit DSBox(const T& value) : value_(new T(value)) {}
  DSBox(const DSBox& other) : value_(other.value_ ? new T(*other.value_) : nullptr) {}
  DSBox(DSBox&& other) noexcept : value_(std::exchange(other.value_, nullptr)) {}

  // Drops the own value, then copies the other's if it has one. The copy is
  // made first, so a throwing copy leaves this box unchanged.
  virtual DSBox& operator=(const DSBox& other) {
    T* copy = other.value_ ? new T(*other.value_) : nullptr;
    delete value_;
    value_ = copy;
    return *this;
  }
  virtual T& getValue() {
    if (value_ == nullptr) throw Exception("DSBox::getValue");
    return *value_;
  }
  virtual const T& getValue() const {
    if (value_ == nullptr) throw Exception("DSBox::getValue");
    return *value_;
  }
  virtual std::unique_ptr<DSBox> clone() const {
    if (value_ == nullptr) throw Exception("DSBox<T>::clone");
    return std::make_unique<DSBox>(*value_);
  }
  virtual ~DSBox() { delete value_; }

  bool isEmpty() const { return value_ == nullptr; }

 private:
  T* value_ = nullptr;
};
