#pragma once

#include "runtime/dyn_set.h"
#include "runtime/ref.h"

// A DynSet shared by every copy of the handle: an element added through one
// copy is seen through all. A default-made one starts a new empty array.
// Failures are those of DynSet<T>. One thread at a time, as for Ref.
template <typename T>
class RefDynSet {
 public:
  RefDynSet() : items_(DynSet<T>()) {}

  virtual void AddAll(const RefDynSet& other) { items_.get().AddAll(other.items_.get()); }
  virtual void Add(const T& value) { items_.get().Add(value); }
  virtual const T& operator[](int index) const { return items_.get()[index]; }
  virtual T& operator[](int index) { return items_.get()[index]; }
  virtual int Count() const { return items_.get().Count(); }
  virtual int Delete(int index) { return items_.get().Delete(index); }
  virtual ~RefDynSet() = default;

  // How many handles share the array; for diagnostics and tree release.
  int useCount() const { return items_.useCount(); }

 private:
  Ref<DynSet<T>> items_;
};
