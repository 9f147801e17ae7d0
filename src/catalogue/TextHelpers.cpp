#include "catalogue/TextHelpers.h"

#include "platform/Windows1252.h"

namespace brieflist {

std::string StripNuls(std::string_view Text) {
  std::string out;
  out.reserve(Text.size());
  for (const char c : Text)
    if (c != '\0') out += c;
  return out;
}

std::string StripNulsAndSpaces(std::string_view Text) {
  std::string out;
  out.reserve(Text.size());
  for (const char c : Text)
    if (c != '\0' && c != ' ') out += c;
  return out;
}

std::string HexPair(std::string_view Hex) {
  if (Hex.size() != 1) return std::string(Hex);
  return "0" + std::string(Hex);
}

std::string BinaryDigits16(uint16_t Value) {
  std::string out(16, '0');
  for (int bit = 15; bit >= 0; --bit)
    if (Value & (1u << bit)) out[static_cast<size_t>(15 - bit)] = '1';
  return out;
}

bool IsMissionSignature(std::string_view ThreeBytes) {
  const std::string upper = UpperCase1252(ThreeBytes.substr(0, 3));
  return upper == "BMS" || upper == "VYK";
}

bool IsEnabledSignature(std::string_view ThreeBytes) {
  return UpperCase1252(ThreeBytes.substr(0, 3)) == "BMS";
}

}  // namespace brieflist
