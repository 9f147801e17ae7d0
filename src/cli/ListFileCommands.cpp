// export, import and show: the list files that save and restore which missions are enabled.
#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>

#include "catalogue/TextHelpers.h"
#include "cli/CatalogueOutput.h"
#include "cli/CliCatalogue.h"
#include "cli/CliHost.h"
#include "cli/CliJournal.h"
#include "cli/CommandSetup.h"
#include "cli/Commands.h"
#include "cli/Output.h"
#include "exchange/ListApply.h"
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

const char* OutcomeText(ApplyOutcome Outcome, ApplyMode Mode) {
  const bool dry = Mode == ApplyMode::DryRun;
  switch (Outcome) {
    case ApplyOutcome::SwitchedOn:
      return dry ? "would switch on" : "switched on";
    case ApplyOutcome::SwitchedOff:
      return dry ? "would switch off" : "switched off";
    case ApplyOutcome::AlreadySo:
      return "already so";
    case ApplyOutcome::Missing:
      return "missing";
    case ApplyOutcome::Ambiguous:
      return "ambiguous";
    case ApplyOutcome::Failed:
      return "failed";
  }
  return "";
}

// "Applied N rows: S switched, A already so, M missing, F failed"; a row left alone because its
// archive holds the name twice counts as failed.
std::string SummaryLine(const char* Verb, int32_t Rows, int32_t Switched, int32_t AlreadySo,
                        int32_t Missing, int32_t Failed) {
  return std::string(Verb) + " " + std::to_string(Rows) + " rows: " + std::to_string(Switched) +
         " switched, " + std::to_string(AlreadySo) + " already so, " + std::to_string(Missing) +
         " missing, " + std::to_string(Failed) + " failed\n";
}

int DryRun(FileSystem& Files, const std::string& Path, const TextSink& Out) {
  const ListDecodeResult list = ReadListFile(Files, Path);
  if (!list.Ok) {
    PrintError(list.Reason);
    return kExitFailed;
  }
  const std::vector<ImportPreviewRow> preview = PreviewImport(Files, list.Rows);
  int counts[6] = {};
  std::string refusals;
  for (size_t i = 0; i < preview.size(); ++i) {
    const ImportPreviewRow& p = preview[i];
    ++counts[static_cast<int>(p.Action)];
    if (p.Action == ImportAction::Refused)
      refusals += "Row " + std::to_string(i + 1) + " would be refused: " +
                  TerminalSafe(NativeNameToUtf8(p.SourceFile + ": " + p.Reason)) + "\n";
  }
  const TypedTable table{{{"Row"}, {"FileName"}, {"Action"}, {"SourceFile"}, {"DataOffset"}},
                         preview.size(),
                         [&](size_t R, RowWriter& Row) {
                           const ImportPreviewRow& p = preview[R];
                           const bool found = p.Action != ImportAction::NotFound &&
                                              p.Action != ImportAction::Unreadable;
                           Row.Int(static_cast<int64_t>(R) + 1);
                           Row.Name(list.Rows[R].FileName);
                           Row.Text(ActionText(p.Action));
                           Row.Name(found ? p.SourceFile : list.Rows[R].SourceFile);
                           Row.Int(found ? p.DataOffset : list.Rows[R].DataOffset);
                         }};
  std::string out = std::to_string(counts[0]) + " to enable, " + std::to_string(counts[1]) +
                    " to disable, " + std::to_string(counts[2]) + " already so, " +
                    std::to_string(counts[3]) + " not found" +
                    (counts[5] ? ", " + std::to_string(counts[5]) + " refused\n" : "\n") + refusals;
  const bool stops = !preview.empty() && preview.back().Action == ImportAction::Unreadable;
  if (stops)
    out += "The import would stop at row " + std::to_string(preview.size()) + " of " +
           std::to_string(list.Rows.size()) + ": " + NativeNameToUtf8(preview.back().Reason) + "\n";
  out += "Dry run: nothing was written.\n";
  // The rows after a file that could not be read were not looked at.
  return Printed(WriteTable(table, OutputFormat::Table, Out) && Out(out)) && !stops ? kExitOk
                                                                                    : kExitFailed;
}

