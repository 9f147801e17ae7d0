#pragma once

#include <optional>
#include <string>
#include <utility>

namespace brieflist {

// What kind of failure an IoError is, so callers decide without reading the system's words.
enum class IoFault {
  Other,
  Denied,   // no leave to open or write it, or a read-only file, folder or disc
  Held,     // another program holds it open (Windows sharing and lock violations)
  NoSpace,  // the disk or the quota is full
  Missing,  // nothing of that name is there
};

// A failed file operation: which file, the system's reason, and its code (errno or
// GetLastError(); 0 when the failure is the program's own finding).
struct IoError {
  std::string Path;
  std::string Reason;
  int Code = 0;
  IoFault Fault = IoFault::Other;

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
