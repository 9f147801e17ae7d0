// enable, disable and toggle: switch the missions of a folder that match name patterns.
#include <algorithm>
#include <optional>

#include "catalogue/GridText.h"
#include "cli/CliCatalogue.h"
#include "cli/CliHost.h"
#include "cli/CliJournal.h"
#include "cli/CommandSetup.h"
#include "cli/Commands.h"
#include "editing/BulkSwitch.h"
#include "editing/PatchJournal.h"
#include "platform/FolderListing.h"
#include "platform/Windows1252.h"

namespace brieflist::cli {
namespace {

// "no mission matches 'P'", and the name it may have meant when P only lacks its ".BMS".
std::string UnmatchedPattern(const CatalogueState& State, const std::string& Pattern) {
  std::string text = "no mission matches '" + Pattern + "'";
  for (const MissionEntry& row : State.Missions) {
    if (!MatchesPattern(row.FileName, Pattern + ".BMS")) continue;
    text += "; did you mean '" + Pattern + ".BMS'?";
    break;
  }
  return text;
}

// True when Folder holds an archive called Name, letter case ignored.
bool HoldsArchive(const std::string& Folder, const std::string& Name) {
  const auto names = ListMatchingFiles(Folder, ".pff");
  if (!names) return true;  // its reading error was reported by the refresh
  return std::any_of(names->begin(), names->end(),
                     [&](const std::string& N) { return EqualsIgnoringCase(N, Name); });
}

// Sets each matching mission to Wanted; without Wanted, switches each to its other state.
int RunSwitch(const char* Name, const std::vector<std::string>& Args, std::optional<bool> Wanted,
              const TextSink& Out) {
  CommandSetup setup;
  if (const int usage =
          setup.Parse(Args, {{"--archive"},
                             {"--loose"},
                             2,
                             SIZE_MAX,
                             std::string(Name) + " takes a folder and at least one pattern",
                             true}))
    return usage;
  const CliArgs* args = &setup.Args;
  const auto archive = args->Value("--archive");
  const bool looseOnly = args->Has("--loose");
  if (archive && looseOnly) return UsageError("--archive and --loose exclude each other");

  // The journal keeps the paths of what it patches: an undo run from another folder must find
  // them too.
  if (!setup.Load()) return kExitFailed;
  const std::string& folder = setup.Folder;
  if (archive && !HoldsArchive(folder, *archive)) {
    PrintError("there is no archive '" + *archive + "' in " + folder);
    return kExitFailed;
  }
  CatalogueState& state = setup.State;
  FileSystem* files = setup.Files.get();
  CliHost& host = *setup.Host;
  // Files that could not be read may hold missions the patterns match; those of another archive
  // than the one asked for, or archives when only loose files are asked for, cannot.
  std::vector<IoError> unread;
  for (const IoError& problem : setup.Report.Problems) {
    const std::string name = UpperCase1252(NameOfPath(problem.Path));
    const bool file = problem.Path != folder;
    if (file && archive && name != UpperCase1252(*archive)) continue;
    if (file && looseOnly && !EndsWithIgnoringCase(name, ".BMS")) continue;
    unread.push_back(problem);
  }

  const auto wanted = [&](const MissionEntry& row) {
    if (looseOnly && row.DataOffset != 0) return false;
    if (archive && (row.DataOffset == 0 ||
                    UpperCase1252(NameOfPath(row.SourceFile)) != UpperCase1252(*archive)))
      return false;
    return true;
  };
  std::vector<BulkRow> chosen;
  std::vector<bool> patternUsed(args->Positional.size(), false);
  for (size_t i = 0; i < state.Missions.size(); ++i) {
    const MissionEntry& row = state.Missions[i];
    if (!wanted(row)) continue;
    bool any = false;
    for (size_t p = 1; p < args->Positional.size(); ++p) {
      if (MatchesPattern(row.FileName, args->Positional[p])) patternUsed[p] = any = true;
    }
    // A toggle sets each mission to the other state it had when the folder was read.
    if (any)
      chosen.push_back({static_cast<int32_t>(i), -1, Wanted.value_or(row.Enabled == kFalse)});
  }
  // A typo must not switch only half of what was asked.
  bool unmatched = false;
  for (size_t p = 1; p < args->Positional.size(); ++p) {
    if (patternUsed[p]) continue;
    PrintError(UnmatchedPattern(state, args->Positional[p]));
    unmatched = true;
  }
  if (unmatched) return kExitFailed;

  const auto journal = OpenUserJournal(*files, setup.Wait);
  if (!journal) return kExitFailed;
  const auto lock = LockUserJournal(*journal);
  if (!lock) return kExitFailed;
  const Platform platform{*files, host, journal.get()};
  // One command, one operation: an undo takes all of it back.
  const PatchJournal::Operation operation(
      journal.get(),
      chosen.size() > 1 ? JournalKind::Bulk : (Wanted ? JournalKind::Set : JournalKind::Toggle));
  // The state each mission had, for the rows that could not be switched.
  std::vector<bool> before(state.Missions.size());
  for (const BulkRow& row : chosen)
    before[static_cast<size_t>(row.Index)] =
        state.Missions[static_cast<size_t>(row.Index)].Enabled != kFalse;
  using enum ColumnKind;
  const std::vector<Column> columns{
      {"FileName"}, {"Enabled"}, {"Change"}, {"SourceFile"}, {"DataOffset"}};
  // Each row is written once its file is done: a long command shows its progress.
  host.ClearProgress();
  AlignedStream table({columns, chosen.size(),
                       [&](size_t R, RowWriter& Row) {
                         const MissionEntry& m =
                             state.Missions[static_cast<size_t>(chosen[R].Index)];
                         Row.Name(m.FileName);
                         Row.Text("False");
                         Row.Text("unchanged");
                         Row.Name(m.SourceFile);
                         Row.Int(m.DataOffset);
                       }},
                      Out);
  bool failed = false;
  const BulkResult result =
      SetMissionsEnabled(state, platform, chosen, true, [&](const BulkRowResult& R) {
        const bool was = before[static_cast<size_t>(R.Row.Index)];
        const bool broke = R.Outcome == PatchOutcome::Reported || R.Outcome == PatchOutcome::Failed;
        failed = failed || broke;
        PrintProblems(R.Problems);
        const bool now = broke ? was : R.Enabled;
        host.ClearProgress();
        table.Row([&](RowWriter& Row) {
          Row.Name(R.FileName);
          Row.Bool(now);
          Row.Text(broke ? "failed" : now == was ? "unchanged" : (now ? "enabled" : "disabled"));
          Row.Name(R.SourceFile);
          Row.Int(R.DataOffset);
        });
      });
  host.ClearProgress();
  PrintProblems({}, result.Refreshes);
  if (!Printed(table.Ok())) return kExitFailed;
  if (ReportUnread(unread, "nothing was switched in")) failed = true;
  return failed ? kExitFailed : kExitOk;
}

}  // namespace

int RunEnable(const std::vector<std::string>& Args, const TextSink& Out) {
  return RunSwitch("enable", Args, true, Out);
}

int RunDisable(const std::vector<std::string>& Args, const TextSink& Out) {
  return RunSwitch("disable", Args, false, Out);
}

int RunToggle(const std::vector<std::string>& Args, const TextSink& Out) {
  return RunSwitch("toggle", Args, std::nullopt, Out);
}

}  // namespace brieflist::cli
