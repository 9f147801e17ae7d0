#include "exchange/ListFile.h"

#include <algorithm>
#include <cctype>
#include <limits>

#include "catalogue/ByteReader.h"

namespace brieflist {
namespace {

// A row without text: 6 text lengths, Enabled, Modified, DataOffset, GameVersion.
constexpr size_t kMinRowBytes = 6 * 2 + 2 + 2 + 4 + 2;
constexpr size_t kMaxTextBytes = std::numeric_limits<uint16_t>::max();

void PutU16(std::vector<uint8_t>& Out, uint16_t Value) {
  Out.push_back(static_cast<uint8_t>(Value));
  Out.push_back(static_cast<uint8_t>(Value >> 8));
}

void PutU32(std::vector<uint8_t>& Out, uint32_t Value) {
  for (int i = 0; i < 4; ++i) Out.push_back(static_cast<uint8_t>(Value >> (8 * i)));
}

void PutText(std::vector<uint8_t>& Out, const std::string& Text) {
  PutU16(Out, static_cast<uint16_t>(Text.size()));
  Out.insert(Out.end(), Text.begin(), Text.end());
}

// Reads fields in order; the first field that does not fit stops it.
class FieldReader {
 public:
  explicit FieldReader(std::span<const uint8_t> Bytes) : File_(Bytes), Size_(Bytes.size()) {}

  bool Ok() const { return Problem_.empty(); }
  const std::string& Problem() const { return Problem_; }
  size_t Position() const { return At_; }
  size_t Remaining() const { return Size_ - At_; }

  int16_t I16(const char* Field) {
    if (!Need(2, Field)) return 0;
    const auto value = static_cast<int16_t>(File_.U16LE(static_cast<int64_t>(At_)));
    At_ += 2;
    return value;
  }

  int32_t I32(const char* Field) {
    if (!Need(4, Field)) return 0;
    const int32_t value = File_.I32LE(static_cast<int64_t>(At_));
    At_ += 4;
    return value;
  }

  std::string Text(const char* Field) {
    if (!Need(2, Field)) return {};
    const size_t length = File_.U16LE(static_cast<int64_t>(At_));
    At_ += 2;
    if (length > Remaining()) {
      if (Ok())
        Problem_ = std::string(Field) + " is " + std::to_string(length) + " bytes long but only " +
                   std::to_string(Remaining()) + " bytes are left";
      return {};
    }
    std::string text(File_.InFile(static_cast<int64_t>(At_), static_cast<int64_t>(length)));
    At_ += length;
    return text;
  }

 private:
  bool Need(size_t Count, const char* Field) {
    if (!Ok()) return false;
    if (Count <= Remaining()) return true;
    Problem_ = std::string("the file ends inside ") + Field;
    return false;
  }

