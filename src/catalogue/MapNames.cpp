#include "catalogue/MapNames.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <unordered_set>
#include <utility>

#include "catalogue/PffArchive.h"
#include "platform/Windows1252.h"

namespace brieflist {

MapText::MapText(std::string_view Text) {
  if (Text.size() <= kInPlace) {
    // An empty view may have no data at all, which memcpy must not be given.
    if (!Text.empty()) std::memcpy(Near_, Text.data(), Text.size());
    NearLength_ = static_cast<uint8_t>(Text.size());
    return;
  }
  new (&Far_) Far{std::make_shared<const std::string>(Text), 0, static_cast<uint32_t>(Text.size())};
  NearLength_ = kFar;
}

MapText::MapText(const std::shared_ptr<const std::string>& Texts, size_t Offset, size_t Length) {
  if (Length <= kInPlace) {
    std::memcpy(Near_, Texts->data() + Offset, Length);
    NearLength_ = static_cast<uint8_t>(Length);
    return;
  }
  new (&Far_) Far{Texts, static_cast<uint32_t>(Offset), static_cast<uint32_t>(Length)};
  NearLength_ = kFar;
}

MapText::MapText(const MapText& Other) : NearLength_(Other.NearLength_) {
  if (NearLength_ == kFar)
    new (&Far_) Far(Other.Far_);
  else
    std::memcpy(Near_, Other.Near_, NearLength_);
}

MapText::MapText(MapText&& Other) noexcept : NearLength_(Other.NearLength_) {
  if (NearLength_ == kFar) {
    new (&Far_) Far(std::move(Other.Far_));
    Other.Far_.~Far();
    Other.NearLength_ = 0;
  } else {
    std::memcpy(Near_, Other.Near_, NearLength_);
  }
}

// Copying a text never throws, so the old one can go first.
MapText& MapText::operator=(const MapText& Other) {
  if (this != &Other) {
    this->~MapText();
    new (this) MapText(Other);
  }
  return *this;
}

MapText& MapText::operator=(MapText&& Other) noexcept {
  if (this != &Other) {
    this->~MapText();
    new (this) MapText(std::move(Other));
  }
  return *this;
}

MapText::~MapText() {
  if (NearLength_ == kFar) Far_.~Far();
}

int64_t TextBlock::FindNul(int64_t From) const {
  if (From < 0) From = 0;
  if (From >= Length) return -1;
  const int64_t at = Start + From;
  if (at < 0 || at >= File->Size()) return From;  // outside the file: a zero byte
  const std::string_view inside = File->InFile(at, Length - From);
  const void* hit = std::memchr(inside.data(), 0, inside.size());
  if (hit) return From + (static_cast<const char*>(hit) - inside.data());
  const int64_t after = From + static_cast<int64_t>(inside.size());
  return after < Length ? after : -1;
}

std::string_view TextBlock::Text(int64_t From, int64_t To) const {
  if (To <= From) return {};
  return File->InFile(Start + From, To - From);
}

void StoreStringPairs(std::vector<MapNameEntry>& MapNames, const TextBlock& KeyBlock,
                      const TextBlock& TextBlock_, int64_t N) {
  // Every text lies in the file (a NUL ends it otherwise), so one copy of the block's part in
  // the file holds them all, and pairs with a long text view into it.
  const std::string_view inFile = TextBlock_.File->InFile(TextBlock_.Start, TextBlock_.Length);
  const int64_t inFileStart = std::max<int64_t>(0, -TextBlock_.Start);
  std::shared_ptr<const std::string> texts;

  // When the text block runs out of NULs, that iteration adds nothing and the search starts
  // again from the beginning, so the texts repeat. The repeating pass is collected once, on
  // the first run-out, and replayed: a short block and a large N cost no more than the block's
  // length plus N, and the usual resource, which never runs out, allocates nothing for it.
  std::vector<std::pair<int64_t, int64_t>> pass;
  bool replaying = false;
  size_t replay = 0;
  int64_t textStart = 0;
  int64_t keyStart = 0;
  for (int64_t i = 0; i <= N; ++i) {
    // A key block that runs out of keys gives empty keys.
    const int64_t keyEnd = KeyBlock.FindNul(keyStart);
    std::string key;
    if (keyEnd >= 0) {
      key = UpperCase1252(KeyBlock.Text(keyStart, keyEnd));
      keyStart = keyEnd + 1;
    } else {
      keyStart = KeyBlock.Length;
    }

    std::pair<int64_t, int64_t> text;
    if (!replaying) {
      const int64_t textEnd = TextBlock_.FindNul(textStart);
      if (textEnd < 0) {
        if (textStart == 0) break;  // no text at all: nothing can ever be added
        for (int64_t at = 0, end; (end = TextBlock_.FindNul(at)) >= 0; at = end + 1)
          pass.emplace_back(at, end);
        replaying = true;
        continue;
      }
      text = {textStart, textEnd};
      textStart = textEnd + 1;
    } else {
      if (replay == pass.size()) {
        replay = 0;  // the iteration that finds no NUL
        continue;
      }
      text = pass[replay++];
    }

    // A key "STR_VC0..." is stored from its "C0" on.
    if (key.compare(0, 7, "STR_VC0") == 0) key.erase(0, 5);
    const auto length = static_cast<size_t>(text.second - text.first);
    if (length <= MapText::kInPlace) {
      MapNames.push_back(
          MapNameEntry{std::move(key), MapText(TextBlock_.Text(text.first, text.second))});
      continue;
    }
    if (!texts) texts = std::make_shared<const std::string>(inFile);
    MapNames.push_back(MapNameEntry{
        std::move(key), MapText(texts, static_cast<size_t>(text.first - inFileStart), length)});
  }
}

namespace {

// A part of an archive read for its text resources: the file's byte x is Reader's byte x - Base,
// and bytes outside the part are zeros (the part holds all of the asked range the file has).
struct ArchivePart {
  ByteReader Reader;
  int64_t Base = 0;
  int32_t I32LE(int64_t Offset) const { return Reader.I32LE(Offset - Base); }
};

// The whole archive in memory: every part is the whole file, and a table is counted in one go.
class WholeArchive {
 public:
  static constexpr int64_t kTableRecords = INT64_MAX;
  explicit WholeArchive(const ByteReader& File) : File_(File) {}
  int64_t Size() const { return File_.Size(); }
  ArchivePart Part(int64_t, int64_t, FileBlock&) { return {File_, 0}; }

