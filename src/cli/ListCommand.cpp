#include <cstdio>
#include <memory>

#include "catalogue/RefreshCatalogue.h"
#include "cli/CatalogueOutput.h"
#include "cli/CliArgs.h"
#include "cli/CliCatalogue.h"
#include "cli/CliHost.h"
#include "cli/Commands.h"

namespace brieflist::cli {
namespace {

struct LoadedFolder {
  std::unique_ptr<FileSystem> Files = MakeNativeFileSystem();
  CatalogueState State;
  RefreshReport Report;
};

// Refreshes the catalogue of Folder; false (with the message printed) when it is no folder.
bool LoadFolder(LoadedFolder& Loaded, const std::string& Folder, bool ReadInvalid) {
  CliHost host(ReadInvalid);
  return LoadCatalogue(Loaded.State, *Loaded.Files, host, Folder, &Loaded.Report);
}

bool FormatOption(const CliArgs& Args, OutputFormat& Format) {
  Format = OutputFormat::Table;
  const auto text = Args.Value("--format");
  return !text || ParseOutputFormat(*text, Format);
}

}  // namespace

int RunList(const std::vector<std::string>& Args) {
  std::string error;
  const auto args = ParseArgs(Args, {"--format"}, {"--resolve-map-names", "--read-invalid"}, error);
  if (!args) return UsageError(error);
  if (args->Positional.size() != 1) return UsageError("list takes one folder");
  OutputFormat format;
  if (!FormatOption(*args, format)) return UsageError("unknown format " + *args->Value("--format"));

  LoadedFolder loaded;
  if (!LoadFolder(loaded, args->Positional[0], args->Has("--read-invalid"))) return kExitFailed;
  std::unique_ptr<MapNameLookup> lookup;
  if (args->Has("--resolve-map-names"))
    lookup = std::make_unique<MapNameLookup>(loaded.State.MapNames);
  if (!WriteMissions(loaded.State.Missions, format, lookup.get(), StdoutSink()) ||
      std::fflush(stdout) != 0) {
    PrintError("cannot write the output");
    return kExitFailed;
  }
  // What was read is shown; a script must still learn that it is not all.
  if (ReportUnread(loaded.Report.Problems, "the catalogue lacks the missions of"))
    return kExitFailed;
  return kExitOk;
}

int RunMapNames(const std::vector<std::string>& Args) {
  std::string error;
  const auto args = ParseArgs(Args, {"--format"}, {"--read-invalid"}, error);
  if (!args) return UsageError(error);
  if (args->Positional.size() != 1) return UsageError("map-names takes one folder");
  OutputFormat format;
  if (!FormatOption(*args, format)) return UsageError("unknown format " + *args->Value("--format"));

  LoadedFolder loaded;
  if (!LoadFolder(loaded, args->Positional[0], args->Has("--read-invalid"))) return kExitFailed;
  if (!WriteStdout(RenderMapNames(loaded.State.MapNames, format))) {
    PrintError("cannot write the output");
    return kExitFailed;
  }
  if (ReportUnread(loaded.Report.Problems, "the table lacks the map names of")) return kExitFailed;
  return kExitOk;
}

}  // namespace brieflist::cli
