#include "catalogue/RefreshCatalogue.h"

#include "catalogue/MissionHeader.h"
#include "catalogue/PffArchive.h"
#include "platform/Paths.h"

namespace brieflist {

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
    auto archives = P.Files.ListFiles(folder, ".pff");
    if (!archives) report.Problems.push_back(archives.Error());
    if (archives) {
      for (const std::string& name : *archives) {
        if (name.front() == '_') continue;
        ReadPffArchive(State, P, JoinPath(folder, name), report);
      }
    }
  }
  if (State.FirstArchive) State.LastMission = -1;

  if (P.Files.IsFolder(folder)) {
    auto loose = P.Files.ListFiles(folder, ".bms");
    if (!loose) report.Problems.push_back(loose.Error());
    if (loose) {
      for (const std::string& name : *loose)
        ReadLooseMission(State, P, JoinPath(folder, name), name, report);
    }
  }
  State.Missions.resize(static_cast<size_t>(State.LastMission + 1));
  P.Host.CatalogueRefreshed(report);
  return report;
}

}  // namespace brieflist
