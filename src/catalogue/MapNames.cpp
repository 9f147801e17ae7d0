#include "catalogue/MapNames.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <unordered_set>
#include <utility>

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

int64_t CountStringRecords(const ByteReader& File, int64_t TableOffset, int64_t StringCount) {
  int64_t n = 0;
  for (int64_t p = 1; p < StringCount; ++p) {
    const int64_t record = TableOffset + p * RtxtLayout::RecordBytes;
    if (record >= File.Size()) break;
    if (File.I32LE(record + RtxtLayout::RecordZeroField) == 0) ++n;
  }
  return n;
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

void ReadMapNames(CatalogueState& State, const ByteReader& File) {
  // Resources that do not overlap, as written by the game's tools, take at most one string
  // record (16 bytes) of the archive per pair and one byte of it per text byte. Resources made
  // to overlap, or many directory records naming one resource, could make a small archive
  // yield pairs and copies quadratic in its size; once an archive has used up what honest
  // resources of its size could, its remaining resources are passed over. A resource named
  // twice yields the same pairs again, which never change a lookup (the first pair wins).
  const int64_t size = File.Size();
  const int64_t entries = static_cast<int64_t>(State.BinEntries.size());
  int64_t records = size / RtxtLayout::RecordBytes + entries;
  int64_t pairs = size / RtxtLayout::RecordBytes + entries;
  int64_t textBytes = size;
  std::unordered_set<int64_t> read;
  for (size_t e = 1; e < State.BinEntries.size(); ++e) {
    const int64_t base = State.BinEntries[e].DataOffset;
    if (UpperCase1252(File.Bytes(base, 4)) != "RTXT") continue;
    if (!read.insert(base).second) continue;
    const int64_t keyBlockOffset = File.I32LE(base + RtxtLayout::KeyBlockOffsetField);
    const int64_t stringCount = File.I32LE(base + RtxtLayout::StringCountField);
    if (stringCount <= 0) continue;

    const int64_t table = base + RtxtLayout::HeaderBytes;
    // The records that CountStringRecords looks at: those that start inside the file.
    const int64_t looked =
        std::clamp<int64_t>((size - table) / RtxtLayout::RecordBytes, 0, stringCount - 1);
    if ((records -= looked) < 0) return;
    const int64_t n = CountStringRecords(File, table, stringCount);
    if (n == 0) continue;
    if ((pairs -= n + 1) < 0) return;

    const int64_t lastRecord = table + (stringCount - 1) * RtxtLayout::RecordBytes;
    const int64_t textLength =
        std::max<int64_t>(0, File.I32LE(lastRecord) + RtxtLayout::BlockSlack);
    const TextBlock texts{&File, table + stringCount * RtxtLayout::RecordBytes, textLength};
    if ((textBytes -= static_cast<int64_t>(File.InFile(texts.Start, texts.Length).size())) < 0)
      return;

    const int64_t keyDelta = File.I32LE(base + keyBlockOffset + 4);
    const TextBlock keys{&File, base + keyBlockOffset + 4 + keyDelta,
                         n * RtxtLayout::RecordBytes + RtxtLayout::BlockSlack};
    StoreStringPairs(State.MapNames, keys, texts, n);
  }
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
