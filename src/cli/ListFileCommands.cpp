// export, import and show: the list files that save and restore which missions are enabled.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <set>

#include "catalogue/RefreshCatalogue.h"
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

// Found, but switching it would touch other bytes of its file.
bool Refused(const ApplyRow& Row) {
  return Row.Fault && Row.Fault->Code == ProblemCode::Misplaced;
}

// One vocabulary for what became, or would become, of a row, whatever found its mission.
const char* OutcomeText(const ApplyRow& Row, ApplyMode Mode) {
  const bool dry = Mode == ApplyMode::DryRun;
  switch (Row.Outcome) {
    case ApplyOutcome::SwitchedOn:
      return dry ? "would switch on" : "switched on";
    case ApplyOutcome::SwitchedOff:
      return dry ? "would switch off" : "switched off";
    case ApplyOutcome::AlreadySo:
      return "already so";
    case ApplyOutcome::Missing:
      return Refused(Row) ? "refused" : "missing";
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

// The rows of an import or of its dry run, in one table and one vocabulary whichever folders
// it looked in: the table on stdout, each row not applied on stderr, then the counts.
int ReportApplied(const ApplyResult& Result, ApplyMode Mode, OutputFormat Format,
                  const TextSink& Out) {
  using enum ColumnKind;
  const TypedTable table{{{"Row", Integer},
                          {"Result"},
                          {"Archive"},
                          {"FileName"},
                          {"SourceFile"},
                          {"DataOffset", Integer}},
                         Result.Rows.size(),
                         [&](size_t R, RowWriter& Row) {
                           const ApplyRow& r = Result.Rows[R];
                           Row.Int(static_cast<int64_t>(R) + 1);
                           Row.Text(OutcomeText(r, Mode));
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
  for (const ApplyRow& r : Result.Rows) {
    std::string line;
    const std::string name = NativeNameToUtf8(ApplyRowName(r));
    if (r.Outcome == ApplyOutcome::Ambiguous) {
      line = "ambiguous: " + name + ": held more than once in " + NativeNameToUtf8(r.Fault->Detail);
    } else if (Refused(r)) {
      line = "refused: " + name + ": " + NativeNameToUtf8(r.Fault->File + ": " + r.Fault->Detail);
    } else if (r.Outcome == ApplyOutcome::Missing) {
      line = "missing: " + name;
    } else if (r.Outcome == ApplyOutcome::Failed) {
      line = "failed: " + name + ": " + NativeNameToUtf8(OneLine(ProblemText(*r.Fault)));
    }
    if (!line.empty()) missing += TerminalSafe(line) + "\n";
  }
  std::fputs(missing.c_str(), stderr);
  const bool stopped = Result.StoppedAt >= 0;
  const std::string summary =
      SummaryLine(Mode == ApplyMode::DryRun ? "Would apply" : "Applied",
                  stopped ? Result.StoppedAt + 1 : Result.ListRows,
                  Result.Count(ApplyOutcome::SwitchedOn) + Result.Count(ApplyOutcome::SwitchedOff),
                  Result.Count(ApplyOutcome::AlreadySo), Result.Count(ApplyOutcome::Missing),
                  Result.Count(ApplyOutcome::Failed) + Result.Count(ApplyOutcome::Ambiguous));
  // Machine-readable output stays parseable: its summary goes to stderr.
  if (Format != OutputFormat::Table) std::fputs(summary.c_str(), stderr);
  if (!Printed(WriteTable(table, Format, Out) && (Format != OutputFormat::Table || Out(summary))))
    return kExitFailed;
  if (stopped)
    PrintError(
        std::string(Mode == ApplyMode::DryRun ? "the import would stop" : "the import stopped") +
        " at row " + std::to_string(Result.StoppedAt + 1) + " of " +
        std::to_string(Result.ListRows));
  return Result.Complete() ? kExitOk : kExitFailed;
}

// The first folder that rows of the list lead to and that this computer lacks: a list saved on
// another computer, whose rows can only be found by name in a folder given here.
std::optional<std::string> AbsentListFolder(FileSystem& Files,
                                            const std::vector<MissionEntry>& Rows) {
  constexpr const char* kAbsent = "absent";
  std::set<std::string> seen;
  for (const MissionEntry& row : Rows) {
    const std::string folder = ListFolderOf(row.SourceFile);
    if (folder.empty() || !seen.insert(folder).second) continue;
    const auto problem = FolderProblem(Files, folder, kAbsent);
    if (problem && problem->Reason == kAbsent) return folder;
  }
  return std::nullopt;
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
  ClearProgressLine();
  // Rows they may hold fail, each with the file named; others still apply.
  for (const IoError& problem : result.Unread) PrintWarning("cannot read " + problem.Describe());
  return ReportApplied(result, Mode, Format, Out);
}

}  // namespace

int RunExport(const std::vector<std::string>& Args, const TextSink& Out) {
  CommandSetup setup;
  if (const int usage = setup.Parse(
          Args, {{}, {"--read-invalid"}, 2, 2, "export takes a folder and a list file"}))
    return usage;
  const CliArgs* args = &setup.Args;
  // Absolute paths in the list, so it imports from any working folder.
  if (!setup.Load()) return kExitFailed;
  // A list that lacks some missions looks whole, and would replace a whole one: nothing is saved.
  if (ReportUnread(setup.Report.Problems, "nothing was saved: the list would lack the missions of"))
    return kExitFailed;
  const std::string list = AbsoluteFolder(args->Positional[1]);
  const ExportResult result = ExportListFile(setup.State, *setup.Files, list);
  if (!result.Ok) {
    PrintError(result.Message);
    return kExitFailed;
  }
  return Print(Out, "Saved " + std::to_string(result.Rows) + " missions to " +
                        NativeNameToUtf8(list) + "\n")
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
  // Every path printed is absolute.
  const std::string path = AbsoluteFolder(args->Positional[0]);
  auto folder = args->Value("--folder");
  if (folder) folder = AbsoluteFolder(*folder);
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
  ListDecodeResult list = ReadListFile(*files, path);
  if (!list.Ok) {
    PrintError(list.Reason);
    return kExitFailed;
  }
  if (const auto absent = AbsentListFolder(*files, list.Rows)) {
    PrintError("the list's folder " + *absent + " is not on this computer; use --folder DIR");
    return kExitFailed;
  }
  if (args->Has("--dry-run")) {
    CatalogueState state;
    state.ImportedMissions = std::move(list.Rows);
    state.LastImported = static_cast<int32_t>(state.ImportedMissions.size()) - 1;
    QuietHost quiet;
    return ReportApplied(ApplyImportedState(state, Platform{*files, quiet}, ApplyMode::DryRun),
                         ApplyMode::DryRun, OutputFormat::Table, Out);
  }

  const auto journal = OpenUserJournal(*files, *wait);
  if (!journal) return kExitFailed;
  const auto lock = LockUserJournal(*journal);
  if (!lock) return kExitFailed;
  CliHost host;
  const Platform platform{*files, host, journal.get()};
  CatalogueState state;
  const ImportResult result = ImportList(state, platform, std::move(list));
  ClearProgressLine();
  switch (result.Status) {
    case ImportStatus::BadListFile:
      PrintError(result.Message);
      return kExitFailed;
    case ImportStatus::NoRows:
      return Print(Out, NativeNameToUtf8(path) + " holds no rows: nothing to do\n") ? kExitOk
                                                                                    : kExitFailed;
    case ImportStatus::Stopped:
    case ImportStatus::Done:
      break;
  }
  // Each row's problem, in row order, as the import met them; the file that stopped it last.
  const ApplyResult& applied = result.Applied;
  for (const ApplyRow& row : applied.Rows)
    if (row.Fault) PrintProblems({&*row.Fault, 1});
  const int32_t switched =
      applied.Count(ApplyOutcome::SwitchedOn) + applied.Count(ApplyOutcome::SwitchedOff);
  const int32_t missing = applied.Count(ApplyOutcome::Missing);
  if (result.Status == ImportStatus::Stopped) {
    PrintError("the import stopped at row " + std::to_string(applied.StoppedAt + 1) + " of " +
               std::to_string(applied.ListRows) + "; the rows before it were applied");
    Print(Out, SummaryLine("Applied", applied.StoppedAt + 1, switched,
                           applied.Count(ApplyOutcome::AlreadySo), missing, 1));
    return kExitFailed;
  }
  PrintRefreshWarnings(RefreshCatalogue(state, platform));
  const std::string out = SummaryLine("Applied", applied.ListRows, switched,
                                      applied.Count(ApplyOutcome::AlreadySo), missing, 0) +
                          "Catalogue of " + NativeNameToUtf8(state.GameDirectory) + ": " +
                          CatalogueCounts(state) + "\n";
  if (!Print(Out, out)) return kExitFailed;
  return missing > 0 ? kExitFailed : kExitOk;
}

int RunShow(const std::vector<std::string>& Args, const TextSink& Out) {
  CommandSetup setup;
  if (const int usage =
          setup.Parse(Args, {{"--folder"}, {}, 1, 1, "show takes one list file", false, true}))
    return usage;
  const CliArgs* args = &setup.Args;
  const OutputFormat format = setup.Format;

  auto files = MakeNativeFileSystem();
  const ListDecodeResult list = ReadListFile(*files, AbsoluteFolder(args->Positional[0]));
  if (!list.Ok) {
    PrintError(list.Reason);
    return kExitFailed;
  }
  auto folder = args->Value("--folder");
  if (folder) folder = AbsoluteFolder(*folder);
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
    column.Cells.emplace_back(OutcomeText(r, ApplyMode::DryRun));
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
