#include "catalogue/TextHelpers.h"

#include "platform/FolderListing.h"

namespace brieflist {

// No reserve: a field of 16 bytes would then always leave the string's inline buffer.
std::string StripNuls(std::string_view Text) {
  std::string out;
  for (const char c : Text)
    if (c != '\0') out += c;
  return out;
}

std::string StripNulsAndSpaces(std::string_view Text) {
  std::string out;
  for (const char c : Text)
    if (c != '\0' && c != ' ') out += c;
  return out;
}

std::string HexPair(std::string_view Hex) {
  std::string out(Hex.size() == 1 ? "0" : "");
  out += Hex;
  return out;
}

std::string BinaryDigits16(uint16_t Value) {
  std::string out(16, '0');
  for (int bit = 15; bit >= 0; --bit)
    if (Value & (1u << bit)) out[static_cast<size_t>(15 - bit)] = '1';
  return out;
}

namespace {

bool SignatureEquals(std::string_view ThreeBytes, std::string_view Upper) {
  return ThreeBytes.size() >= 3 && EqualsIgnoringCase(ThreeBytes.substr(0, 3), Upper);
}

}  // namespace

bool IsMissionSignature(std::string_view ThreeBytes) {
  return SignatureEquals(ThreeBytes, "BMS") || SignatureEquals(ThreeBytes, "VYK");
}

bool IsEnabledSignature(std::string_view ThreeBytes) {
  return SignatureEquals(ThreeBytes, "BMS");
}

}  // namespace brieflist
