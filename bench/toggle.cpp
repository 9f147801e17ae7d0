// Counts the system calls and times one toggle, and one import row, on a sample folder; then
// times the import of a big list into its own folder.
// Usage: toggle [--folder DIR] [--rounds N] [--big-rows N]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "catalogue/RefreshCatalogue.h"
#include "editing/Patching.h"
#include "exchange/ListFile.h"
#include "sample/SampleWriter.h"

namespace {

using Clock = std::chrono::steady_clock;

double Percentile(std::vector<double> v, double P) {
  std::sort(v.begin(), v.end());
  return v[static_cast<size_t>(P * static_cast<double>(v.size() - 1))];
}

void PrintCalls(const char* What, const brieflist::IoCounters& C, uint64_t Count) {
  const auto per = [&](uint64_t n) { return static_cast<double>(n) / static_cast<double>(Count); };
  std::printf("%s: %llu, per one: opens %.2f, reads %.2f, writes %.2f, flushes %.2f, closes %.2f\n",
              What, static_cast<unsigned long long>(Count), per(C.Opens), per(C.Reads),
              per(C.Writes), per(C.Flushes), per(C.Closes));
}

// An import as the faces run it: the closing refresh included.
brieflist::ImportResult ImportAndRefresh(brieflist::CatalogueState& State,
                                         const brieflist::Platform& P, const std::string& List) {
  brieflist::ImportResult result = brieflist::ImportListFile(State, P, List);
  if (result.Status == brieflist::ImportStatus::Done) brieflist::RefreshCatalogue(State, P);
  return result;
}

int Switched(const brieflist::ImportResult& Result) {
  return Result.Applied.Count(brieflist::ApplyOutcome::SwitchedOn) +
         Result.Applied.Count(brieflist::ApplyOutcome::SwitchedOff);
}

// A fresh sample folder made by Options and read into State: the benchmark switches its missions.
bool LoadFreshSample(const std::string& Folder, const brieflist::sample::FolderOptions& Options,
                     brieflist::sample::FolderSummary& Summary, brieflist::CatalogueState& State,
                     const brieflist::Platform& P) {
  std::filesystem::remove_all(Folder);
  std::string error;
  if (!brieflist::sample::MakeSampleFolder(Folder, Options, Summary, error)) {
    std::fprintf(stderr, "toggle: %s\n", error.c_str());
    return false;
  }
  State.GameDirectory = Folder;
  brieflist::RefreshCatalogue(State, P);
  return true;
}

// A list of Rows rows (about the standard folder's size) that disagrees with the disk on one
// row in 41, imported into its own folder: the cost of a big import with few switches.
int BigImport(const std::string& Folder, int Rows) {
  using namespace brieflist;
  if (Rows == 0) return 0;
  sample::FolderOptions options = sample::StandardFolderOptions();
  options.MissionsPerArchive = std::max(1, Rows / options.Archives);
  options.LooseMissions = 0;
  sample::FolderSummary summary;
  auto files = MakeNativeFileSystem();
  QuietHost host;
  const Platform p{*files, host};
  CatalogueState state;
  if (!LoadFreshSample(Folder, options, summary, state, p)) return 1;
  std::vector<MissionEntry> rows(state.Missions.begin(), state.Missions.end());
  int32_t differing = 0;
  for (size_t i = 0; i < rows.size(); i += 41, ++differing)
    rows[i].Enabled = ToFlag(rows[i].Enabled == kFalse);
  const std::string list = Folder + "/big.BRL";
  if (!files->ReplaceFile(list, EncodeListFile(rows).Bytes)) return 1;
  files->ResetCounters();
  const auto start = Clock::now();
  const ImportResult result = ImportListFile(state, p, list);
  const double applied = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  RefreshCatalogue(state, p);
  const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  std::printf(
      "big import, %zu rows, %d to switch: %d patched, %.1f ms (%.1f ms before the closing "
      "refresh)\n",
      rows.size(), differing, Switched(result), ms, applied);
  PrintCalls("  big import rows (refresh included)", files->Counters(), rows.size());
  std::filesystem::remove_all(Folder);
  return Switched(result) == differing ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace brieflist;
  std::string folder = (std::filesystem::temp_directory_path() / "brieflist-bench-toggle").string();
  int rounds = 3;
  int bigRows = 30000;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string arg = argv[i];
    if (arg == "--folder")
      folder = argv[i + 1];
    else if (arg == "--rounds")
      rounds = std::max(1, std::atoi(argv[i + 1]));
    else if (arg == "--big-rows")
      bigRows = std::max(0, std::atoi(argv[i + 1]));
  }

