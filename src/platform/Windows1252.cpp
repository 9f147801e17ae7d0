#include "platform/Windows1252.h"

#include <array>
#include <cstdint>

namespace brieflist {
namespace {

// 0x80..0x9F; the rest of the code page equals Latin-1.
constexpr std::array<char32_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  //
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  //
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  //
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Decodes one UTF-8 sequence at Text[i]; advances i. Returns false on malformed input.
bool NextCodePoint(std::string_view Text, size_t& i, char32_t& cp) {
  const auto b0 = static_cast<unsigned char>(Text[i]);
  size_t extra = 0;
  char32_t min = 0;
  if (b0 < 0x80) {
    cp = b0;
  } else if ((b0 & 0xE0) == 0xC0) {
    cp = b0 & 0x1F, extra = 1, min = 0x80;
  } else if ((b0 & 0xF0) == 0xE0) {
    cp = b0 & 0x0F, extra = 2, min = 0x800;
  } else if ((b0 & 0xF8) == 0xF0) {
    cp = b0 & 0x07, extra = 3, min = 0x10000;
  } else {
    return false;
  }
  if (i + extra >= Text.size() && extra > 0) return false;
  for (size_t k = 1; k <= extra; ++k) {
    const auto b = static_cast<unsigned char>(Text[i + k]);
    if ((b & 0xC0) != 0x80) return false;
    cp = (cp << 6) | (b & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
  i += extra + 1;
  return true;
}

}  // namespace

char32_t Windows1252ToCodePoint(unsigned char Byte) {
  if (Byte >= 0x80 && Byte <= 0x9F) return kHigh[Byte - 0x80];
  return Byte;
}

std::optional<unsigned char> CodePointToWindows1252(char32_t CodePoint) {
  if (CodePoint < 0x80 || (CodePoint >= 0xA0 && CodePoint <= 0xFF))
    return static_cast<unsigned char>(CodePoint);
  for (size_t i = 0; i < kHigh.size(); ++i)
    if (kHigh[i] == CodePoint) return static_cast<unsigned char>(0x80 + i);
  return std::nullopt;
}

bool IsAscii(std::string_view Text) {
  for (const char c : Text)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

std::string Windows1252ToUtf8(std::string_view Text) {
  if (IsAscii(Text)) return std::string(Text);  // the common case, and the same bytes in UTF-8
  std::string out;
  out.reserve(Text.size());
  for (const char c : Text) AppendUtf8(out, Windows1252ToCodePoint(static_cast<unsigned char>(c)));
  return out;
}

std::optional<std::string> Utf8ToWindows1252(std::string_view Text) {
  std::string out;
  out.reserve(Text.size());
  for (size_t i = 0; i < Text.size();) {
    char32_t cp = 0;
    if (!NextCodePoint(Text, i, cp)) return std::nullopt;
    const auto byte = CodePointToWindows1252(cp);
    if (!byte) return std::nullopt;
    out += static_cast<char>(*byte);
  }
  return out;
}

bool IsValidUtf8(std::string_view Text) {
  if (IsAscii(Text)) return true;
  for (size_t i = 0; i < Text.size();) {
    char32_t cp = 0;
    if (!NextCodePoint(Text, i, cp)) return false;
  }
  return true;
}

std::string NativeNameToUtf8(std::string_view Name) {
#ifndef _WIN32
  if (IsValidUtf8(Name)) return std::string(Name);
#endif
  return Windows1252ToUtf8(Name);
}

namespace {

struct UpperTable {
  unsigned char Of[256];
  constexpr UpperTable() : Of() {
    for (int b = 0; b < 256; ++b) {
      int upper = b;
      if ((b >= 'a' && b <= 'z') || (b >= 0xE0 && b <= 0xFE && b != 0xF7))
        upper = b - 32;
      else if (b == 0x9A || b == 0x9C || b == 0x9E)
        upper = b - 16;
      else if (b == 0xFF)
        upper = 0x9F;
      Of[b] = static_cast<unsigned char>(upper);
    }
  }
};

constexpr UpperTable kUpper;

}  // namespace

std::string UpperCase1252(std::string_view Text) {
  std::string out(Text);
  for (char& c : out) c = static_cast<char>(kUpper.Of[static_cast<unsigned char>(c)]);
  return out;
}

}  // namespace brieflist
