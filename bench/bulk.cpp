// Switches 1,000 missions in 64 archives at once, and the same missions one by one, on a sample
// folder: time and system calls, the undo journal included. Then undoes the bulk switch.
// Usage: bulk [--folder DIR]
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "catalogue/RefreshCatalogue.h"
#include "editing/BulkSwitch.h"
#include "editing/PatchJournal.h"
#include "editing/Patching.h"
#include "editing/Undo.h"
#include "platform/Paths.h"
#include "sample/SampleWriter.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int32_t kSwitched = 1000;

void Print(const char* What, double Ms, const brieflist::IoCounters& Game,
           const brieflist::IoCounters& Journal) {
  std::printf(
      "%-34s %8.1f ms  game files: opens %llu, reads %llu, writes %llu, flushes %llu  "
      "journal: opens %llu, flushes %llu\n",
      What, Ms, static_cast<unsigned long long>(Game.Opens),
      static_cast<unsigned long long>(Game.Reads), static_cast<unsigned long long>(Game.Writes),
      static_cast<unsigned long long>(Game.Flushes), static_cast<unsigned long long>(Journal.Opens),
      static_cast<unsigned long long>(Journal.Flushes));
}

}  // namespace

int main(int argc, char** argv) {
  using namespace brieflist;
  std::string folder = (std::filesystem::temp_directory_path() / "brieflist-bench-bulk").string();
  if (argc == 3 && std::string(argv[1]) == "--folder") folder = argv[2];

  std::filesystem::remove_all(folder);
  sample::FolderOptions options;
  options.Archives = 64;
  options.MissionsPerArchive = 16;
  options.KeysPerArchive = 10;
  options.LooseMissions = 0;
  sample::FolderSummary summary;
  std::string error;
  if (!sample::MakeSampleFolder(folder, options, summary, error)) {
    std::fprintf(stderr, "bulk: %s\n", error.c_str());
    return 1;
  }

  auto files = MakeNativeFileSystem();
  auto journalFiles = MakeNativeFileSystem();
  PatchJournal journal(*journalFiles, JoinPath(folder, "journal.tsv"));
  QuietHost host;
  const Platform p{*files, host, &journal};
  CatalogueState state;
  state.GameDirectory = folder;
  RefreshCatalogue(state, p);
  if (state.LastMission + 1 < kSwitched) {
    std::fprintf(stderr, "bulk: only %d missions\n", state.LastMission + 1);
    return 1;
  }
  // 1,000 missions spread over every archive: the first of each archive, then the second...
  std::map<std::string, std::vector<int32_t>> byArchive;
  for (int32_t i = 0; i <= state.LastMission; ++i)
    byArchive[state.Missions[static_cast<size_t>(i)].SourceFile].push_back(i);
  std::vector<BulkRow> rows;
  for (size_t k = 0; rows.size() < static_cast<size_t>(kSwitched); ++k)
    for (const auto& [archive, indices] : byArchive)
      if (k < indices.size() && rows.size() < static_cast<size_t>(kSwitched))
        rows.push_back({indices[k], indices[k]});
  std::printf(
      "folder: %s, %d archives, %d missions; %d switched in %zu archives (fsync "
      "included)\n",
      folder.c_str(), summary.Archives, state.LastMission + 1, kSwitched, byArchive.size());

  // The sample folder has some missions disabled: start from all enabled.
  SetMissionsEnabled(state, p, rows, true);
  for (const bool enabled : {false, true}) {
    files->ResetCounters();
    journalFiles->ResetCounters();
    const auto start = Clock::now();
    const BulkResult result = SetMissionsEnabled(state, p, rows, enabled);
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    if (result.Patched != kSwitched) {
      std::fprintf(stderr, "bulk: %d switched, %d failed\n", result.Patched, result.Failed);
      return 1;
    }
    Print(enabled ? "bulk enable, 1,000 missions:" : "bulk disable, 1,000 missions:", ms,
          files->Counters(), journalFiles->Counters());
  }

  files->ResetCounters();
  journalFiles->ResetCounters();
  auto start = Clock::now();
  for (const BulkRow& row : rows) {
    if (SetMissionEnabled(state, p, row.Index, row.GridRow, false).Outcome != PatchOutcome::Patched)
      return 1;
  }
  double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  Print("one by one, 1,000 missions:", ms, files->Counters(), journalFiles->Counters());
  // Back to enabled, for the undo below to take back a bulk disable.
  SetMissionsEnabled(state, p, rows, true);
  SetMissionsEnabled(state, p, rows, false);

  files->ResetCounters();
  journalFiles->ResetCounters();
  start = Clock::now();
  const UndoResult undo = UndoLastPatches(state, p, 1);
  ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  if (undo.Count(UndoStatus::Restored) != kSwitched) {
    std::fprintf(stderr, "bulk: undo restored %d\n", undo.Count(UndoStatus::Restored));
    return 1;
  }
  Print("undo of the bulk disable:", ms, files->Counters(), journalFiles->Counters());
  std::filesystem::remove_all(folder);
  return 0;
}
