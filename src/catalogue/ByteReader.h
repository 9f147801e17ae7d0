#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>

namespace brieflist {

// Bounds-checked little-endian access to a file's bytes. Every byte before the start or past
// the end of the file reads as zero, so no field can reach outside the buffer.
class ByteReader {
 public:
  explicit ByteReader(std::span<const uint8_t> Bytes) : Bytes_(Bytes) {}

  int64_t Size() const { return static_cast<int64_t>(Bytes_.size()); }

  uint8_t U8(int64_t Offset) const {
    return (Offset >= 0 && Offset < Size()) ? Bytes_[static_cast<size_t>(Offset)] : 0;
  }
  uint16_t U16LE(int64_t Offset) const {
    return static_cast<uint16_t>(U8(Offset) | (U8(Offset + 1) << 8));
  }
  uint32_t U32LE(int64_t Offset) const {
    return static_cast<uint32_t>(U8(Offset)) | (static_cast<uint32_t>(U8(Offset + 1)) << 8) |
           (static_cast<uint32_t>(U8(Offset + 2)) << 16) |
           (static_cast<uint32_t>(U8(Offset + 3)) << 24);
  }
  int32_t I32LE(int64_t Offset) const { return static_cast<int32_t>(U32LE(Offset)); }

  // Count bytes at Offset as single-byte text, zero-filled outside the file.
  std::string Bytes(int64_t Offset, int64_t Count) const {
    std::string out(static_cast<size_t>(Count > 0 ? Count : 0), '\0');
    const int64_t begin = Offset < 0 ? 0 : Offset;
    const int64_t end = Offset + Count < Size() ? Offset + Count : Size();
    if (begin < end)
      std::memcpy(out.data() + (begin - Offset), Bytes_.data() + begin,
                  static_cast<size_t>(end - begin));
    return out;
  }

  // N bytes at Offset without allocating, zero-filled outside the file.
  template <size_t N>
  std::array<char, N> Chars(int64_t Offset) const {
    std::array<char, N> out{};
    for (size_t i = 0; i < N; ++i) out[i] = static_cast<char>(U8(Offset + static_cast<int64_t>(i)));
    return out;
  }

  // The part of [Offset, Offset + Count) that lies inside the file.
  std::string_view InFile(int64_t Offset, int64_t Count) const {
    const int64_t begin = Offset < 0 ? 0 : (Offset > Size() ? Size() : Offset);
    int64_t end = Offset + Count;
    end = end < begin ? begin : (end > Size() ? Size() : end);
    return {reinterpret_cast<const char*>(Bytes_.data()) + begin, static_cast<size_t>(end - begin)};
  }

 private:
  std::span<const uint8_t> Bytes_;
};

}  // namespace brieflist
