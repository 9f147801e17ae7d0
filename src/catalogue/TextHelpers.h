#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace brieflist {

// Text with every NUL removed, wherever it stands.
std::string StripNuls(std::string_view Text);

// Text with every NUL and every space removed.
std::string StripNulsAndSpaces(std::string_view Text);

// The 16 binary digits of Value, most significant bit first.
std::string BinaryDigits16(uint16_t Value);

// Text with every line break (CR LF) turned into a space, for one-line reports.
std::string OneLine(std::string_view Text);

// True when the three signature bytes, upper-cased, are "BMS" or "VYK".
bool IsMissionSignature(std::string_view ThreeBytes);

// True when the three signature bytes, upper-cased, are "BMS".
bool IsEnabledSignature(std::string_view ThreeBytes);

}  // namespace brieflist
