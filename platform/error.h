// How platform functions report failure.
//
// An operation that can fail answers a Status, or a Result<T> when it also
// gives a value. A failure carries the errno of the call that failed, the
// path it was working on (may be empty) and a reason: the system's text for
// the errno (UTF-8: translated under a UTF-8 locale, else English), or a
// short text of our own where the system has none ("not a regular file").
// Callers word their own messages from reason() and path().
//
// Lookups that may rightly find nothing answer std::optional, and plain
// questions ("is this a folder?") answer bool: neither is a failure.
//
// Values; safe to copy between threads.
#pragma once

#include <optional>
#include <string>
#include <utility>

namespace platform {

class [[nodiscard]] Status {
 public:
  // Success.
  Status() = default;

  // The failure `code` (an errno value, not 0) while working on `path`, with
  // the system's text for `code` as its reason.
  static Status failure(int code, std::string path);
  // The same with a reason of our own.
  static Status failure(int code, std::string path, std::string reason);
  // The failure the calling thread's errno names now.
  static Status fromErrno(std::string path);

  bool ok() const { return code_ == 0; }
  // The errno value; 0 on success.
  int code() const { return code_; }
  const std::string& path() const { return path_; }
  // Why it failed, without the path; empty on success.
  const std::string& reason() const { return reason_; }
  // "path: reason", for the log.
  std::string message() const;

 private:
  Status(int code, std::string path, std::string reason)
      : code_(code), path_(std::move(path)), reason_(std::move(reason)) {}

  int code_ = 0;
  std::string path_;
  std::string reason_;
};

// A value, or the failure that kept it from being made.
template <class T>
class [[nodiscard]] Result {
 public:
  // Separate overloads, so that `return local;` moves the value in.
  Result(const T& value) : value_(value) {}
  Result(T&& value) : value_(std::move(value)) {}
  // `status` must be a failure.
  Result(Status status) : status_(std::move(status)) {}

  bool ok() const { return value_.has_value(); }
  explicit operator bool() const { return ok(); }
  const Status& status() const { return status_; }

  // The value; only when ok().
  T& operator*() { return *value_; }
  const T& operator*() const { return *value_; }
  T* operator->() { return &*value_; }
  const T* operator->() const { return &*value_; }

 private:
  std::optional<T> value_;
  Status status_;
};

}  // namespace platform