  ByteReader File_;
  size_t Size_;
  size_t At_ = 0;
  std::string Problem_;
};

// The start of a PFF3 archive: its header size 20, then "PFF3", letter case ignored.
bool IsPff3(std::span<const uint8_t> Bytes) {
  if (Bytes.size() < 8 || Bytes[0] != 20 || Bytes[1] != 0 || Bytes[2] != 0 || Bytes[3] != 0)
    return false;
  const char magic[] = "PFF3";
  for (size_t i = 0; i < 4; ++i)
    if (std::toupper(Bytes[4 + i]) != magic[i]) return false;
  return true;
}

}  // namespace

ListEncodeResult EncodeListFile(std::span<const MissionEntry> Rows) {
  ListEncodeResult result;
  if (Rows.size() > static_cast<size_t>(kMaxListRows)) {
    result.Reason = "the catalogue holds " + std::to_string(Rows.size()) +
                    " missions; a list file holds at most " + std::to_string(kMaxListRows);
    return result;
  }
  size_t size = 2;
  for (size_t i = 0; i < Rows.size(); ++i) {
    const MissionEntry& r = Rows[i];
    for (const std::string* text : {&r.FileName, &r.MissionName, &r.Creator, &r.MissionTypeFlags,
                                    &r.SourceFile, &r.Terrain}) {
      if (text->size() > kMaxTextBytes) {
        result.Reason = "a text of row " + std::to_string(i + 1) + " is longer than " +
                        std::to_string(kMaxTextBytes) + " bytes";
        return result;
      }
      size += text->size();
    }
    size += kMinRowBytes;
  }
  std::vector<uint8_t>& out = result.Bytes;
  out.reserve(size);
  PutU16(out, static_cast<uint16_t>(static_cast<int16_t>(static_cast<int32_t>(Rows.size()) - 1)));
  for (const MissionEntry& r : Rows) {
    PutText(out, r.FileName);
    PutText(out, r.MissionName);
    PutText(out, r.Creator);
    PutText(out, r.MissionTypeFlags);
    PutU16(out, static_cast<uint16_t>(r.Enabled));
    PutU16(out, static_cast<uint16_t>(r.Modified));
    PutText(out, r.SourceFile);
    PutU32(out, static_cast<uint32_t>(r.DataOffset));
    PutU16(out, static_cast<uint16_t>(r.GameVersion));
    PutText(out, r.Terrain);
  }
  result.Ok = true;
  return result;
}

ListDecodeResult DecodeListFile(std::span<const uint8_t> Bytes) {
  ListDecodeResult result;
  FieldReader in(Bytes);
  const int32_t last = in.I16("the row count");
  if (!in.Ok()) {
    result.Reason = in.Problem();
    return result;
  }
  // -1 is the one row count of an empty list; a lower one is not a list's.
  if (last < -1) {
    result.NotAList = true;
    result.Reason = "its row count reads " + std::to_string(last + 1);
    return result;
  }
  const int64_t count = static_cast<int64_t>(last) + 1;
  // A list's flags are Booleans (0 or -1): a row holding another value read other bytes, which
  // tells a file of another kind from a damaged list. Fields not read count as 0.
  std::string foreign;
  // Never trust the count beyond what the file can hold.
  result.Rows.reserve(static_cast<size_t>(
      std::clamp<int64_t>(count, 0, static_cast<int64_t>(in.Remaining() / kMinRowBytes))));
  for (int64_t i = 0; i < count; ++i) {
    MissionEntry r;
    r.FileName = in.Text("FileName");
    r.MissionName = in.Text("MissionName");
    r.Creator = in.Text("Creator");
    r.MissionTypeFlags = in.Text("MissionTypeFlags");
    r.Enabled = in.I16("Enabled");
    r.Modified = in.I16("Modified");
    r.SourceFile = in.Text("SourceFile");
    r.DataOffset = in.I32("DataOffset");
    r.GameVersion = in.I16("GameVersion");
    r.Terrain = in.Text("Terrain");
    for (const auto& [name, flag] : {std::pair{"Enabled", r.Enabled}, {"Modified", r.Modified}})
      if (foreign.empty() && flag != kTrue && flag != kFalse)
        foreign = "row " + std::to_string(i + 1) + "'s " + name + " reads " + std::to_string(flag) +
                  ", not a flag";
    if (!in.Ok()) {
      result.Rows.clear();
      result.NotAList = !foreign.empty() || IsPff3(Bytes);
      if (IsPff3(Bytes)) {
        result.Reason = "it is a PFF3 archive";
      } else if (!foreign.empty()) {
        result.Reason = foreign;
      } else {
        result.Reason =
            "row " + std::to_string(i + 1) + " of " + std::to_string(count) + ": " + in.Problem();
      }
      return result;
    }
    result.Rows.push_back(std::move(r));
  }
  // Bytes after the last row are left alone: a list saved over a longer file without cutting it
  // short carries the old file's tail, and such lists were always read.
  result.BytesUsed = in.Position();
  result.Ok = true;
  return result;
}

ListDecodeResult ReadListFile(FileSystem& Files, const std::string& Path) {
  auto bytes = Files.ReadWhole(Path);
  if (!bytes) {
    ListDecodeResult failed;
    failed.Reason = "Could not read the list " + bytes.Error().Describe();
    return failed;
  }
  ListDecodeResult result = DecodeListFile((*bytes)->Bytes());
  if (!result.Ok) {
    std::string reason = result.NotAList ? "The file " : "The list ";
    reason += Path;
    reason += result.NotAList ? " is not a Brieflist list: " : " is damaged: ";
    result.Reason = reason + result.Reason;
  }
  return result;
}

}  // namespace brieflist
