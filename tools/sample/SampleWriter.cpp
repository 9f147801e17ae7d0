#include "sample/SampleWriter.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

#include "platform/NativeNames.h"
#include "platform/Paths.h"

namespace brieflist::sample {
namespace {

void PutU32(Bytes& b, size_t at, uint32_t v) {
  if (b.size() < at + 4) b.resize(at + 4, 0);
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

void PutText(Bytes& b, size_t at, const std::string& text, size_t field) {
  if (b.size() < at + field) b.resize(at + field, 0);
  for (size_t i = 0; i < field; ++i)
    b[at + i] = i < text.size() ? static_cast<uint8_t>(text[i]) : 0;
}

void Append(Bytes& b, const std::string& text) {
  b.insert(b.end(), text.begin(), text.end());
}

}  // namespace

Bytes BuildMission(const MissionSpec& Spec) {
  Bytes b(std::max<size_t>(Spec.Size, 128), 0);
  // Filler that is not all zeros, so a stray read would show.
  for (size_t i = 128; i < b.size(); ++i) b[i] = static_cast<uint8_t>('a' + i % 26);
  for (size_t i = 0; i < 3 && i < Spec.Signature.size(); ++i)
    b[i] = static_cast<uint8_t>(Spec.Signature[i]);
  b[3] = Spec.VersionByte;
  PutText(b, 4, Spec.MissionName, 16);
  const bool v1 = Spec.VersionByte == 13;
  PutText(b, v1 ? 44 : 36, Spec.Creator, 16);
  if (Spec.VersionByte == 13 || Spec.VersionByte == 15) PutText(b, v1 ? 84 : 68, Spec.Terrain, 16);
  const uint32_t block =
      static_cast<uint32_t>(Spec.FlagHigh) << 16 | static_cast<uint32_t>(Spec.FlagLow) << 24;
  if (Spec.Disabled) {
    PutU32(b, 120, 0);
    PutU32(b, 124, block);
  } else {
    PutU32(b, 120, block);
    PutU32(b, 124, Spec.ModifiedWord);
  }
  b.resize(Spec.Size);  // a deliberately short mission loses its tail
  return b;
}

Bytes BuildRtxt(const std::vector<std::pair<std::string, std::string>>& Pairs) {
  // StringCount records; records 1.. have a zero at +8, so they count as keyed strings and
  // the reader takes one pair more than it counts: exactly Pairs.size().
  const auto count = static_cast<uint32_t>(Pairs.size());
  Bytes texts;
  for (const auto& p : Pairs) {
    Append(texts, p.second);
    texts.push_back(0);
  }
  Bytes keys;
  for (const auto& p : Pairs) {
    Append(keys, p.first);
    keys.push_back(0);
  }
  Bytes b(16 + 16 * static_cast<size_t>(count), 0);
  b[0] = 'R', b[1] = 'T', b[2] = 'X', b[3] = 'T';
  PutU32(b, 12, count);
  for (uint32_t r = 0; r < count; ++r) {
    PutU32(b, 16 + 16 * r + 0, static_cast<uint32_t>(16 * r));
    PutU32(b, 16 + 16 * r + 8, r == 0 ? 1 : 0);
  }
  if (count > 0) PutU32(b, 16 + 16 * (count - 1), static_cast<uint32_t>(texts.size()) - 32);
  b.insert(b.end(), texts.begin(), texts.end());
  const auto keyBlockOffset = static_cast<uint32_t>(b.size());
  PutU32(b, 4, keyBlockOffset);
  PutU32(b, keyBlockOffset, 0);
  PutU32(b, keyBlockOffset + 4, 4);  // the key block starts right after the descriptor
  b.insert(b.end(), keys.begin(), keys.end());
  return b;
}

std::vector<int32_t> ArchiveDataOffsets(const std::vector<ArchiveEntry>& Entries) {
  std::vector<int32_t> offsets;
  int32_t at = 20;
  for (const ArchiveEntry& e : Entries) {
    offsets.push_back(e.OverrideOffset ? e.DataOffset : at);
    at += static_cast<int32_t>(e.Data.size());
  }
  return offsets;
}

Bytes BuildArchive(const std::vector<ArchiveEntry>& Entries, const ArchiveOptions& Options) {
  Bytes b(20, 0);
  const std::vector<int32_t> offsets = ArchiveDataOffsets(Entries);
  for (const ArchiveEntry& e : Entries) b.insert(b.end(), e.Data.begin(), e.Data.end());
  const auto directory = static_cast<uint32_t>(b.size());
  PutU32(b, 0, static_cast<uint32_t>(Options.HeaderSize));
  for (size_t i = 0; i < 4; ++i) b[4 + i] = i < Options.Magic.size() ? Options.Magic[i] : 0;
  PutU32(b, 8,
         static_cast<uint32_t>(Options.OverrideEntryCount ? Options.EntryCount
                                                          : static_cast<int32_t>(Entries.size())));
  PutU32(b, 12, static_cast<uint32_t>(Options.EntrySize));
  PutU32(b, 16, directory);
  for (size_t i = 0; i < Entries.size(); ++i) {
    const size_t at = b.size();
    b.resize(at + static_cast<size_t>(std::max(Options.EntrySize, 32)), 0);
    PutU32(b, at + 0, 0);
    PutU32(b, at + 4, static_cast<uint32_t>(offsets[i]));
    PutU32(b, at + 8, static_cast<uint32_t>(Entries[i].Data.size()));
    PutU32(b, at + 12, 0x3B9ACA00u + static_cast<uint32_t>(i));
    PutText(b, at + 16, Entries[i].Name, 16);
    // An entry size below 32 lets records overlap; the writer still spaces them as asked.
    if (Options.EntrySize < 32) b.resize(at + static_cast<size_t>(std::max(Options.EntrySize, 0)));
  }
  Bytes footer(12, 0);
  footer[8] = 'E', footer[9] = 'N', footer[10] = 'D', footer[11] = '!';
  b.insert(b.end(), footer.begin(), footer.end());
  return b;
}

bool WriteFile(const std::string& Path, const Bytes& Data) {
  std::ofstream out(NativePath(Path), std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out.write(reinterpret_cast<const char*>(Data.data()), static_cast<std::streamsize>(Data.size()));
  out.close();
  return !out.fail();
}

bool MakeSampleFolder(const std::string& Folder, const FolderOptions& Options,
                      FolderSummary& Summary, std::string& Error) {
  std::error_code ec;
  std::filesystem::create_directories(NativePath(Folder), ec);
  if (ec) {
    Error = Folder + ": " + ec.message();
    return false;
  }
  // mt19937 gives the same numbers everywhere; we take them raw, without distributions, whose
  // results differ between standard libraries.
  std::mt19937 rng(Options.Seed);
  const auto pick = [&](uint32_t n) { return n == 0 ? 0u : static_cast<uint32_t>(rng() % n); };
  static const char* kCreators[] = {"Delta Six", "Sgt. Rock",  "Ghost 7", "Hawk",
                                    "M\xFCller", "Team Bravo", "",        "Snake Eyes"};
  static const char* kTerrains[] = {"Desert", "Jungle", "Arctic", "Island", "Mountain", "Steppe"};

  Summary = {};
  const auto missionSpec = [&](int number) {
    MissionSpec m;
    m.VersionByte = pick(5) == 0 ? 13 : 15;
    m.MissionName = "C0" + std::to_string(10000 + number);
    m.Creator = kCreators[pick(8)];
    m.Terrain = kTerrains[pick(6)];
    m.FlagHigh = static_cast<uint8_t>(pick(2) ? 0x80 : 0);
    m.FlagLow = static_cast<uint8_t>(1 + pick(255));
    m.Disabled = pick(4) == 0;
    m.Signature = m.Disabled ? "VyK" : "BMS";
    m.Size = 256 + pick(2048);
    return m;
  };

  int missionNumber = 0;
  for (int a = 0; a < Options.Archives; ++a) {
    std::vector<ArchiveEntry> entries;
    for (int m = 0; m < Options.MissionsPerArchive; ++m) {
      char name[32];
      std::snprintf(name, sizeof name, "A%02dM%04d.BMS", a % 100, m % 10000);
      entries.push_back({name, BuildMission(missionSpec(missionNumber++)), false, 0});
    }
    if (Options.KeysPerArchive > 0) {
      std::vector<std::pair<std::string, std::string>> pairs;
      for (int k = 0; k < Options.KeysPerArchive; ++k) {
        const int number = a * Options.KeysPerArchive + k;
        pairs.emplace_back("STR_VC0" + std::to_string(10000 + number),
                           "Operation " + std::to_string(number));
      }
      entries.push_back({"TEXT.BIN", BuildRtxt(pairs), false, 0});
    }
    char name[32];
    std::snprintf(name, sizeof name, "missions%02d.pff", a);
    const Bytes archive = BuildArchive(entries);
    if (!WriteFile(JoinPath(Folder, name), archive)) {
      Error = JoinPath(Folder, name) + ": cannot write";
      return false;
    }
    ++Summary.Archives;
    Summary.Missions += Options.MissionsPerArchive;
    Summary.Bytes += archive.size();
  }
  for (int l = 0; l < Options.LooseMissions; ++l) {
    char name[32];
    std::snprintf(name, sizeof name, "loose%03d.bms", l);
    const Bytes mission = BuildMission(missionSpec(missionNumber++));
    if (!WriteFile(JoinPath(Folder, name), mission)) {
      Error = JoinPath(Folder, name) + ": cannot write";
      return false;
    }
    ++Summary.LooseMissions;
    ++Summary.Missions;
    Summary.Bytes += mission.size();
  }
  return true;
}

}  // namespace brieflist::sample
