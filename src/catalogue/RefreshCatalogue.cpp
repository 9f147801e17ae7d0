#include "catalogue/RefreshCatalogue.h"

#include "catalogue/MissionHeader.h"
#include "catalogue/PffArchive.h"
#include "platform/Paths.h"

namespace brieflist {
namespace {

// Files the engine cannot name are not read, but they are reported, never passed over.
void ReportUnrepresentable(const std::string& Folder, const FolderFiles& Files,
                           RefreshReport& Report) {
  for (const std::string& name : Files.Unrepresentable)
    Report.Problems.push_back(IoError{JoinPath(Folder, name), kUnrepresentableName});
}

}  // namespace

RefreshReport RefreshCatalogue(CatalogueState& State, const Platform& P) {
  RefreshReport report;
  State.Missions.clear();
  State.LastMission = 0;
  State.FirstArchive = true;
  State.MapNames.resize(1);

  const std::string& folder = State.GameDirectory;
  if (!P.Files.IsFolder(folder)) {
    report.Problems.push_back(IoError{folder, "folder not found"});
  } else {
    auto archives = P.Files.ListFolder(folder, ".pff");
    if (!archives) report.Problems.push_back(archives.Error());
    if (archives) {
      ReportUnrepresentable(folder, *archives, report);
      for (const std::string& name : archives->Names) {
        if (name.front() == '_') continue;
        ReadPffArchive(State, P, JoinPath(folder, name), report);
      }
    }
  }
  if (State.FirstArchive) State.LastMission = -1;

  if (P.Files.IsFolder(folder)) {
    auto loose = P.Files.ListFolder(folder, ".bms");
    if (!loose) report.Problems.push_back(loose.Error());
    if (loose) {
      ReportUnrepresentable(folder, *loose, report);
      for (const std::string& name : loose->Names)
        ReadLooseMission(State, P, JoinPath(folder, name), name, report);
    }
  }
  State.Missions.resize(static_cast<size_t>(State.LastMission + 1));
  P.Host.CatalogueRefreshed(report);
  return report;
}

}  // namespace brieflist
