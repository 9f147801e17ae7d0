// Writes seed inputs for the fuzzers: real archives, missions and text resources.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "catalogue/ByteReader.h"
#include "exchange/ListFile.h"
#include "sample/SampleWriter.h"

int main(int argc, char** argv) {
  using namespace brieflist::sample;
  if (argc != 2) {
    std::fprintf(stderr, "Usage: make-fuzz-seeds DIR\n");
    return 2;
  }
  const std::string root = argv[1];
  for (const char* sub : {"archive", "mission", "rtxt", "listfile", "probe"})
    std::filesystem::create_directories(root + "/" + sub);

  MissionSpec m;
  m.MissionName = "Seed";
  m.Creator = "Fuzz";
  m.Terrain = "Grass";
  m.FlagHigh = 0x80;
  m.FlagLow = 0x03;
  const Bytes v2 = BuildMission(m);
  m.VersionByte = 13;
  m.Disabled = true;
  m.Signature = "VyK";
  const Bytes v1 = BuildMission(m);
  const Bytes rtxt = BuildRtxt({{"STR_VC0A", "Alpha"}, {"B", "Bravo"}, {"C", ""}});

  bool ok = WriteFile(root + "/mission/v2.bms", v2) && WriteFile(root + "/mission/v1.bms", v1) &&
            WriteFile(root + "/rtxt/names.bin", rtxt);
  std::vector<ArchiveEntry> entries(3);
  entries[0].Name = "A.BMS", entries[0].Data = v2;
  entries[1].Name = "B.BMS", entries[1].Data = v1;
  entries[2].Name = "T.BIN", entries[2].Data = rtxt;
  ok = ok && WriteFile(root + "/archive/small.pff", BuildArchive(entries));
  // Import probe: the offset of a row, its file name, then the archive.
  const Bytes small = BuildArchive(entries);
  const brieflist::ByteReader archive(small);
  for (int record = 0; record < 2; ++record) {
    const int32_t offset = archive.I32LE(archive.I32LE(16) + record * archive.I32LE(12) + 4);
    const std::string name = entries[static_cast<size_t>(record)].Name;
    Bytes probe;
    for (int shift = 0; shift < 32; shift += 8)
      probe.push_back(static_cast<uint8_t>(static_cast<uint32_t>(offset) >> shift));
    probe.push_back(static_cast<uint8_t>(name.size()));
    probe.insert(probe.end(), name.begin(), name.end());
    probe.insert(probe.end(), small.begin(), small.end());
    ok = ok && WriteFile(root + "/probe/" + name, probe);
  }
  ArchiveOptions wide;
  wide.EntrySize = 40;
  entries.resize(1);
  ok = ok && WriteFile(root + "/archive/wide.pff", BuildArchive(entries, wide));

  // List files: the empty list, one loose row, and a packed and a loose row.
  brieflist::MissionEntry loose;
  loose.FileName = "A.BMS";
  loose.MissionName = "TEST";
  loose.MissionTypeFlags = "0000000000000001";
  loose.Enabled = brieflist::kTrue;
  loose.SourceFile = "C:\\G\\A.BMS";
  loose.GameVersion = 2;
  brieflist::MissionEntry packed = loose;
  packed.FileName = "B.BMS";
  packed.Creator = "Someone";
  packed.Terrain = "Desert";
  packed.Enabled = brieflist::kFalse;
  packed.Modified = brieflist::kTrue;
  packed.SourceFile = "C:\\G\\X.PFF";
  packed.DataOffset = 20;
  const std::vector<std::vector<brieflist::MissionEntry>> lists = {{}, {loose}, {packed, loose}};
  for (size_t i = 0; i < lists.size(); ++i) {
    const auto encoded = brieflist::EncodeListFile(lists[i]);
    ok = ok && encoded.Ok &&
         WriteFile(root + "/listfile/list" + std::to_string(i) + ".brl", encoded.Bytes);
  }
  return ok ? 0 : 1;
}
