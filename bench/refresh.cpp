// Times a catalogue refresh of the standard folder: 64 archives x 500 missions, one text
// resource of 1000 keys per archive, 200 loose missions. Then times whole runs of
// `brieflist-cli list DIR --format tsv` against a plain C program that writes the same TSV,
// taking turns so both meet the same machine.
// Usage: refresh [--folder DIR] [--cli PATH] [--reference PATH] [--runs N]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#ifndef _WIN32
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
extern char** environ;
#endif

#include "catalogue/RefreshCatalogue.h"
#include "sample/SampleWriter.h"

namespace {

using Clock = std::chrono::steady_clock;

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

double PeakRssMb() {
#ifndef _WIN32
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
#else
  return 0;
#endif
}

struct WholeRun {
  double Ms = 0;
  double PeakRssMb = 0;
};

// Runs Cli with Args and its output and messages sent to /dev/null, as a script would, without a
// shell in between; false when it could not be run or failed.
bool RunQuietly(const std::string& Cli, std::vector<std::string> Args, WholeRun& Run) {
#ifndef _WIN32
  const auto start = Clock::now();
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(Cli.c_str()));
  for (std::string& a : Args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, Cli.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  rusage usage{};
  const bool ok = spawned == 0 && wait4(pid, &status, 0, &usage) == pid && WIFEXITED(status) &&
                  WEXITSTATUS(status) == 0;
  Run.Ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  Run.PeakRssMb = static_cast<double>(usage.ru_maxrss) / 1024.0;
  return ok;
#else
  (void)Cli;
  (void)Args;
  (void)Run;
  return false;
#endif
}

// Medians of whole runs of one program.
struct WholeRuns {
  std::vector<double> Ms;
  double PeakRssMb = 0;
  void Add(const WholeRun& Run) {
    Ms.push_back(Run.Ms);
    PeakRssMb = std::max(PeakRssMb, Run.PeakRssMb);
  }
};

}  // namespace

int main(int argc, char** argv) {
  using namespace brieflist;
  std::string folder =
      (std::filesystem::temp_directory_path() / "brieflist-bench-standard").string();
#ifdef BRIEFLIST_CLI_PATH
  std::string cli = BRIEFLIST_CLI_PATH;
#else
  std::string cli;
#endif
#ifdef BRIEFLIST_REFERENCE_PATH
  std::string reference = BRIEFLIST_REFERENCE_PATH;
#else
  std::string reference;
#endif
  int runs = 5;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string arg = argv[i];
    if (arg == "--folder")
      folder = argv[i + 1];
    else if (arg == "--cli")
      cli = argv[i + 1];
    else if (arg == "--reference")
      reference = argv[i + 1];
    else if (arg == "--runs")
      runs = std::max(1, std::atoi(argv[i + 1]));
  }

  // The folder is written once and kept: its stamp names the options that made it.
  const std::string stamp = folder + "/.standard-64x500-1000-200-seed7";
  if (!std::filesystem::exists(stamp)) {
    std::filesystem::remove_all(folder);
    sample::FolderSummary summary;
    std::string error;
    if (!sample::MakeSampleFolder(folder, {64, 500, 1000, 200, 7}, summary, error)) {
      std::fprintf(stderr, "refresh: %s\n", error.c_str());
      return 1;
    }
    sample::WriteFile(stamp, {});
    std::printf("wrote %s: %d missions, %.1f MB\n", folder.c_str(), summary.Missions,
                static_cast<double>(summary.Bytes) / 1e6);
  }
  const double rssBefore = PeakRssMb();

  auto files = MakeNativeFileSystem();
  QuietHost host;
  CatalogueState state;
  state.GameDirectory = folder;
  RefreshCatalogue(state, Platform{*files, host});  // warm the page cache

  std::vector<double> times;
  IoCounters counters;
  for (int r = 0; r < runs; ++r) {
    files->ResetCounters();
    const auto start = Clock::now();
    const RefreshReport report = RefreshCatalogue(state, Platform{*files, host});
    times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    counters = files->Counters();
    if (!report.Problems.empty()) std::fprintf(stderr, "refresh: problems while reading\n");
  }
  const double median = Median(times);
  const size_t missions = state.Missions.size();
  std::printf("missions                 %zu\n", missions);
  std::printf("map names                %zu\n", state.MapNames.size() - 1);
  std::printf("refresh median (%d warm)  %.1f ms   (target <= 35 ms)\n", runs, median);
  std::printf("missions per second      %.0f\n", static_cast<double>(missions) / (median / 1000.0));
  std::printf("opens per refresh        %llu\n", static_cast<unsigned long long>(counters.Opens));
  std::printf("reads per refresh        %llu\n", static_cast<unsigned long long>(counters.Reads));
  std::printf("peak RSS, this process   %.1f MB (%.1f MB before the catalogue)\n", PeakRssMb(),
              rssBefore);

  if (cli.empty()) return 0;
  // Whole processes, as a script would run them; at least 9 of each for a steady median.
  const std::vector<std::string> listArgs = {"list", folder, "--format", "tsv"};
  const std::vector<std::string> referenceArgs = {folder};
  const bool compare = !reference.empty() && std::filesystem::exists(reference);
  WholeRuns ours, theirs;
  for (int r = 0; r < std::max(runs, 9); ++r) {
    WholeRun run;
    if (!RunQuietly(cli, listArgs, run)) {
      std::fprintf(stderr, "refresh: %s list failed\n", cli.c_str());
      return 1;
    }
    ours.Add(run);
    if (!compare) continue;
    if (!RunQuietly(reference, referenceArgs, run)) {
      std::fprintf(stderr, "refresh: %s failed\n", reference.c_str());
      return 1;
    }
    theirs.Add(run);
  }
  std::printf("cli list --format tsv    %.1f ms median of %zu\n", Median(ours.Ms), ours.Ms.size());
  std::printf("peak RSS, cli process    %.1f MB   (target <= 40 MB)\n", ours.PeakRssMb);
  if (!compare) {
    std::printf("plain C list             not built (its source was not found)\n");
    return 0;
  }
  std::printf("plain C list             %.1f ms median of %zu, peak RSS %.1f MB\n",
              Median(theirs.Ms), theirs.Ms.size(), theirs.PeakRssMb);
  std::printf("list ratio, cli / C      %.2f   (target <= 1.30)\n",
              Median(ours.Ms) / Median(theirs.Ms));
  return 0;
}