// The list applied to the missions of Folder, found there by archive and file name.
int ImportIntoFolder(const std::string& Path, const std::string& Folder, ApplyMode Mode,
                     OutputFormat Format, std::chrono::milliseconds Wait, const TextSink& Out) {
  auto files = MakeNativeFileSystem();
  const ListDecodeResult list = ReadListFile(*files, Path);
  if (!list.Ok) {
    PrintError(list.Reason);
    return kExitFailed;
  }
  if (!CheckFolder(*files, Folder)) return kExitFailed;
  std::unique_ptr<PatchJournal> journal;
  std::optional<PatchJournal::WriterLock> lock;
  if (Mode == ApplyMode::Write) {
    if (!(journal = OpenUserJournal(*files, Wait))) return kExitFailed;
    auto locked = LockUserJournal(*journal);
    if (!locked) return kExitFailed;
    lock.emplace(std::move(*locked));
  }
  CliHost host;
  const ApplyResult result =
      ApplyListToFolder(Platform{*files, host, journal.get()}, list.Rows, Folder, Mode);
  // Rows they may hold fail, each with the file named; others still apply.
  for (const IoError& problem : result.Unread) PrintWarning("cannot read " + problem.Describe());

  using enum ColumnKind;
  const TypedTable table{{{"Row", Integer},
                          {"Result"},
                          {"Archive"},
                          {"FileName"},
                          {"SourceFile"},
                          {"DataOffset", Integer}},
                         result.Rows.size(),
                         [&](size_t R, RowWriter& Row) {
                           const ApplyRow& r = result.Rows[R];
                           Row.Int(static_cast<int64_t>(R) + 1);
                           Row.Text(OutcomeText(r.Outcome, Mode));
                           Row.Name(r.Archive);
                           Row.Name(r.FileName);
                           Row.Name(r.SourceFile);
                           if (r.SourceFile.empty()) {
                             Row.Put({"", 0});  // not found: no offset
                           } else {
                             Row.Int(r.DataOffset);
                           }
                         }};
  std::string missing;
  for (const ApplyRow& r : result.Rows) {
    if (r.Outcome == ApplyOutcome::Missing)
      missing += "missing: " + NativeNameToUtf8(ApplyRowName(r)) + "\n";
    else if (r.Outcome == ApplyOutcome::Ambiguous)
      missing += "ambiguous: " + NativeNameToUtf8(ApplyRowName(r) + ": " + r.Reason) + "\n";
    else if (r.Outcome == ApplyOutcome::Failed)
      missing += "failed: " + NativeNameToUtf8(ApplyRowName(r)) + ": " +
                 NativeNameToUtf8(OneLine(r.Reason)) + "\n";
  }
  std::fputs(missing.c_str(), stderr);
  const std::string summary =
      SummaryLine(Mode == ApplyMode::DryRun ? "Would apply" : "Applied", result.ListRows,
                  result.Count(ApplyOutcome::SwitchedOn) + result.Count(ApplyOutcome::SwitchedOff),
                  result.Count(ApplyOutcome::AlreadySo), result.Count(ApplyOutcome::Missing),
                  result.Count(ApplyOutcome::Failed) + result.Count(ApplyOutcome::Ambiguous));
  // Machine-readable output stays parseable: its summary goes to stderr.
  if (Format != OutputFormat::Table) std::fputs(summary.c_str(), stderr);
  if (!Printed(WriteTable(table, Format, Out) && (Format != OutputFormat::Table || Out(summary))))
    return kExitFailed;
  return result.Complete() ? kExitOk : kExitFailed;
}

}  // namespace

int RunExport(const std::vector<std::string>& Args, const TextSink& Out) {
  CommandSetup setup;
  if (const int usage = setup.Parse(
          Args, {{}, {"--read-invalid"}, 2, 2, "export takes a folder and a list file"}))
    return usage;
  const CliArgs* args = &setup.Args;
  // Absolute paths in the list, so it imports from any working folder.
  if (!setup.Load(true)) return kExitFailed;
  // A list that lacks some missions looks whole, and would replace a whole one: nothing is saved.
  if (ReportUnread(setup.Report.Problems, "nothing was saved: the list would lack the missions of"))
    return kExitFailed;
  const ExportResult result = ExportListFile(setup.State, *setup.Files, args->Positional[1]);
  if (!result.Ok) {
    PrintError(result.Message);
    return kExitFailed;
  }
  return Print(Out, "Saved " + std::to_string(result.Rows) + " missions to " +
                        NativeNameToUtf8(args->Positional[1]) + "\n")
             ? kExitOk
             : kExitFailed;
}

