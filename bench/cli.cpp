// brieflist-cli's switching commands on a folder of 30,000 missions (60 archives of 500), run
// in-process as a script runs them: disable, enable and toggle of every mission, the undo of the
// last and the history after them, each one command. The journal goes to a folder of its own.
// Usage: cli [--folder DIR]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "platform/NativeNames.h"
#include "sample/SampleWriter.h"

namespace {

using Clock = std::chrono::steady_clock;

void SetDataFolder(const std::string& Folder) {
#ifdef _WIN32
  _wputenv_s(L"APPDATA", brieflist::NativePath(Folder).c_str());
#else
  setenv("XDG_DATA_HOME", Folder.c_str(), 1);
#endif
}

}  // namespace

int main(int argc, char** argv) {
  using namespace brieflist;
  const auto base = std::filesystem::temp_directory_path() / "brieflist-bench-cli";
  std::string folder = (base / "game").string();
  if (argc == 3 && std::string(argv[1]) == "--folder") folder = argv[2];
  std::filesystem::remove_all(base);
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(base / "data");
  SetDataFolder((base / "data").string());

  sample::FolderOptions options{60, 500, 10, 0, 1};
  sample::FolderSummary summary;
  std::string error;
  if (!sample::MakeSampleFolder(folder, options, summary, error)) {
    std::fprintf(stderr, "cli: %s\n", error.c_str());
    return 1;
  }
  std::printf("folder: %s, %d archives, %d missions (fsync included)\n", folder.c_str(),
              summary.Archives, summary.Missions);
  struct Step {
    const char* What;
    cli::CommandFunction Run;
    std::vector<std::string> Args;
  };
  const std::vector<Step> steps{
      {"list DIR (the read every command makes)", cli::RunList, {folder, "--format", "tsv"}},
      {"enable DIR '*' (from the sample)", cli::RunEnable, {folder, "*"}},
      {"disable DIR '*'", cli::RunDisable, {folder, "*"}},
      {"enable DIR '*'", cli::RunEnable, {folder, "*"}},
      {"toggle DIR '*'", cli::RunToggle, {folder, "*"}},
      {"undo", cli::RunUndo, {}},
      {"history", cli::RunHistory, {}},
      {"history --missions", cli::RunHistory, {"--missions"}},
  };
  for (const Step& step : steps) {
    size_t bytes = 0;
    const auto start = Clock::now();
    const int exit = step.Run(step.Args, [&bytes](std::string_view Text) {
      bytes += Text.size();
      return true;
    });
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    std::printf("%-40s %9.1f ms  exit %d, %zu bytes of output\n", step.What, ms, exit, bytes);
  }
  std::filesystem::remove_all(base);
  if (argc != 3) std::filesystem::remove_all(folder);
  return 0;
}