  sample::FolderOptions options;
  options.Archives = 8;
  options.MissionsPerArchive = 50;
  options.KeysPerArchive = 10;
  options.LooseMissions = 20;
  sample::FolderSummary summary;
  auto files = MakeNativeFileSystem();
  QuietHost host;
  const Platform p{*files, host};
  CatalogueState state;
  if (!LoadFreshSample(folder, options, summary, state, p)) return 1;
  const auto missions = static_cast<int32_t>(state.Missions.size());
  std::printf("folder: %s, %d archives, %d missions (%d loose)\n", folder.c_str(), summary.Archives,
              missions, summary.LooseMissions);

  // Toggles, each one flushed to stable storage.
  std::vector<double> micros;
  files->ResetCounters();
  uint64_t toggles = 0;
  for (int round = 0; round < 2 * rounds; ++round) {
    for (int32_t i = 0; i < missions; ++i) {
      const auto start = Clock::now();
      if (ToggleMissionEnabled(state, p, i, i).Outcome != PatchOutcome::Patched) {
        std::fprintf(stderr, "toggle: row %d was not switched\n", i);
        return 1;
      }
      micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
      ++toggles;
    }
  }
  PrintCalls("toggles", files->Counters(), toggles);
  std::printf("toggle time: median %.0f us, p95 %.0f us (fsync included)\n",
              Percentile(micros, 0.5), Percentile(micros, 0.95));

  // An import of a list that disagrees with every mission, then one that agrees.
  const std::string list = folder + "/bench.BRL";
  if (!ExportListFile(state, *files, list).Ok) return 1;
  for (int32_t i = 0; i < missions; ++i) ToggleMissionEnabled(state, p, i, i);
  for (const bool changing : {true, false}) {
    files->ResetCounters();
    const auto start = Clock::now();
    const ImportResult result = ImportAndRefresh(state, p, list);
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    if (result.Status != ImportStatus::Done) return 1;
    std::printf("import, %s: %d patched, %d already so, %.1f ms\n",
                changing ? "every row switched" : "nothing to switch", Switched(result),
                result.Applied.Count(ApplyOutcome::AlreadySo), ms);
    PrintCalls("  import rows (refresh included)", files->Counters(),
               static_cast<uint64_t>(missions));
  }

  // An import whose rows all name their missions at offsets that are no mission records: each
  // row takes the locate step, which should cost one refresh for the whole list, not one a row.
  std::vector<MissionEntry> stale;
  for (int32_t i = 0; i <= state.LastMission; ++i) {
    if (state.Missions[static_cast<size_t>(i)].DataOffset == 0) continue;
    stale.push_back(state.Missions[static_cast<size_t>(i)]);
    stale.back().DataOffset += 1;
    stale.back().Enabled = ToFlag(stale.back().Enabled == kFalse);
  }
  const std::string staleList = folder + "/stale.BRL";
  if (!files->ReplaceFile(staleList, EncodeListFile(stale).Bytes)) return 1;
  {
    files->ResetCounters();
    const auto start = Clock::now();
    const ImportResult result = ImportAndRefresh(state, p, staleList);
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    std::printf("import of %zu rows at stale offsets: %d patched, %d not found, %.1f ms\n",
                stale.size(), Switched(result), result.Applied.Count(ApplyOutcome::Missing), ms);
    PrintCalls("  stale rows (refreshes included)", files->Counters(), stale.size());
  }
  std::filesystem::remove_all(folder);
  return BigImport(folder, bigRows);
}
