// Times a catalogue refresh of the standard folder: 64 archives x 500 missions, one text
// resource of 1000 keys per archive, 200 loose missions.
// Usage: refresh [--folder DIR] [--cli PATH-TO-brieflist-cli] [--runs N]
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

double PeakRssMb(bool Children) {
#ifndef _WIN32
  rusage usage{};
  getrusage(Children ? RUSAGE_CHILDREN : RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
#else
  (void)Children;
  return 0;
#endif
}

// Runs Cli with Args and its output sent to /dev/null, as a script would, without a shell in
// between; returns false when it could not be run or failed.
bool RunQuietly(const std::string& Cli, std::vector<std::string> Args) {
#ifndef _WIN32
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(Cli.c_str()));
  for (std::string& a : Args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, Cli.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  return spawned == 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
         WEXITSTATUS(status) == 0;
#else
  (void)Cli;
  (void)Args;
  return false;
#endif
}

}  // namespace

int main(int argc, char** argv) {
  using namespace brieflist;
  std::string folder =
      (std::filesystem::temp_directory_path() / "brieflist-bench-standard").string();
  std::string cli;
  int runs = 5;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string arg = argv[i];
    if (arg == "--folder")
      folder = argv[i + 1];
    else if (arg == "--cli")
      cli = argv[i + 1];
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
  const double rssBefore = PeakRssMb(false);

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
  std::printf("peak RSS, this process   %.1f MB (%.1f MB before the catalogue)\n", PeakRssMb(false),
              rssBefore);

  if (!cli.empty()) {
    // The whole process, as a script would run it.
    std::vector<double> whole;
    for (int r = 0; r < std::max(runs, 7); ++r) {
      const auto start = Clock::now();
      if (!RunQuietly(cli, {"list", folder, "--format", "tsv"})) {
        std::fprintf(stderr, "refresh: %s list failed\n", cli.c_str());
        return 1;
      }
      whole.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::printf("cli list --format tsv    %.1f ms median of %zu   (target <= 45 ms)\n",
                Median(whole), whole.size());
    std::printf("peak RSS, cli process    %.1f MB   (target <= 40 MB)\n", PeakRssMb(true));
  }
  return 0;
}
