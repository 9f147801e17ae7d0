// export, import and show: the list files that save and restore which missions are enabled.
#include "cli/CatalogueOutput.h"
#include "cli/CliArgs.h"
#include "cli/CliCatalogue.h"
#include "cli/CliHost.h"
#include "cli/CliJournal.h"
#include "cli/Commands.h"
#include "cli/Output.h"
#include "exchange/ListFile.h"
#include "platform/Windows1252.h"

namespace brieflist::cli {
namespace {

const char* ActionText(ImportAction Action) {
  switch (Action) {
    case ImportAction::Enable:
      return "enable";
    case ImportAction::Disable:
      return "disable";
    case ImportAction::AlreadySo:
      return "already so";
    case ImportAction::NotFound:
      return "not found";
    case ImportAction::Unreadable:
      return "cannot read";
    case ImportAction::Refused:
      return "refused";
  }
  return "";
}

bool Print(const std::string& Text) {
  if (WriteStdout(Text)) return true;
  PrintError("cannot write the output");
  return false;
}

int DryRun(FileSystem& Files, const std::string& Path) {
  const ListDecodeResult list = ReadListFile(Files, Path);
  if (!list.Ok) {
    PrintError(list.Reason);
    return kExitFailed;
  }
  const std::vector<ImportPreviewRow> preview = PreviewImport(Files, list.Rows);
  TextTable table;
  table.Titles = {"Row", "FileName", "Action", "SourceFile", "DataOffset"};
  int counts[6] = {};
  std::string refusals;
  for (size_t i = 0; i < preview.size(); ++i) {
    const ImportPreviewRow& p = preview[i];
    ++counts[static_cast<int>(p.Action)];
    const bool found = p.Action != ImportAction::NotFound && p.Action != ImportAction::Unreadable;
    if (p.Action == ImportAction::Refused)
      refusals += "Row " + std::to_string(i + 1) + " would be refused: " +
                  TerminalSafe(NativeNameToUtf8(p.SourceFile + ": " + p.Reason)) + "\n";
    table.Rows.push_back({std::to_string(i + 1), NativeNameToUtf8(list.Rows[i].FileName),
                          ActionText(p.Action),
                          NativeNameToUtf8(found ? p.SourceFile : list.Rows[i].SourceFile),
                          std::to_string(found ? p.DataOffset : list.Rows[i].DataOffset)});
  }
  std::string out = RenderAligned(table);
  out += std::to_string(counts[0]) + " to enable, " + std::to_string(counts[1]) + " to disable, " +
         std::to_string(counts[2]) + " already so, " + std::to_string(counts[3]) + " not found" +
         (counts[5] ? ", " + std::to_string(counts[5]) + " refused\n" : "\n") + refusals;
  if (!preview.empty() && preview.back().Action == ImportAction::Unreadable)
    out += "The import would stop at row " + std::to_string(preview.size()) + " of " +
           std::to_string(list.Rows.size()) + ": " + NativeNameToUtf8(preview.back().Reason) + "\n";
  out += "Dry run: nothing was written.\n";
  return Print(out) ? kExitOk : kExitFailed;
}

}  // namespace

int RunExport(const std::vector<std::string>& Args) {
  std::string error;
  const auto args = ParseArgs(Args, {}, {"--read-invalid"}, error);
  if (!args) return UsageError(error);
  if (args->Positional.size() != 2) return UsageError("export takes a folder and a list file");

  auto files = MakeNativeFileSystem();
  CliHost host(args->Has("--read-invalid"));
  CatalogueState state;
  // Absolute paths in the list, so it imports from any working folder.
  if (!LoadCatalogue(state, *files, host, AbsoluteFolder(args->Positional[0]))) return kExitFailed;
  const ExportResult result = ExportListFile(state, *files, args->Positional[1]);
  if (!result.Ok) {
    PrintError(result.Message);
    return kExitFailed;
  }
  return Print("Saved " + std::to_string(result.Rows) + " missions to " +
               NativeNameToUtf8(args->Positional[1]) + "\n")
             ? kExitOk
             : kExitFailed;
}

int RunImport(const std::vector<std::string>& Args) {
  std::string error;
  const auto args = ParseArgs(Args, {}, {"--dry-run"}, error);
  if (!args) return UsageError(error);
  if (args->Positional.size() != 1) return UsageError("import takes one list file");
  const std::string& path = args->Positional[0];

  auto files = MakeNativeFileSystem();
  if (args->Has("--dry-run")) return DryRun(*files, path);

  const auto journal = OpenUserJournal(*files);
  if (!journal) return kExitFailed;
  CliHost host;
  CatalogueState state;
  const ImportResult result = ImportListFile(state, Platform{*files, host, journal.get()}, path);
  switch (result.Status) {
    case ImportStatus::BadListFile:
      PrintError(result.Message);
      return kExitFailed;
    case ImportStatus::NoRows:
      return Print(NativeNameToUtf8(path) + " holds no rows: nothing to do\n") ? kExitOk
                                                                               : kExitFailed;
    case ImportStatus::Stopped:
      // The reason is already on stderr, from the host.
      PrintError("the import stopped at row " + std::to_string(result.Row + 1) + " of " +
                 std::to_string(state.LastImported + 1) + "; the rows before it were applied");
      return kExitFailed;
    case ImportStatus::Done:
      break;
  }
  const std::string out = "Applied " + std::to_string(state.LastImported + 1) +
                          " rows: " + std::to_string(result.Patched) + " switched, " +
                          std::to_string(result.AlreadySo) + " already so, " +
                          std::to_string(result.Reported) + " not found\n" + "Catalogue of " +
                          NativeNameToUtf8(state.GameDirectory) + ": " + CatalogueCounts(state) +
                          "\n";
  if (!Print(out)) return kExitFailed;
  return result.Reported > 0 ? kExitFailed : kExitOk;
}

int RunShow(const std::vector<std::string>& Args) {
  std::string error;
  const auto args = ParseArgs(Args, {"--format"}, {}, error);
  if (!args) return UsageError(error);
  if (args->Positional.size() != 1) return UsageError("show takes one list file");
  OutputFormat format = OutputFormat::Table;
  if (const auto text = args->Value("--format"); text && !ParseOutputFormat(*text, format))
    return UsageError("unknown format " + *text);

  auto files = MakeNativeFileSystem();
  const ListDecodeResult list = ReadListFile(*files, args->Positional[0]);
  if (!list.Ok) {
    PrintError(list.Reason);
    return kExitFailed;
  }
  return Print(RenderMissions(list.Rows, format, nullptr)) ? kExitOk : kExitFailed;
}

}  // namespace brieflist::cli
