#pragma once

#include <climits>
#include <memory>
#include <stdexcept>
#include <utility>

#include "runtime/ds_box.h"
#include "runtime/exception.h"

// An ordered array of individually boxed elements with 0-based indexes.
//
// The array owns a pointer array of `capacity` slots and one heap DSBox per
// element, so growing copies pointers only and a reference to an element
// stays valid while elements are added. Growth is 2 x capacity + 1 (0, 1, 3,
// 7, 15, ...); the pointer array never shrinks. Copies are deep and get
// capacity = count. Delete moves the last element into the freed place, so
// it does not keep the order.
//
// Indexes outside 0..Count()-1 throw Exception("DynSet<T>::operator[]") or
// Exception("DynSet<T>::Delete"); a failed operation leaves the array
// unchanged. Not synchronised: one thread at a time.
template <typename T>
class DynSet {
 public:
  DynSet() = default;
  DynSet(const DynSet& other) { CopyFrom(other); }
  DynSet(DynSet&& other) noexcept
      : count_(std::exchange(other.count_, 0)),
        capacity_(std::exchange(other.capacity_, 0)),
        items_(std::exchange(other.items_, nullptr)) {}
  DynSet& operator=(DynSet&& other) noexcept {
    std::swap(count_, other.count_);
    std::swap(capacity_, other.capacity_);
    std::swap(items_, other.items_);
    return *this;
  }

  virtual DynSet& operator=(const DynSet& other) {
    if (this != &other) {
      DynSet copy(other);
      *this = std::move(copy);
    }
    return *this;
  }
  // Works when other is this array: only the elements present at the call
  // are added.
  virtual void AddAll(const DynSet& other) {
    const int n = other.count_;
    for (int i = 0; i < n; ++i) Add(other[i]);
  }
  virtual void Add(const T& value) {
    auto box = std::make_unique<DSBox<T>>(value);
    if (count_ >= capacity_) Grow();
    items_[count_++] = box.release();
  }
  virtual const T& operator[](int index) const {
    if (index < 0 || index >= count_) throw Exception("DynSet<T>::operator[]");
    return items_[index]->getValue();
  }
  virtual T& operator[](int index) {
    if (index < 0 || index >= count_) throw Exception("DynSet<T>::operator[]");
    return items_[index]->getValue();
  }
  virtual int Count() const { return count_; }
  // Returns the new count.
  virtual int Delete(int index) {
    if (index < 0 || index >= count_) throw Exception("DynSet<T>::Delete");
    delete items_[index];
    items_[index] = items_[count_ - 1];
    items_[--count_] = nullptr;
    return count_;
  }
  virtual ~DynSet() { Clear(); }

  int Capacity() const { return capacity_; }

 private:
  void Grow() {
    if (capacity_ > (INT_MAX - 1) / 2) throw std::length_error("DynSet<T>::Add");
    const int capacity = 2 * capacity_ + 1;
    DSBox<T>** items = new DSBox<T>*[capacity]();
    for (int i = 0; i < count_; ++i) items[i] = items_[i];
    delete[] items_;
    items_ = items;
    capacity_ = capacity;
  }
  // Leaves this array untouched when a clone throws.
  void CopyFrom(const DynSet& other) {
    if (other.count_ == 0) return;
    std::unique_ptr<DSBox<T>*[]> items(new DSBox<T>*[other.count_]());
    try {
      for (int i = 0; i < other.count_; ++i) items[i] = other.items_[i]->clone().release();
    } catch (...) {
      for (int i = 0; i < other.count_; ++i) delete items[i];
      throw;
    }
    items_ = items.release();
    count_ = capacity_ = other.count_;
  }
  void Clear() {
    for (int i = 0; i < count_; ++i) delete items_[i];
    delete[] items_;
    items_ = nullptr;
    count_ = capacity_ = 0;
  }

  int count_ = 0;
  int capacity_ = 0;
  DSBox<T>** items_ = nullptr;  // capacity_ slots; null when capacity_ is 0
};
