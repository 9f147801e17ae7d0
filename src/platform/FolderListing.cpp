#include "platform/FolderListing.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/NativeNames.h"
#include "platform/Paths.h"

namespace brieflist {
namespace {

char AsciiLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

bool EqualsIgnoringCase(std::string_view A, std::string_view B) {
  return A.size() == B.size() && std::equal(A.begin(), A.end(), B.begin(), [](char a, char b) {
           return AsciiLower(a) == AsciiLower(b);
         });
}

bool EndsWithIgnoringCase(std::string_view Name, std::string_view Suffix) {
  return Name.size() >= Suffix.size() &&
         EqualsIgnoringCase(Name.substr(Name.size() - Suffix.size()), Suffix);
}

bool NameOrderLess(std::string_view A, std::string_view B) {
  const size_t n = std::min(A.size(), B.size());
  for (size_t i = 0; i < n; ++i) {
    const auto a = static_cast<unsigned char>(AsciiLower(A[i]));
    const auto b = static_cast<unsigned char>(AsciiLower(B[i]));
    if (a != b) return a < b;
  }
  if (A.size() != B.size()) return A.size() < B.size();
  return A < B;
}

namespace {

// The system's reason and code, and the fault kind where the code says one.
IoError ListingError(const std::string& Path, const std::error_code& Error) {
  IoFault fault = IoFault::Other;
  if (Error == std::errc::permission_denied || Error == std::errc::operation_not_permitted)
    fault = IoFault::Denied;
  else if (Error == std::errc::no_such_file_or_directory || Error == std::errc::not_a_directory)
    fault = IoFault::Missing;
  return IoError{Path, Error.message(), Error.value(), fault};
}

}  // namespace

IoResult<FolderFiles> ListMatchingFolder(const std::string& Folder, const std::string& Suffix) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::directory_iterator it(NativePath(Folder), ec);
  if (ec) return ListingError(Folder, ec);

  // One pass over the folder's entries: each file is met once, whatever the letter case of its
  // name, and the suffix is matched here rather than by a system pattern, which on Windows would
  // also match the short 8.3 alias of a longer name.
  FolderFiles files;
  for (const fs::directory_iterator end; it != end; it.increment(ec)) {
    if (ec) return ListingError(Folder, ec);
    std::error_code typeError;
    if (!it->is_regular_file(typeError)) {
      // A link to nothing is no file; one that cannot be followed may be a game file.
      if (typeError && typeError != std::errc::no_such_file_or_directory &&
          typeError != std::errc::not_a_directory) {
        const std::string name = NativeNameShown(it->path().filename());
        if (EndsWithIgnoringCase(name, Suffix))
          files.Unreadable.push_back(ListingError(JoinPath(Folder, name), typeError));
      }
      continue;
    }
    std::string name;
    if (NameFromNative(it->path().filename(), name)) {
      if (EndsWithIgnoringCase(name, Suffix)) files.Names.push_back(std::move(name));
    } else {
      name = NativeNameShown(it->path().filename());
      if (EndsWithIgnoringCase(name, Suffix)) files.Unrepresentable.push_back(std::move(name));
    }
  }
  if (ec) return ListingError(Folder, ec);
  const auto less = [](const std::string& a, const std::string& b) { return NameOrderLess(a, b); };
  std::sort(files.Names.begin(), files.Names.end(), less);
  std::sort(files.Unrepresentable.begin(), files.Unrepresentable.end(), less);
  return files;
}

IoResult<std::vector<std::string>> ListMatchingFiles(const std::string& Folder,
                                                     const std::string& Suffix) {
  auto files = ListMatchingFolder(Folder, Suffix);
  if (!files) return files.Error();
  return std::move(files->Names);
}

}  // namespace brieflist