 private:
  const ByteReader& File_;
};

// An open archive: each part is read when asked for, into the block given.
class ArchiveByParts {
 public:
  static constexpr int64_t kTableRecords = int64_t{1} << 16;  // a megabyte of string records
  explicit ArchiveByParts(OpenFile& File) : File_(File) {}
  int64_t Size() const { return static_cast<int64_t>(File_.Size()); }
  ArchivePart Part(int64_t Offset, int64_t Count, FileBlock& Block) {
    if (!ReadFilePart(File_, Offset, Count, Block)) Failed = true;
    return {ByteReader(Block.Bytes), static_cast<int64_t>(Block.Offset)};
  }

  bool Failed = false;

 private:
  OpenFile& File_;
};

// How many of [Offset, Offset + Count) lie in a file of Size bytes.
int64_t BytesInFile(int64_t Size, int64_t Offset, int64_t Count) {
  const int64_t begin = std::clamp<int64_t>(Offset, 0, Size);
  return std::clamp<int64_t>(Offset + Count, begin, Size) - begin;
}

// Number of records at positions 1..StringCount-1 whose field at offset 8 is zero. Records past
// the end of the file are not counted: the table is bounded by what the file holds.
template <typename Archive>
int64_t CountStringRecords(Archive& File, int64_t TableOffset, int64_t StringCount,
                           FileBlock& Block) {
  const int64_t size = File.Size();
  // Past the last record that starts inside the file.
  const int64_t end =
      TableOffset >= size
          ? 1
          : std::min(StringCount,
                     (size - TableOffset + RtxtLayout::RecordBytes - 1) / RtxtLayout::RecordBytes);
  int64_t n = 0;
  for (int64_t from = 1, to = 1; from < end; from = to) {
    to = from + std::min(end - from, Archive::kTableRecords);
    const ArchivePart part = File.Part(TableOffset + from * RtxtLayout::RecordBytes,
                                       (to - from) * RtxtLayout::RecordBytes, Block);
    for (int64_t p = from; p < to; ++p)
      if (part.I32LE(TableOffset + p * RtxtLayout::RecordBytes + RtxtLayout::RecordZeroField) == 0)
        ++n;
  }
  return n;
}

template <typename Archive>
void ReadMapNamesOf(CatalogueState& State, const std::vector<PffEntry>& BinEntries, Archive& File) {
  // Resources that do not overlap, as written by the game's tools, take at most one string
  // record (16 bytes) of the archive per pair and one byte of it per text byte. Resources made
  // to overlap, or many directory records naming one resource, could make a small archive
  // yield pairs and copies quadratic in its size; once an archive has used up what honest
  // resources of its size could, its remaining resources are passed over. A resource named
  // twice yields the same pairs again, which never change a lookup (the first pair wins). An
  // archive too large to read whole gets no more than one that is just small enough: a sparse
  // file of many gigabytes costs nothing on disk, and must not cost that much memory.
  const int64_t size = File.Size();
  const int64_t budget = std::min(size, kWholeArchiveLimit);
  const int64_t entries = static_cast<int64_t>(BinEntries.size());
  int64_t records = budget / RtxtLayout::RecordBytes + entries;
  int64_t pairs = budget / RtxtLayout::RecordBytes + entries;
  int64_t textBytes = budget;
  std::unordered_set<int64_t> read;
  FileBlock headBlock, tableBlock, lastBlock, textBlock, deltaBlock, keyBlock;
  for (size_t e = 1; e < BinEntries.size(); ++e) {
    const int64_t base = BinEntries[e].DataOffset;
    const ArchivePart head = File.Part(base, RtxtLayout::HeaderBytes, headBlock);
    if (UpperCase1252(head.Reader.Bytes(base - head.Base, 4)) != "RTXT") continue;
    if (!read.insert(base).second) continue;
    const int64_t keyBlockOffset = head.I32LE(base + RtxtLayout::KeyBlockOffsetField);
    const int64_t stringCount = head.I32LE(base + RtxtLayout::StringCountField);
    if (stringCount <= 0) continue;

    const int64_t table = base + RtxtLayout::HeaderBytes;
    // The records that CountStringRecords looks at: those that start inside the file.
    const int64_t looked =
        std::clamp<int64_t>((size - table) / RtxtLayout::RecordBytes, 0, stringCount - 1);
    if ((records -= looked) < 0) return;
    const int64_t n = CountStringRecords(File, table, stringCount, tableBlock);
    if (n == 0) continue;
    if ((pairs -= n + 1) < 0) return;

    const int64_t lastRecord = table + (stringCount - 1) * RtxtLayout::RecordBytes;
    const int64_t textLength = std::max<int64_t>(
        0, File.Part(lastRecord, 4, lastBlock).I32LE(lastRecord) + RtxtLayout::BlockSlack);
    const int64_t textStart = table + stringCount * RtxtLayout::RecordBytes;
    if ((textBytes -= BytesInFile(size, textStart, textLength)) < 0) return;
    const ArchivePart textPart = File.Part(textStart, textLength, textBlock);
    const TextBlock texts{&textPart.Reader, textStart - textPart.Base, textLength};

    const int64_t deltaAt = base + keyBlockOffset + 4;
    const int64_t keyDelta = File.Part(deltaAt, 4, deltaBlock).I32LE(deltaAt);
    const int64_t keyStart = deltaAt + keyDelta;
    const int64_t keyLength = n * RtxtLayout::RecordBytes + RtxtLayout::BlockSlack;
    const ArchivePart keyPart = File.Part(keyStart, keyLength, keyBlock);
    const TextBlock keys{&keyPart.Reader, keyStart - keyPart.Base, keyLength};
    StoreStringPairs(State.MapNames, keys, texts, n);
  }
}

}  // namespace

void ReadMapNames(CatalogueState& State, const ArchiveDirectory& Directory,
                  const ByteReader& File) {
  WholeArchive archive(File);
  ReadMapNamesOf(State, Directory.BinEntries, archive);
}

bool ReadMapNames(CatalogueState& State, const ArchiveDirectory& Directory, OpenFile& File) {
  ArchiveByParts archive(File);
  ReadMapNamesOf(State, Directory.BinEntries, archive);
  return !archive.Failed;
}

std::string LookUpMapName(const std::vector<MapNameEntry>& MapNames, const std::string& Name) {
  if (Name.empty()) return "Not Found!";
  const std::string key = UpperCase1252(Name);
  for (size_t i = 1; i < MapNames.size(); ++i)
    if (MapNames[i].Key == key) return MapNames[i].Text.Str();
  return Name;
}

MapNameLookup::MapNameLookup(const std::vector<MapNameEntry>& MapNames) {
  First_.reserve(MapNames.size());
  for (size_t i = 1; i < MapNames.size(); ++i) First_.emplace(MapNames[i].Key, MapNames[i].Text);
}

std::string MapNameLookup::LookUp(const std::string& Name) const {
  if (Name.empty()) return "Not Found!";
  const auto it = First_.find(UpperCase1252(Name));
  return it == First_.end() ? Name : std::string(it->second);
}

}  // namespace brieflist
