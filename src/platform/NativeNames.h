#pragma once

#include <filesystem>
#include <string>

namespace brieflist {

// The engine's paths are single-byte strings. On POSIX systems they are the system's own bytes;
// on Windows they are Windows-1252 text, converted here to and from the system's wide names.
std::filesystem::path NativePath(const std::string& Path);

// Converts a name the system gave us; false when it cannot be held as the engine's text.
bool NameFromNative(const std::filesystem::path& Name, std::string& Out);

// The name as the engine's text, with '?' for each character it cannot hold: for reports only,
// since '?' never names a file on Windows.
std::string NativeNameShown(const std::filesystem::path& Name);

}  // namespace brieflist
