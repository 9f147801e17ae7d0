#pragma once

#include <optional>
#include <string>
#include <utility>

namespace brieflist {

// A failed file operation: which file, and the system's reason.
struct IoError {
  std::string Path;
  std::string Reason;

  std::string Describe() const { return Path + ": " + Reason; }
};

// Value or error; the engine never throws across its boundary.
template <typename T>
class IoResult {
 public:
  IoResult(T value) : Value_(std::move(value)) {}        // NOLINT: implicit by design
  IoResult(IoError error) : Error_(std::move(error)) {}  // NOLINT

  explicit operator bool() const { return Value_.has_value(); }
  T& operator*() { return *Value_; }
  const T& operator*() const { return *Value_; }
  T* operator->() { return &*Value_; }
  const T* operator->() const { return &*Value_; }
  const IoError& Error() const { return Error_; }

 private:
  std::optional<T> Value_;
  IoError Error_;
};

}  // namespace brieflist
