// The export and import procedures that the desktop program and the CLI share.
#include <algorithm>

#include "editing/Patching.h"
#include "exchange/ListFile.h"

namespace brieflist {

ExportResult ExportListFile(const CatalogueState& State, FileSystem& Files,
                            const std::string& Path) {
  ExportResult result;
  const size_t rows = State.LastMission < 0 ? 0 : static_cast<size_t>(State.LastMission) + 1;
  const std::span<const MissionEntry> catalogue(State.Missions.data(),
                                                std::min(rows, State.Missions.size()));
  const ListEncodeResult encoded = EncodeListFile(catalogue);
  if (!encoded.Ok) {
    result.Message = "Could not save the list to " + Path + ": " + encoded.Reason;
    return result;
  }
  auto written = Files.ReplaceFile(Path, encoded.Bytes);
  if (!written) {
    result.Message = "Could not save the list to " + written.Error().Describe();
    return result;
  }
  result.Ok = true;
  result.Rows = static_cast<int32_t>(catalogue.size());
  return result;
}

ImportResult ImportListFile(CatalogueState& State, const Platform& P, const std::string& Path) {
  return ImportList(State, P, ReadListFile(P.Files, Path));
}

ImportResult ImportList(CatalogueState& State, const Platform& P, ListDecodeResult List) {
  ImportResult result;
  ListDecodeResult& list = List;
  if (!list.Ok) {
    result.Status = ImportStatus::BadListFile;
    result.Message = list.Reason;
    return result;
  }
  if (list.Rows.empty()) {
    result.Status = ImportStatus::NoRows;
    return result;
  }
  State.ImportedMissions = std::move(list.Rows);
  State.LastImported = static_cast<int32_t>(State.ImportedMissions.size()) - 1;
  result.Applied = ApplyImportedState(State, P, ApplyMode::Write);
  if (result.Applied.StoppedAt >= 0) {
    result.Status = ImportStatus::Stopped;
    return result;
  }
  State.GameDirectory = FolderOfPath(State.ImportedMissions.front().SourceFile);
  return result;
}

}  // namespace brieflist
