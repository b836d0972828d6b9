#pragma once

// Shared ownership of one value, for tree nodes whose copies must be
// constant-time. The counts are plain integers: a shared value, with every
// Ref on it, belongs to one thread at a time.

// GCC 12 cannot follow a count shared by several inlined handles and takes
// the last handle's delete for a use after free by the others.
#if defined(__GNUC__) && !defined(__clang__) && __GNUC__ >= 12
#define PAGESHELL_REF_QUIET_GCC 1
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wuse-after-free"
#endif

// A value held inline next to the count of the Refs sharing it.
template <typename T>
class RefCounterBox {
 public:
  explicit RefCounterBox(const T& value) : value_(value) {}
  RefCounterBox(const RefCounterBox&) = delete;
  RefCounterBox& operator=(const RefCounterBox&) = delete;

  virtual T* get() { return &value_; }
  virtual const T* get() const { return &value_; }
  virtual void addRef() { ++refCount_; }
  // True when the caller held the last reference and must delete the box.
  virtual bool release() { return refCount_-- == 1; }
  virtual ~RefCounterBox() = default;

  int refCount() const { return refCount_; }

 private:
  int refCount_ = 1;
  T value_;
};

// A handle on a shared RefCounterBox; never empty. Copies share the box; the
// box is deleted with the last handle on it. Writes through get() are seen
// through every handle.
template <typename T>
class Ref {
 public:
  explicit Ref(const T& value) : box_(new RefCounterBox<T>(value)) {}
  Ref(const Ref& other) : box_(other.box_) { box_->addRef(); }

  // Shares the other's box. The other's box is taken before the own one is
  // let go, so assigning from a value that the own box keeps alive is safe.
  virtual Ref& operator=(const Ref& other) {
    if (box_ == other.box_) return *this;
    other.box_->addRef();
    Drop();
    box_ = other.box_;
    return *this;
  }
  virtual T& get() { return *box_->get(); }
  virtual const T& get() const { return *box_->get(); }
  virtual ~Ref() { Drop(); }

  // How many handles share the value; for diagnostics and tests.
  int useCount() const { return box_->refCount(); }

 private:
  void Drop() {
    if (box_->release()) delete box_;
  }

  RefCounterBox<T>* box_;
};

#ifdef PAGESHELL_REF_QUIET_GCC
#pragma GCC diagnostic pop
#undef PAGESHELL_REF_QUIET_GCC
#endif
