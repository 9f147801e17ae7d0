#include "catalogue/RefreshCatalogue.h"

#include <map>

#include "catalogue/MissionHeader.h"
#include "catalogue/PffArchive.h"
#include "platform/MemoryAdvice.h"
#include "platform/Paths.h"

namespace brieflist {
namespace {

// Files the engine cannot name are not read, but they are reported, never passed over.
void ReportUnrepresentable(const std::string& Folder, const FolderFiles& Files,
                           RefreshReport& Report) {
  for (const std::string& name : Files.Unrepresentable)
    Report.Problems.push_back(IoError{JoinPath(Folder, name), kUnrepresentableName});
  Report.Problems.insert(Report.Problems.end(), Files.Unreadable.begin(), Files.Unreadable.end());
}

// Growing the tables row by row touches every page twice or more, and fresh pages are what a
// large refresh spends most of its time on. Once some archives are read, the rest are assumed
// alike and room for all of them is made at once.
template <typename Table>
void ReserveLikeSoFar(Table& Rows, size_t Placeholders, size_t Done, size_t Total, size_t Extra) {
  if (Done == 0 || Rows.size() <= Placeholders) return;
  const size_t perArchive = (Rows.size() - Placeholders + Done - 1) / Done;
  const size_t expected = Rows.size() + perArchive * (Total - Done) + Extra;
  if (expected <= Rows.capacity()) return;
  Rows.reserve(expected);
  AdviseLargeBuffer(Rows.data(), Rows.capacity() * sizeof(Rows[0]));
}

// The files a refresh has read, by identity: a second name of one of them is passed over.
class ReadOnce {
 public:
  // True when Path leads to a file read before; Report then says under which name.
  bool ReadBefore(FileSystem& Files, const std::string& Path, RefreshReport& Report) {
    const auto identity = Files.IdentityOf(Path);
    if (!identity) return false;
    const auto [first, added] = Read_.try_emplace(*identity, Path);
    if (added) return false;
    Report.SameFiles.push_back({Path, first->second});
    return true;
  }

 private:
  std::map<FileIdentity, std::string> Read_;
};

}  // namespace

GameFiles ListGameFiles(FileSystem& Files, const std::string& Folder) {
  GameFiles files{Files.ListFolder(Folder, ".pff"), Files.ListFolder(Folder, ".bms")};
  if (files.Archives)
    std::erase_if(files.Archives->Names,
                  [](const std::string& Name) { return Name.front() == '_'; });
  return files;
}

RefreshReport RefreshCatalogue(CatalogueState& State, const Platform& P) {
  RefreshReport report;
  State.Missions.clear();
  State.LastMission = -1;
  State.MapNames.resize(1);

  const std::string& folder = State.GameDirectory;
  auto problem = FolderProblem(P.Files, folder, "folder not found");
  const bool exists = !problem;
  if (problem) report.Problems.push_back(std::move(*problem));
  auto [archives, loose] =
      exists ? ListGameFiles(P.Files, folder) : GameFiles{FolderFiles{}, FolderFiles{}};

  report.NoGameFiles =
      exists && archives && loose && archives->Names.empty() && loose->Names.empty();
  ReadOnce once;
  if (!archives) report.Problems.push_back(archives.Error());
  if (archives) {
    ReportUnrepresentable(folder, *archives, report);
    const size_t total = archives->Names.size();
    const size_t looseCount = loose ? loose->Names.size() : 0;
    for (size_t i = 0; i < total; ++i) {
      const std::string& name = archives->Names[i];
      // After the first archive the guess saves most of the regrowth; after the fourth it is
      // steadier, and one more reserve is cheap. Later ones would only move the tables again.
      if (i == 1 || i == 4) {
        ReserveLikeSoFar(State.Missions, 0, i, total, looseCount);
        ReserveLikeSoFar(State.MapNames, 1, i, total, 0);
      }
      P.Host.Progress(i, total + looseCount);
      const std::string path = JoinPath(folder, name);
      if (!once.ReadBefore(P.Files, path, report)) ReadPffArchive(State, P, path, report);
    }
  }
  if (!loose) report.Problems.push_back(loose.Error());
  if (loose) {
    ReportUnrepresentable(folder, *loose, report);
    const size_t before = archives ? archives->Names.size() : 0;
    for (size_t i = 0; i < loose->Names.size(); ++i) {
      const std::string& name = loose->Names[i];
      if (i % 256 == 0) P.Host.Progress(before + i, before + loose->Names.size());
      const std::string path = JoinPath(folder, name);
      if (!once.ReadBefore(P.Files, path, report)) ReadLooseMission(State, P, path, name, report);
    }
  }
  State.Missions.resize(static_cast<size_t>(State.LastMission + 1));
  return report;
}

}  // namespace brieflist
