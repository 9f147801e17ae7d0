#include "catalogue/TextHelpers.h"

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

std::string BinaryDigits16(uint16_t Value) {
  std::string out(16, '0');
  for (int bit = 15; bit >= 0; --bit)
    if (Value & (1u << bit)) out[static_cast<size_t>(15 - bit)] = '1';
  return out;
}

namespace {

// Signatures are ASCII letters; upper-casing them needs no code page.
bool SignatureEquals(std::string_view ThreeBytes, const char* Upper) {
  if (ThreeBytes.size() < 3) return false;
  for (size_t i = 0; i < 3; ++i) {
    char c = ThreeBytes[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != Upper[i]) return false;
  }
  return true;
}

}  // namespace

bool IsMissionSignature(std::string_view ThreeBytes) {
  return SignatureEquals(ThreeBytes, "BMS") || SignatureEquals(ThreeBytes, "VYK");
}

bool IsEnabledSignature(std::string_view ThreeBytes) {
  return SignatureEquals(ThreeBytes, "BMS");
}

}  // namespace brieflist
