#include "catalogue/TextHelpers.h"

#include "platform/FolderListing.h"

namespace brieflist {

namespace {

// Header fields are 16 bytes: the kept characters are gathered on the stack and the string is
// made once, in its inline buffer when short enough, rather than grown a character at a time.
template <typename Keep>
std::string KeepOnly(std::string_view Text, Keep KeepChar) {
  char kept[64];
  if (Text.size() > sizeof kept) {
    std::string out;
    for (const char c : Text)
      if (KeepChar(c)) out += c;
    return out;
  }
  size_t n = 0;
  for (const char c : Text) {
    kept[n] = c;
    n += KeepChar(c) ? 1 : 0;
  }
  return std::string(kept, n);
}

}  // namespace

std::string StripNuls(std::string_view Text) {
  return KeepOnly(Text, [](char c) { return c != '\0'; });
}

std::string StripNulsAndSpaces(std::string_view Text) {
  return KeepOnly(Text, [](char c) { return c != '\0' && c != ' '; });
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

// Built afresh rather than replaced in place: g++ 12 at -O3 warns falsely (-Wrestrict) about
// std::string::replace inlined here.
std::string OneLine(std::string_view Text) {
  std::string out;
  out.reserve(Text.size());
  for (size_t i = 0; i < Text.size(); ++i) {
    if (Text.compare(i, 2, "\r\n") == 0) {
      out += ' ';
      ++i;
    } else {
      out += Text[i];
    }
  }
  return out;
}

}  // namespace brieflist
