// The export and import procedures that the desktop program and the CLI share.
#include <map>
#include <memory>

#include "catalogue/RefreshCatalogue.h"
#include "editing/MissionPosition.h"
#include "editing/PatchJournal.h"
#include "editing/Patching.h"
#include "exchange/ListFile.h"

namespace brieflist {
namespace {

ImportAction ActionFor(bool Enabled, BooleanFlag Wanted) {
  if (Wanted == kTrue && !Enabled) return ImportAction::Enable;
  if (Wanted == kFalse && Enabled) return ImportAction::Disable;
  return ImportAction::AlreadySo;
}

}  // namespace

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
  ImportResult result;
  ListDecodeResult list = ReadListFile(P.Files, Path);
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

  // One operation: an undo takes the whole import back.
  const PatchJournal::Operation operation(P.Journal, JournalKind::Import);
  LocateCache located;
  for (int32_t i = 0; i <= State.LastImported; ++i) {
    SwitchResult applied = ApplyImportedState(State, P, i, 0, &located);
    const PatchOutcome outcome = applied.Outcome;
    result.Outcomes.push_back(outcome);
    if (!applied.Problems.empty() || !applied.Refreshes.empty())
      result.Told.push_back(std::move(applied));
    switch (outcome) {
      case PatchOutcome::Patched:
        ++result.Patched;
        break;
      case PatchOutcome::AlreadySo:
        ++result.AlreadySo;
        break;
      case PatchOutcome::Reported:
        ++result.Reported;
        break;
      case PatchOutcome::Failed:
        result.Status = ImportStatus::Stopped;
        result.Row = i;
        result.Message = ProblemsText(result.Told.back().Problems);
        return result;
    }
  }
  State.GameDirectory = FolderOfPath(State.ImportedMissions.front().SourceFile);
  result.Refreshed = RefreshCatalogue(State, P);
  return result;
}

std::vector<ImportPreviewRow> PreviewImport(FileSystem& Files,
                                            const std::vector<MissionEntry>& Rows) {
  std::vector<ImportPreviewRow> out;
  // One refresh per folder that the locate step would read, as the import would see it before
  // it patches anything.
  std::map<std::string, std::unique_ptr<CatalogueState>> folders;
  QuietHost quiet;
  const Platform reading{Files, quiet};
  // What the import does at a position its probe accepted: a switch that would touch other
  // bytes is refused there.
  const auto judge = [](const ProbedPosition& At, const MissionEntry& Where, BooleanFlag Wanted,
                        ImportPreviewRow& Preview) {
    Preview.Action = ActionFor(At.Enabled, Wanted);
    Preview.SourceFile = Where.SourceFile;
    Preview.DataOffset = Where.DataOffset;
    if (Preview.Action != ImportAction::AlreadySo && At.Place.Place == MissionPlace::Misplaced) {
      Preview.Action = ImportAction::Refused;
      Preview.Reason = At.Place.Why;
    }
  };
  for (const MissionEntry& row : Rows) {
    ImportPreviewRow preview;
    auto probe = ProbeImportPosition(Files, row.SourceFile, row.DataOffset, row.FileName);
    if (probe && probe->Place.Place == MissionPlace::NotListed && row.DataOffset != 0) {
      // The locate step: the mission of that name in the same archive, probed as the retry would.
      const std::string folder = FolderOfPath(row.SourceFile);
      auto& state = folders[folder];
      if (!state) {
        state = std::make_unique<CatalogueState>();
        state->GameDirectory = folder;
        RefreshCatalogue(*state, reading);
      }
      const int32_t j = FindPackedMission(*state, row.FileName, row.SourceFile);
      if (j >= 0) {
        const MissionEntry& found = state->Missions[static_cast<size_t>(j)];
        probe = ProbeImportPosition(Files, found.SourceFile, found.DataOffset, found.FileName);
        if (probe && probe->Place.Place != MissionPlace::NotListed)
          judge(*probe, found, row.Enabled, preview);
      }
    } else if (probe && probe->Place.Place != MissionPlace::NotListed) {
      judge(*probe, row, row.Enabled, preview);
    }
    if (!probe) {
      preview.Action = ImportAction::Unreadable;
      preview.Reason = probe.Error().Describe();
      out.push_back(std::move(preview));
      break;
    }
    out.push_back(std::move(preview));
  }
  return out;
}

}  // namespace brieflist