int RunImport(const std::vector<std::string>& Args, const TextSink& Out) {
  CommandSetup setup;
  if (const int usage = setup.Parse(
          Args,
          {{"--folder", "--format"}, {"--dry-run"}, 1, 1, "import takes one list file", true}))
    return usage;
  const CliArgs* args = &setup.Args;
  const auto wait = &setup.Wait;
  const std::string& path = args->Positional[0];
  const auto folder = args->Value("--folder");
  OutputFormat format = OutputFormat::Table;
  if (const auto text = args->Value("--format")) {
    if (!folder) return UsageError("--format needs --folder");
    if (!ParseOutputFormat(*text, format)) return UsageError("unknown format " + *text);
  }
  if (folder)
    return ImportIntoFolder(path, *folder,
                            args->Has("--dry-run") ? ApplyMode::DryRun : ApplyMode::Write, format,
                            *wait, Out);

  auto files = MakeNativeFileSystem();
  if (args->Has("--dry-run")) return DryRun(*files, path, Out);

  const auto journal = OpenUserJournal(*files, *wait);
  if (!journal) return kExitFailed;
  const auto lock = LockUserJournal(*journal);
  if (!lock) return kExitFailed;
  CliHost host;
  CatalogueState state;
  const ImportResult result = ImportListFile(state, Platform{*files, host, journal.get()}, path);
  switch (result.Status) {
    case ImportStatus::BadListFile:
      PrintError(result.Message);
      return kExitFailed;
    case ImportStatus::NoRows:
      return Print(Out, NativeNameToUtf8(path) + " holds no rows: nothing to do\n") ? kExitOk
                                                                                    : kExitFailed;
    case ImportStatus::Stopped:
      // The reason is already on stderr, from the host.
      PrintError("the import stopped at row " + std::to_string(result.Row + 1) + " of " +
                 std::to_string(state.LastImported + 1) + "; the rows before it were applied");
      Print(Out, SummaryLine("Applied", result.Row + 1, result.Patched, result.AlreadySo,
                             result.Reported, 1));
      return kExitFailed;
    case ImportStatus::Done:
      break;
  }
  const std::string out = SummaryLine("Applied", state.LastImported + 1, result.Patched,
                                      result.AlreadySo, result.Reported, 0) +
                          "Catalogue of " + NativeNameToUtf8(state.GameDirectory) + ": " +
                          CatalogueCounts(state) + "\n";
  if (!Print(Out, out)) return kExitFailed;
  return result.Reported > 0 ? kExitFailed : kExitOk;
}

int RunShow(const std::vector<std::string>& Args, const TextSink& Out) {
  CommandSetup setup;
  if (const int usage =
          setup.Parse(Args, {{"--folder"}, {}, 1, 1, "show takes one list file", false, true}))
    return usage;
  const CliArgs* args = &setup.Args;
  const OutputFormat format = setup.Format;

  auto files = MakeNativeFileSystem();
  const ListDecodeResult list = ReadListFile(*files, args->Positional[0]);
  if (!list.Ok) {
    PrintError(list.Reason);
    return kExitFailed;
  }
  const auto folder = args->Value("--folder");
  if (!folder)
    return Printed(WriteTable(MissionTable(list.Rows, nullptr), format, Out)) ? kExitOk
                                                                              : kExitFailed;
  if (!CheckFolder(*files, *folder)) return kExitFailed;
  // What an import into the folder would do with each row, read without writing.
  CliHost host;
  const ApplyResult preview =
      ApplyListToFolder(Platform{*files, host}, list.Rows, *folder, ApplyMode::DryRun);
  for (const IoError& problem : preview.Unread) PrintWarning("cannot read " + problem.Describe());
  ExtraColumn column{"Import", {}};
  for (const ApplyRow& r : preview.Rows)
    column.Cells.emplace_back(OutcomeText(r.Outcome, ApplyMode::DryRun));
  if (!Printed(WriteTable(MissionTable(list.Rows, nullptr, &column), format, Out)))
    return kExitFailed;
  // A row that a file which could not be read may hold has no answer.
  if (const int32_t open = preview.Count(ApplyOutcome::Failed); open > 0) {
    PrintError(std::to_string(open) + (open == 1 ? " row" : " rows") +
               " could not be looked up: a file that may hold them could not be read");
    return kExitFailed;
  }
  return kExitOk;
}

}  // namespace brieflist::cli
