// enable, disable and toggle: switch the missions of a folder that match name patterns.
#include <optional>

#include "catalogue/GridText.h"
#include "cli/CliCatalogue.h"
#include "cli/CliHost.h"
#include "cli/CliJournal.h"
#include "cli/CommandSetup.h"
#include "cli/Commands.h"
#include "editing/Patching.h"
#include "platform/FolderListing.h"
#include "platform/Windows1252.h"

namespace brieflist::cli {
namespace {

// A chosen mission, by what identifies it on disk: a locate-and-retry refresh renumbers rows.
struct Chosen {
  std::string FileName;
  std::string SourceFile;
  int32_t DataOffset = 0;
};

int32_t FindChosen(const CatalogueState& State, const Chosen& C) {
  for (size_t i = 0; i < State.Missions.size(); ++i) {
    const MissionEntry& row = State.Missions[i];
    if (row.DataOffset == C.DataOffset && row.FileName == C.FileName &&
        row.SourceFile == C.SourceFile)
      return static_cast<int32_t>(i);
  }
  return -1;
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
  if (!setup.Load(true)) return kExitFailed;
  const std::string& folder = setup.Folder;
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
  std::vector<Chosen> chosen;
  std::vector<bool> patternUsed(args->Positional.size(), false);
  for (const MissionEntry& row : state.Missions) {
    if (!wanted(row)) continue;
    bool any = false;
    for (size_t p = 1; p < args->Positional.size(); ++p) {
      if (MatchesPattern(row.FileName, args->Positional[p])) patternUsed[p] = any = true;
    }
    if (any) chosen.push_back({row.FileName, row.SourceFile, row.DataOffset});
  }
  // A typo must not switch only half of what was asked.
  bool unmatched = false;
  for (size_t p = 1; p < args->Positional.size(); ++p) {
    if (patternUsed[p]) continue;
    PrintError("no mission matches '" + args->Positional[p] + "'");
    unmatched = true;
  }
  if (unmatched) return kExitFailed;

  const auto journal = OpenUserJournal(*files, setup.Wait);
  if (!journal) return kExitFailed;
  const auto lock = LockUserJournal(*journal);
  if (!lock) return kExitFailed;
  const Platform platform{*files, host, journal.get()};
  // One command, one operation: an undo takes all of it back.
  const PatchJournal::Operation operation(journal.get(),
                                          Wanted ? JournalKind::Set : JournalKind::Toggle);
  struct Switched {
    const Chosen* Mission;
    bool Now;
    std::string Change;
  };
  std::vector<Switched> switched;
  bool failed = false;
  for (const Chosen& c : chosen) {
    int32_t index = FindChosen(state, c);
    std::string change;
    if (index < 0) {
      PrintError(c.SourceFile + ": " + c.FileName + " is no longer in the catalogue");
      failed = true;
      continue;
    }
    const bool before = state.Missions[static_cast<size_t>(index)].Enabled != kFalse;
    PatchOutcome outcome = PatchOutcome::AlreadySo;
    if (!Wanted) {
      outcome = ToggleMissionEnabled(state, platform, index, index);
    } else if (*Wanted != before) {
      outcome = SetMissionEnabled(state, platform, index, index, *Wanted);
    }
    switch (outcome) {
      case PatchOutcome::Patched:
      case PatchOutcome::AlreadySo:
        break;
      case PatchOutcome::Reported:
      case PatchOutcome::Failed:
        failed = true;
        change = "failed";
        break;
    }
    index = FindChosen(state, c);
    const bool now = index >= 0 && state.Missions[static_cast<size_t>(index)].Enabled != kFalse;
    if (change.empty()) change = now == before ? "unchanged" : (now ? "enabled" : "disabled");
    switched.push_back({&c, now, change});
  }
  TypedTable table{{{"FileName"}, {"Enabled"}, {"Change"}, {"SourceFile"}, {"DataOffset"}},
                   switched.size(),
                   [&switched](size_t R, RowWriter& Row) {
                     const Switched& s = switched[R];
                     Row.Name(s.Mission->FileName);
                     Row.Bool(s.Now);
                     Row.Text(s.Change);
                     Row.Name(s.Mission->SourceFile);
                     Row.Int(s.Mission->DataOffset);
                   }};
  if (!Printed(WriteTable(table, OutputFormat::Table, Out))) return kExitFailed;
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
