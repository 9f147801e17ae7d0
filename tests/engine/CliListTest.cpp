#include <gtest/gtest.h>

#include "cli/CatalogueOutput.h"
#include "cli/CliArgs.h"
#include "cli/Commands.h"
#include "cli/Output.h"
#include "platform/Paths.h"
#include "support/CliRun.h"
#include "support/TestSupport.h"

namespace brieflist {
namespace {

using test::RunCli;

// One packed mission with awkward texts and one loose mission.
struct ListFolder {
  test::TempFolder Folder;
  ListFolder() {
    sample::MissionSpec packed;
    packed.MissionName = "Night Raid";
    packed.Creator = "O'Neil, \"Doc\" \xE9";  // comma, quotes and a Windows-1252 letter
    packed.Terrain = "Dry\tLake";
    packed.FlagLow = 0x01;
    packed.FlagHigh = 0x80;
    std::vector<sample::ArchiveEntry> entries(2);
    entries[0].Name = "RAID.BMS";
    entries[0].Data = sample::BuildMission(packed);
    entries[1].Name = "TEXT.BIN";
    entries[1].Data = sample::BuildRtxt({{"NIGHTRAID", "Operation Night"}, {"X", "y"}});
    Folder.Write("a.pff", sample::BuildArchive(entries));
    sample::MissionSpec loose;
    loose.VersionByte = 13;
    loose.Signature = "VyK";
    loose.Disabled = true;
    Folder.Write("loose one.bms", sample::BuildMission(loose));
  }
  std::string Path() const { return Folder.Path(); }
};

TEST(CliList, JsonHasEveryKeyInOrderWithTypedValues) {
  ListFolder f;
  const auto r = RunCli(cli::RunList, {"--format", "json", f.Path()});
  ASSERT_EQ(r.Exit, 0) << r.Err;
  std::string archive;  // as a JSON string's content: "\" separators are escaped on Windows
  cli::AppendJsonString(archive, JoinPath(f.Path(), "a.pff"));
  archive = archive.substr(1, archive.size() - 2);
  const std::string first =
      "{\"FileName\": \"RAID.BMS\", \"MissionName\": \"NightRaid\", \"Creator\": \"O'Neil, "
      "\\\"Doc\\\" \xC3\xA9\", \"MissionType\": \"COOP,A&D,\", \"Enabled\": true, \"Modified\": "
      "false, \"MissionTypeFlags\": \"1000000000000001\", \"GameVersion\": 2, \"External\": false, "
      "\"Terrain\": \"Dry\\tLake\", \"SourceFile\": \"" +
      archive + "\", \"DataOffset\": 20}";
  EXPECT_NE(r.Out.find(first), std::string::npos) << r.Out;
  EXPECT_NE(r.Out.find("\"FileName\": \"loose one.bms\""), std::string::npos);
  EXPECT_NE(r.Out.find("\"Enabled\": false, \"Modified\": false"), std::string::npos);
  EXPECT_NE(r.Out.find("\"GameVersion\": 1, \"External\": true"), std::string::npos);
  EXPECT_EQ(r.Out.front(), '[');
  EXPECT_EQ(r.Out.substr(r.Out.size() - 2), "]\n");
}

TEST(CliList, ResolvedNamesComeFromTheMapNameTable) {
  ListFolder f;
  const auto r = RunCli(cli::RunList, {f.Path(), "--resolve-map-names", "--format=tsv"});
  ASSERT_EQ(r.Exit, 0) << r.Err;
  EXPECT_NE(r.Out.find("RAID.BMS\tOperation Night\t"), std::string::npos) << r.Out;
  EXPECT_NE(r.Out.find("loose one.bms\tNot Found!\t"), std::string::npos);  // empty name
}

TEST(CliList, TsvAndCsvHaveTitlesAndEscapedCells) {
  ListFolder f;
  const auto tsv = RunCli(cli::RunList, {f.Path(), "--format", "tsv"});
  ASSERT_EQ(tsv.Exit, 0);
  EXPECT_EQ(tsv.Out.substr(0, tsv.Out.find('\n')),
            "FileName\tMissionName\tCreator\tMissionType\tEnabled\tModified\tMissionTypeFlags\tDF\t"
            "External\tTerrain\tSourceFile\tDataOffset");
  EXPECT_NE(tsv.Out.find("\tDry Lake\t"), std::string::npos);  // a tab inside a cell is a space

  const auto csv = RunCli(cli::RunList, {f.Path(), "--format", "csv"});
  ASSERT_EQ(csv.Exit, 0);
  EXPECT_NE(csv.Out.find(",\"O'Neil, \"\"Doc\"\" \xC3\xA9\","), std::string::npos) << csv.Out;
  EXPECT_NE(csv.Out.find("\r\n"), std::string::npos);
  // Three lines: titles, two missions.
  EXPECT_EQ(std::count(csv.Out.begin(), csv.Out.end(), '\n'), 3);
}

TEST(CliList, MapNamesListsTheTableFromItsFirstPair) {
  ListFolder f;
  const auto r = RunCli(cli::RunMapNames, {f.Path(), "--format", "json"});
  ASSERT_EQ(r.Exit, 0);
  EXPECT_EQ(r.Out,
            "[\n  {\"Key\": \"NIGHTRAID\", \"Text\": \"Operation Night\"},\n  {\"Key\": \"X\", "
            "\"Text\": \"y\"}\n]\n");
}

TEST(CliList, ExitCodesForMissingFoldersAndUsageErrors) {
  ListFolder f;
  const auto missing = RunCli(cli::RunList, {f.Folder.File("nothing here")});
  EXPECT_EQ(missing.Exit, 1);
  EXPECT_NE(missing.Err.find("not a folder"), std::string::npos);
  EXPECT_TRUE(missing.Out.empty());
  for (const std::vector<std::string>& args : {std::vector<std::string>{},
                                               {f.Path(), f.Path()},
                                               {f.Path(), "--format", "xml"},
                                               {f.Path(), "--colour"},
                                               {f.Path(), "--format"}}) {
    const auto r = RunCli(cli::RunList, args);
    EXPECT_EQ(r.Exit, 2) << (args.empty() ? "" : args.back());
    EXPECT_TRUE(r.Out.empty());
  }
}

TEST(CliList, InvalidArchiveIsAWarningUnlessReadInvalidIsGiven) {
  ListFolder f;
  sample::ArchiveOptions bad;
  bad.Magic = "XXXX";
  std::vector<sample::ArchiveEntry> entries(1);
  entries[0].Name = "ODD.BMS";
  entries[0].Data = sample::BuildMission({});
  f.Folder.Write("bad.pff", sample::BuildArchive(entries, bad));

  const auto skipped = RunCli(cli::RunList, {f.Path(), "--format", "tsv"});
  EXPECT_EQ(skipped.Exit, 0);
  EXPECT_EQ(skipped.Out.find("ODD.BMS"), std::string::npos);
  EXPECT_NE(skipped.Err.find("warning: This does not seem to be a valid Pff File!"),
            std::string::npos);
  EXPECT_NE(skipped.Err.find("warning: Do you want to skip this file:"), std::string::npos);

  const auto read = RunCli(cli::RunList, {"--read-invalid", f.Path(), "--format", "tsv"});
  EXPECT_EQ(read.Exit, 0);
  EXPECT_NE(read.Out.find("ODD.BMS"), std::string::npos);
}

TEST(CliList, TableAlignsColumnsByCharactersNotBytes) {
  cli::TextTable table;
  table.Titles = {"A", "B"};
  table.Rows = {{"\xC3\xA9\xC3\xA9", "x"}, {"abc", "y"}};
  EXPECT_EQ(cli::RenderAligned(table), "A    B\n---  -\n\xC3\xA9\xC3\xA9   x\nabc  y\n");
}

TEST(CliArgsParsing, OptionsAnywhereValuesInlineAndDoubleDash) {
  std::string error;
  const auto args = cli::ParseArgs({"--format=csv", "DIR", "--flag", "--", "--not-an-option"},
                                   {"--format"}, {"--flag"}, error);
  ASSERT_TRUE(args) << error;
  EXPECT_EQ(args->Value("--format"), "csv");
  EXPECT_TRUE(args->Has("--flag"));
  EXPECT_EQ(args->Positional, (std::vector<std::string>{"DIR", "--not-an-option"}));
  EXPECT_FALSE(cli::ParseArgs({"--flag=1"}, {}, {"--flag"}, error));
}

}  // namespace
}  // namespace brieflist
