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

std::string NativeNameShown(const std::filesystem::path& Name) {
  std::string out;
  const std::wstring& wide = Name.native();
  for (size_t i = 0; i < wide.size(); ++i) {
    const auto unit = static_cast<char32_t>(wide[i]);
    // A character beyond the basic plane takes two UTF-16 units but is one '?'.
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 &&
        wide[i + 1] <= 0xDFFF)
      ++i;
    const auto byte = CodePointToWindows1252(unit);
    out += byte ? static_cast<char>(*byte) : '?';
  }
  return out;
}

#else

std::filesystem::path NativePath(const std::string& Path) {
  return std::filesystem::path(Path);
}

bool NameFromNative(const std::filesystem::path& Name, std::string& Out) {
  Out = Name.native();
  return true;
}

std::string NativeNameShown(const std::filesystem::path& Name) {
  return Name.native();
}

#endif

}  // namespace brieflist
