#include "catalogue/MapNames.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/Windows1252.h"

namespace brieflist {

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

std::string TextBlock::Text(int64_t From, int64_t To) const {
  if (To <= From) return {};
  const std::string_view inside = File->InFile(Start + From, To - From);
  return std::string(inside);
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

void AddMapName(std::vector<MapNameEntry>& MapNames, std::string Text, std::string Key) {
  MapNames.push_back(MapNameEntry{UpperCase1252(Key), std::move(Text)});
}

void StoreStringPairs(std::vector<MapNameEntry>& MapNames, const TextBlock& KeyBlock,
                      const TextBlock& TextBlock_, int64_t N) {
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
      key = KeyBlock.Text(keyStart, keyEnd);
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

    key = UpperCase1252(key);
    if (key.compare(0, 7, "STR_VC0") == 0) key.erase(0, 5);
    AddMapName(MapNames, TextBlock_.Text(text.first, text.second), std::move(key));
  }
}

void ReadMapNames(CatalogueState& State, const ByteReader& File) {
  for (size_t e = 1; e < State.BinEntries.size(); ++e) {
    const int64_t base = State.BinEntries[e].DataOffset;
    if (UpperCase1252(File.Bytes(base, 4)) != "RTXT") continue;
    const int64_t keyBlockOffset = File.I32LE(base + RtxtLayout::KeyBlockOffsetField);
    const int64_t stringCount = File.I32LE(base + RtxtLayout::StringCountField);
    if (stringCount <= 0) continue;

    const int64_t table = base + RtxtLayout::HeaderBytes;
    const int64_t n = CountStringRecords(File, table, stringCount);
    if (n == 0) continue;

    const int64_t lastRecord = table + (stringCount - 1) * RtxtLayout::RecordBytes;
    const int64_t textLength =
        std::max<int64_t>(0, File.I32LE(lastRecord) + RtxtLayout::BlockSlack);
    const TextBlock texts{&File, table + stringCount * RtxtLayout::RecordBytes, textLength};

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
    if (MapNames[i].Key == key) return MapNames[i].Text;
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
