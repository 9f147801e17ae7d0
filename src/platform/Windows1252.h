#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace brieflist {

// Code point of one Windows-1252 byte. The five bytes the code page leaves undefined map to the
// C1 controls of the same value, so every byte has a distinct character and nothing is lost.
char32_t Windows1252ToCodePoint(unsigned char Byte);

// The byte for a code point, or nothing when Windows-1252 cannot hold it.
std::optional<unsigned char> CodePointToWindows1252(char32_t CodePoint);

// Single-byte file text to UTF-8 for display.
std::string Windows1252ToUtf8(std::string_view Text);

// UTF-8 to single-byte text; nothing when a character has no Windows-1252 byte or the UTF-8 is
// malformed.
std::optional<std::string> Utf8ToWindows1252(std::string_view Text);

// A file name or path the system gave us, for display: on Windows it is Windows-1252 text; on
// other systems the name's own bytes, shown as UTF-8 when they are valid UTF-8.
std::string NativeNameToUtf8(std::string_view Name);

bool IsValidUtf8(std::string_view Text);

// True when every byte is below 0x80: such text reads the same in every code page we meet.
bool IsAscii(std::string_view Text);

// Upper-casing of single-byte text as the games' platform does it for Windows-1252.
std::string UpperCase1252(std::string_view Text);

}  // namespace brieflist
