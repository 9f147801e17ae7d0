#include "platform/NativeNames.h"

#include "platform/Windows1252.h"

namespace brieflist {

#ifdef _WIN32

std::filesystem::path NativePath(const std::string& Path) {
  std::wstring wide;
  wide.reserve(Path.size());
  for (const char c : Path)
    wide += static_cast<wchar_t>(Windows1252ToCodePoint(static_cast<unsigned char>(c)));
  return std::filesystem::path(wide);
}

bool NameFromNative(const std::filesystem::path& Name, std::string& Out) {
  Out.clear();
  for (const wchar_t w : Name.native()) {
    const auto byte = CodePointToWindows1252(static_cast<char32_t>(w));
    if (!byte) return false;
    Out += static_cast<char>(*byte);
  }
  return true;
}

#else

std::filesystem::path NativePath(const std::string& Path) {
  return std::filesystem::path(Path);
}

bool NameFromNative(const std::filesystem::path& Name, std::string& Out) {
  Out = Name.native();
  return true;
}

#endif

}  // namespace brieflist
