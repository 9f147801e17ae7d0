// Applying a list to a folder other than the one it was saved in: missions are found by name.
#include "exchange/ListApply.h"

#include <algorithm>
#include <map>
#include <utility>

#include "catalogue/RefreshCatalogue.h"
#include "catalogue/TextHelpers.h"
#include "editing/HeaderPatch.h"
#include "editing/PatchJournal.h"
#include "platform/Windows1252.h"

namespace brieflist {
namespace {

// A message box of thousands of lines helps no one; the copy holds them all.
constexpr size_t kListedRows = 20;

// Passes the refresh's skip question on and keeps the rest to itself: the caller's catalogue,
// grid and window are not the ones being read.
class AskingOnlyHost : public QuietHost {
 public:
  explicit AskingOnlyHost(EngineHost& Inner) : Inner_(Inner) {}
  bool AskYesNo(const std::string& Text) override { return Inner_.AskYesNo(Text); }

 private:
  EngineHost& Inner_;
};

// Archive (upper-cased; empty for a loose file) and file name (upper-cased).
using MissionKey = std::pair<std::string, std::string>;

MissionKey KeyOf(const MissionEntry& Row) {
  return {Row.DataOffset == 0 ? std::string() : UpperCase1252(LastPathComponent(Row.SourceFile)),
          UpperCase1252(Row.FileName)};
}

std::optional<bool> WantedOf(BooleanFlag Enabled) {
  if (Enabled == kTrue) return true;
  if (Enabled == kFalse) return false;
  return std::nullopt;  // a flag other than True or False asks for nothing
}

// The outcome of each row of one mission, in list order, from the state found on disk.
void Settle(std::vector<ApplyRow>& Out, const std::vector<size_t>& Rows,
            const std::vector<MissionEntry>& List, bool Enabled) {
  for (const size_t i : Rows) {
    const std::optional<bool> wanted = WantedOf(List[i].Enabled);
    if (!wanted || *wanted == Enabled) {
      Out[i].Outcome = ApplyOutcome::AlreadySo;
      continue;
    }
    Enabled = *wanted;
    Out[i].Outcome = Enabled ? ApplyOutcome::SwitchedOn : ApplyOutcome::SwitchedOff;
  }
}

void AppendListed(std::string& Text, const std::vector<std::string>& Lines) {
  for (size_t i = 0; i < Lines.size(); ++i) {
    if (i == kListedRows) {
      Text += "\r\nand " + std::to_string(Lines.size() - kListedRows) + " more";
      break;
    }
    Text += "\r\n" + Lines[i];
  }
}

}  // namespace

int32_t ApplyResult::Count(ApplyOutcome Outcome) const {
  return static_cast<int32_t>(std::count_if(
      Rows.begin(), Rows.end(), [&](const ApplyRow& r) { return r.Outcome == Outcome; }));
}

bool ApplyResult::Complete() const {
  return !FolderError && StoppedAt < 0 && static_cast<int32_t>(Rows.size()) == ListRows &&
         Count(ApplyOutcome::Missing) + Count(ApplyOutcome::Ambiguous) +
                 Count(ApplyOutcome::Failed) ==
             0;
}

std::string LastPathComponent(std::string_view Path) {
  const size_t last = Path.find_last_of("\\/");
  return std::string(last == std::string_view::npos ? Path : Path.substr(last + 1));
}

std::string ListFolderOf(std::string_view Path) {
  const size_t last = Path.find_last_of("\\/");
  return last == std::string_view::npos ? std::string() : std::string(Path.substr(0, last + 1));
}

ApplyResult ApplyListToFolder(const Platform& P, const std::vector<MissionEntry>& Rows,
                              const std::string& Folder, ApplyMode Mode) {
  ApplyResult result;
  result.ListRows = static_cast<int32_t>(Rows.size());
  if (auto problem = FolderProblem(P.Files, Folder, "folder not found")) {
    result.FolderError = std::move(*problem);
    return result;
  }
  CatalogueState folder;
  folder.GameDirectory = Folder;
  AskingOnlyHost host(P.Host);
  const RefreshReport report = RefreshCatalogue(folder, Platform{P.Files, host});
  result.Unread = report.Problems;

  std::map<MissionKey, std::vector<int32_t>> missions;
  for (int32_t i = 0; i < static_cast<int32_t>(folder.Missions.size()); ++i)
    missions[KeyOf(folder.Missions[static_cast<size_t>(i)])].push_back(i);
  // A row may name a file by its second name: its missions are the ones read under the first.
  for (const SameFile& same : report.SameFiles) {
    for (int32_t i = 0; i < static_cast<int32_t>(folder.Missions.size()); ++i) {
      const MissionEntry& m = folder.Missions[static_cast<size_t>(i)];
      if (m.SourceFile != same.ReadAs) continue;
      MissionKey key = KeyOf(m);
      (m.DataOffset == 0 ? key.second : key.first) = UpperCase1252(LastPathComponent(same.Path));
      std::vector<int32_t>& found = missions[key];
      if (std::find(found.begin(), found.end(), i) == found.end()) found.push_back(i);
    }
  }
  // A file the read could not open holds its missions still: they are not missing.
  std::map<std::string, const IoError*> unreadable;
  const IoError* unlisted = nullptr;  // the folder could not be listed: any row may be there
  for (const IoError& problem : report.Problems) {
    if (problem.Path == Folder)
      unlisted = &problem;
    else
      unreadable[UpperCase1252(LastPathComponent(problem.Path))] = &problem;
  }

  // The rows of each mission found once, and the files in the order of their first row.
  std::map<int32_t, std::vector<size_t>> rowsOf;
  std::vector<std::string> fileOrder;
  std::map<std::string, std::vector<int32_t>> missionsOf;
  result.Rows.resize(Rows.size());
  for (size_t i = 0; i < Rows.size(); ++i) {
    ApplyRow& out = result.Rows[i];
    out.FileName = Rows[i].FileName;
    if (Rows[i].DataOffset != 0) out.Archive = LastPathComponent(Rows[i].SourceFile);
    const MissionKey key = KeyOf(Rows[i]);
    const auto found = missions.find(key);
    // An unread file of that name may hold the mission, or hold it too: either way the row
    // cannot be settled.
    const auto problem = unreadable.find(key.first.empty() ? key.second : key.first);
    if (problem != unreadable.end() || (unlisted && found == missions.end())) {
      out.Outcome = ApplyOutcome::Failed;
      out.Reason = "Could not read " +
                   (problem != unreadable.end() ? problem->second : unlisted)->Describe();
      continue;
    }
    if (found == missions.end()) continue;  // Missing
    const MissionEntry& first = folder.Missions[static_cast<size_t>(found->second.front())];
    out.SourceFile = first.SourceFile;
    if (found->second.size() > 1) {
      // Where letter case tells files apart, two archives may share the name.
      std::vector<std::string> holders;
      for (const int32_t m : found->second) {
        const std::string& file = folder.Missions[static_cast<size_t>(m)].SourceFile;
        if (std::find(holders.begin(), holders.end(), file) == holders.end())
          holders.push_back(file);
      }
      out.Outcome = ApplyOutcome::Ambiguous;
      out.Reason = "held more than once in " + holders.front();
      for (size_t h = 1; h < holders.size(); ++h)
        out.Reason += (h + 1 == holders.size() ? " and " : ", ") + holders[h];
      continue;
    }
    out.DataOffset = first.DataOffset;
    auto [at, added] = rowsOf.try_emplace(found->second.front());
    at->second.push_back(i);
    if (!added) continue;
    auto [file, newFile] = missionsOf.try_emplace(first.SourceFile);
    if (newFile) fileOrder.push_back(first.SourceFile);
    file->second.push_back(found->second.front());
  }

  if (Mode == ApplyMode::DryRun) {
    for (const auto& [mission, rows] : rowsOf)
      Settle(result.Rows, rows, Rows,
             folder.Missions[static_cast<size_t>(mission)].Enabled != kFalse);
    return result;
  }

  const PatchJournal::Operation operation(P.Journal, JournalKind::Import);
  for (const std::string& file : fileOrder) {
    std::vector<int32_t>& inFile = missionsOf[file];
    std::sort(inFile.begin(), inFile.end(), [&](int32_t a, int32_t b) {
      return folder.Missions[static_cast<size_t>(a)].DataOffset <
             folder.Missions[static_cast<size_t>(b)].DataOffset;
    });
    // One change per mission, to the state its last row asks for.
    std::vector<HeaderChange> changes(inFile.size());
    for (size_t k = 0; k < inFile.size(); ++k) {
      const MissionEntry& m = folder.Missions[static_cast<size_t>(inFile[k])];
      std::optional<bool> wanted;
      for (const size_t i : rowsOf[inFile[k]])
        if (const auto w = WantedOf(Rows[i].Enabled)) wanted = w;
      changes[k].Offset = m.DataOffset;
      changes[k].FileName = m.FileName;
      changes[k].Decide = [wanted](std::span<uint8_t> header) {
        bool now = false;
        if (!wanted) {
          const std::string_view signature(reinterpret_cast<const char*>(header.data()), 3);
          return IsMissionSignature(signature) ? HeaderDecision::AlreadySo
                                               : HeaderDecision::NoSignature;
        }
        return DecideMissionState(header, wanted, now);
      };
    }
    const HeaderPatchResult done = PatchHeaders(P.Files, P.Journal, file, changes);
    for (size_t k = 0; k < inFile.size(); ++k) {
      const HeaderChange& change = changes[k];
      const std::vector<size_t>& rows = rowsOf[inFile[k]];
      std::string reason;
      if (!change.Written && done.Failed() && change.Decision != HeaderDecision::AlreadySo)
        reason = ProblemsText(done.Problems(file));
      else if (change.Decision == HeaderDecision::NoSignature)
        reason = "No mission at offset " + std::to_string(change.Offset) + " of " + file +
                 " any more: the file changed while the list was applied";
      if (!reason.empty()) {
        for (const size_t i : rows) {
          result.Rows[i].Outcome = ApplyOutcome::Failed;
          result.Rows[i].Reason = reason;
        }
        continue;
      }
      const std::string_view found(reinterpret_cast<const char*>(change.Found.data()), 3);
      Settle(result.Rows, rows, Rows, IsEnabledSignature(found));
    }
  }
  return result;
}

ApplyResult ApplyResultOfImport(const ImportResult& Result, const std::vector<MissionEntry>& Rows) {
  ApplyResult out;
  out.ListRows = static_cast<int32_t>(Rows.size());
  for (size_t i = 0; i < Result.Outcomes.size() && i < Rows.size(); ++i) {
    ApplyRow row;
    row.FileName = Rows[i].FileName;
    if (Rows[i].DataOffset != 0) row.Archive = LastPathComponent(Rows[i].SourceFile);
    row.SourceFile = Rows[i].SourceFile;
    row.DataOffset = Rows[i].DataOffset;
    switch (Result.Outcomes[i]) {
      case PatchOutcome::Patched:
        row.Outcome =
            Rows[i].Enabled == kTrue ? ApplyOutcome::SwitchedOn : ApplyOutcome::SwitchedOff;
        break;
      case PatchOutcome::AlreadySo:
        row.Outcome = ApplyOutcome::AlreadySo;
        break;
      case PatchOutcome::Reported:
        row.Outcome = ApplyOutcome::Missing;
        break;
      case PatchOutcome::Failed:
        row.Outcome = ApplyOutcome::Failed;
        row.Reason = Result.Message;
        break;
    }
    out.Rows.push_back(std::move(row));
  }
  if (Result.Status == ImportStatus::Stopped) out.StoppedAt = Result.Row;
  return out;
}

std::string ApplyRowName(const ApplyRow& Row) {
  return (Row.Archive.empty() ? std::string("(loose)") : Row.Archive) + ": " + Row.FileName;
}

std::string MissingRowsText(const ApplyResult& Result) {
  std::string text;
  for (const ApplyRow& row : Result.Rows)
    if (row.Outcome == ApplyOutcome::Missing) text += ApplyRowName(row) + "\r\n";
  return text;
}

std::string ApplySummaryText(const ApplyResult& Result) {
  std::string text =
      "Applied " + std::to_string(Result.Rows.size()) + " of " + std::to_string(Result.ListRows) +
      " rows of the list: " + std::to_string(Result.Count(ApplyOutcome::SwitchedOn)) +
      " switched on, " + std::to_string(Result.Count(ApplyOutcome::SwitchedOff)) +
      " switched off, " + std::to_string(Result.Count(ApplyOutcome::AlreadySo)) + " already so.";
  const auto section = [&](ApplyOutcome Outcome, const std::string& Title, bool Reasons) {
    std::vector<std::string> lines;
    for (const ApplyRow& row : Result.Rows)
      if (row.Outcome == Outcome)
        lines.push_back(Reasons              ? OneLine(row.Reason)
                        : row.Reason.empty() ? ApplyRowName(row)
                                             : ApplyRowName(row) + ": " + row.Reason);
    if (lines.empty()) return;
    text += "\r\n\r\n" + std::to_string(lines.size()) + " " + Title;
    AppendListed(text, lines);
  };
  section(ApplyOutcome::Missing, "missing (not in this folder):", false);
  section(ApplyOutcome::Ambiguous, "not switched: the name is held more than once:", false);
  section(ApplyOutcome::Failed, "could not be switched:", true);
  if (Result.StoppedAt >= 0)
    text += "\r\n\r\nThe import stopped at row " + std::to_string(Result.StoppedAt + 1) +
            "; the rows after it were not applied.";
  return text;
}

}  // namespace brieflist
