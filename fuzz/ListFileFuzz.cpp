// Reads arbitrary bytes as a list file.
#include <cstddef>
#include <cstdint>

#include "exchange/ListFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  using namespace brieflist;
  const std::span<const uint8_t> bytes(Data, Size);
  const ListDecodeResult decoded = DecodeListFile(bytes);
  if (!decoded.Ok) {
    // A refused file yields no rows and says why.
    if (!decoded.Rows.empty() || decoded.Reason.empty()) __builtin_trap();
    return 0;
  }
  // Every row takes at least 22 bytes, and what was read is exactly what writing gives back.
  if (decoded.BytesUsed > Size || 2 + decoded.Rows.size() * 22 > decoded.BytesUsed)
    __builtin_trap();
  // 32768 rows can be read but are not written; they need far more bytes than a fuzz input.
  if (decoded.Rows.empty() || decoded.Rows.size() > static_cast<size_t>(kMaxListRows)) return 0;
  const ListEncodeResult encoded = EncodeListFile(decoded.Rows);
  if (!encoded.Ok || encoded.Bytes.size() != decoded.BytesUsed) __builtin_trap();
  for (size_t i = 0; i < encoded.Bytes.size(); ++i)
    if (encoded.Bytes[i] != Data[i]) __builtin_trap();
  return 0;
}
