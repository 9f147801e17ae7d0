// Applying a list: its rows resolved against a folder's catalogue, then patched file by file.
#include "exchange/ListApply.h"

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <utility>

#include "catalogue/RefreshCatalogue.h"
#include "catalogue/TextHelpers.h"
#include "editing/HeaderPatch.h"
#include "editing/MissionPosition.h"
#include "editing/PatchJournal.h"
#include "editing/Patching.h"
#include "platform/FolderListing.h"
#include "platform/Windows1252.h"

namespace brieflist {
namespace {

// A message box of thousands of lines helps no one; the copy holds them all.
constexpr size_t kListedRows = 20;

// Archive (upper-cased; empty for a loose file) and file name (upper-cased).
using MissionKey = std::pair<std::string, std::string>;

MissionKey KeyOf(const MissionEntry& Row) {
  return {Row.DataOffset == 0 ? std::string() : UpperCase1252(LastPathComponent(Row.SourceFile)),
          UpperCase1252(Row.FileName)};
}

// Paths from a list and from a folder listing name the same file; on Windows letter case does
// not tell files apart.
std::string PathKey(const std::string& Path) {
#ifdef _WIN32
  return UpperCase1252(Path);
#else
  return Path;
#endif
}

std::optional<bool> WantedOf(BooleanFlag Enabled) {
  if (Enabled == kTrue) return true;
  if (Enabled == kFalse) return false;
  return std::nullopt;  // a flag other than True or False asks for nothing
}

// One folder read once, indexed by name and by place.
struct FolderCatalogue {
  CatalogueState State;
  RefreshReport Report;
  std::map<MissionKey, std::vector<int32_t>> ByName;
  std::map<std::pair<std::string, int32_t>, std::vector<int32_t>> ByPlace;
  std::set<std::string> Read;                        // by PathKey: each file read
  std::map<std::string, const IoError*> Unreadable;  // by upper-cased file name
  const IoError* Unlisted = nullptr;  // the folder could not be listed: any row may be there

  FolderCatalogue(const Platform& P, const std::string& Folder, EngineHost* Asking) {
    // A row without a folder of this system's kind names no file here to read.
    if (Folder.empty()) return;
    State.GameDirectory = Folder;
    // Only the skip question goes on: the caller's catalogue is not the one being read.
    QuietHost quiet;
    Report = RefreshCatalogue(State, Platform{P.Files, Asking ? *Asking : quiet});
    for (int32_t i = 0; i < static_cast<int32_t>(State.Missions.size()); ++i) {
      const MissionEntry& m = State.Missions[static_cast<size_t>(i)];
      ByName[KeyOf(m)].push_back(i);
      ByPlace[{PathKey(m.SourceFile), m.DataOffset}].push_back(i);
      Read.insert(PathKey(m.SourceFile));
    }
    // A row may name a file by its second name: its missions are the ones read under the first.
    for (const SameFile& same : Report.SameFiles) {
      for (int32_t i = 0; i < static_cast<int32_t>(State.Missions.size()); ++i) {
        const MissionEntry& m = State.Missions[static_cast<size_t>(i)];
        if (m.SourceFile != same.ReadAs) continue;
        ByPlace[{PathKey(same.Path), m.DataOffset}].push_back(i);
        Read.insert(PathKey(same.Path));
        MissionKey key = KeyOf(m);
        (m.DataOffset == 0 ? key.second : key.first) = UpperCase1252(LastPathComponent(same.Path));
        std::vector<int32_t>& found = ByName[key];
        if (std::find(found.begin(), found.end(), i) == found.end()) found.push_back(i);
      }
    }
    for (const IoError& problem : Report.Problems) {
      if (problem.Path == Folder)
        Unlisted = &problem;
      else
        Unreadable[UpperCase1252(LastPathComponent(problem.Path))] = &problem;
    }
  }

  const MissionEntry& At(int32_t Index) const { return State.Missions[static_cast<size_t>(Index)]; }
};

// Where a resolved row is switched.
struct Target {
  bool Found = false;
  bool Located = false;   // found again by name: a place that fails now is StillInvalid
  std::string FileName;   // the mission's name in its file
  bool Enabled = false;   // its state when it was resolved
  std::string Misplaced;  // known before the write: what its header runs into
};

class ListApplier {
 public:
  // Folder: where every row is looked for by name; none: each row in its own folder.
  ListApplier(const Platform& P, const std::vector<MissionEntry>& Rows,
              std::optional<std::string> Folder, ApplyMode Mode)
      : P_(P),
        Rows_(Rows),
        ByName_(Folder.has_value()),
        Folder_(Folder.value_or(std::string())),
        Mode_(Mode),
        Targets_(Rows.size()) {
    Result_.ListRows = static_cast<int32_t>(Rows.size());
  }

  ApplyResult Run() {
    if (ByName()) {
      if (auto problem = FolderProblem(P_.Files, Folder_, "folder not found")) {
        Result_.FolderError = std::move(*problem);
        return std::move(Result_);
      }
      Result_.Unread = Catalogue(Folder_, false).Report.Problems;
    }
    Result_.Rows.resize(Rows_.size());
    const size_t steps = 2 * Rows_.size();  // resolving each row, then applying it
    for (size_t i = 0; i < Rows_.size() && !Stopped(); ++i) {
      if (i % 256 == 0) P_.Host.Progress(i, steps);
      ApplyRow& out = Result_.Rows[i];
      out.FileName = Rows_[i].FileName;
      if (Rows_[i].DataOffset != 0) out.Archive = LastPathComponent(Rows_[i].SourceFile);
      if (ByName())
        ResolveByName(i, Catalogue(Folder_, false));
      else
        ResolveByPlace(i);
    }
    if (Stopped()) Result_.Rows.resize(static_cast<size_t>(Result_.StoppedAt) + 1);
    std::optional<PatchJournal::Operation> operation;
    if (Mode_ == ApplyMode::Write) operation.emplace(P_.Journal, JournalKind::Import);
    // Consecutive rows of one file go together: a file that fails stops an import of the list's
    // own folders after the rows before it, as one row at a time would.
    const size_t end = Result_.Rows.size();
    for (size_t first = 0; first < end;) {
      if (!Targets_[first].Found) {
        ++first;
        continue;
      }
      const std::string& file = Result_.Rows[first].SourceFile;
      size_t last = first + 1;
      while (last < end && (!Targets_[last].Found || Result_.Rows[last].SourceFile == file)) ++last;
      std::vector<size_t> rows;
      for (size_t i = first; i < last; ++i)
        if (Targets_[i].Found) rows.push_back(i);
      P_.Host.Progress(Rows_.size() + first, steps);
      ApplyFile(file, rows);
      if (Stopped()) {
        Result_.Rows.resize(static_cast<size_t>(Result_.StoppedAt) + 1);
        break;
      }
      first = last;
    }
    return std::move(Result_);
  }

 private:
  bool ByName() const { return ByName_; }
  bool Stopped() const { return Result_.StoppedAt >= 0; }

  FolderCatalogue& Catalogue(const std::string& Folder, bool Fresh) {
    std::unique_ptr<FolderCatalogue>& c = Catalogues_[Folder];
    if (!c || Fresh)
      c = std::make_unique<FolderCatalogue>(P_, Folder, ByName() ? &P_.Host : nullptr);
    return *c;
  }

  void Found(size_t Row, const MissionEntry& Mission, bool Located) {
    Result_.Rows[Row].SourceFile = Mission.SourceFile;
    Result_.Rows[Row].DataOffset = Mission.DataOffset;
    Target& t = Targets_[Row];
    // The journal records a recorded place under the row's own name, as the file was asked.
    const bool own = !ByName() && !Located;
    t = Target{
        true, Located, own ? Rows_[Row].FileName : Mission.FileName, Mission.Enabled != kFalse, {}};
  }

  void NotApplied(size_t Row, ApplyOutcome Outcome, Problem Fault) {
    ApplyRow& out = Result_.Rows[Row];
    out.Outcome = Outcome;
    if (Fault.Mission.empty()) Fault.Mission = Rows_[Row].FileName;
    out.Fault = std::move(Fault);
    Targets_[Row].Found = false;
  }

  // A row of the list's own folders that leads to no mission, with the locate step's code.
  void Missing(size_t Row, ProblemCode Code) {
    NotApplied(Row, ApplyOutcome::Missing,
               Problem{Code, Rows_[Row].SourceFile, Rows_[Row].FileName, 0, {}, {}});
  }

  void ResolveByName(size_t Row, const FolderCatalogue& C) {
    const MissionKey key = KeyOf(Rows_[Row]);
    const auto found = C.ByName.find(key);
    // An unread file of that name may hold the mission, or hold it too: either way the row
    // cannot be settled.
    const auto unread = C.Unreadable.find(key.first.empty() ? key.second : key.first);
    if (unread != C.Unreadable.end() || (C.Unlisted && found == C.ByName.end())) {
      const IoError& error = unread != C.Unreadable.end() ? *unread->second : *C.Unlisted;
      NotApplied(Row, ApplyOutcome::Failed, FileProblem(ProblemCode::Unreadable, error));
      return;
    }
    if (found == C.ByName.end()) {
      NotApplied(Row, ApplyOutcome::Missing, Problem{ProblemCode::Missing, Folder_, {}, 0, {}, {}});
      Result_.Rows[Row].NoSuchArchive = !key.first.empty() && !ArchiveHere(key.first);
      return;
    }
    const MissionEntry& first = C.At(found->second.front());
    if (found->second.size() > 1) {
      // Where letter case tells files apart, two archives may share the name.
      std::vector<std::string> holders;
      for (const int32_t m : found->second)
        if (std::find(holders.begin(), holders.end(), C.At(m).SourceFile) == holders.end())
          holders.push_back(C.At(m).SourceFile);
      std::string detail = holders.front();
      for (size_t h = 1; h < holders.size(); ++h)
        detail.append(h + 1 == holders.size() ? " and " : ", ").append(holders[h]);
      Result_.Rows[Row].SourceFile = first.SourceFile;
      NotApplied(Row, ApplyOutcome::Ambiguous,
                 Problem{ProblemCode::Ambiguous, first.SourceFile, {}, 0, std::move(detail), {}});
      return;
    }
    Found(Row, first, false);
  }

  // Whether the folder holds an archive of that upper-cased name; true when it cannot be told.
  bool ArchiveHere(const std::string& Name) {
    if (!ArchivesHere_) {
      ArchivesHere_.emplace();
      const GameFiles files = ListGameFiles(P_.Files, Folder_);
      if (!files.Archives) return true;
      for (const std::string& archive : files.Archives->Names)
        ArchivesHere_->insert(UpperCase1252(archive));
    }
    return ArchivesHere_->count(Name) > 0;
  }

  // The row's own place when its file names that mission there, else the locate step.
  void ResolveByPlace(size_t Row) {
    const MissionEntry& r = Rows_[Row];
    const std::string folder = FolderOfPath(r.SourceFile);
    FolderCatalogue& c = Catalogue(folder, false);
    if (const auto at = c.ByPlace.find({PathKey(r.SourceFile), r.DataOffset});
        at != c.ByPlace.end()) {
      for (const int32_t i : at->second)
        if (EqualsIgnoringCase(StripNulsAndSpaces(c.At(i).FileName),
                               StripNulsAndSpaces(r.FileName)))
          return Found(Row, c.At(i), false);
    }
    // A file the refresh read names no such mission there; one it did not read (gone,
    // unreadable, not a game file) says for itself.
    if (c.Read.count(PathKey(r.SourceFile))) return Locate(Row, c);
    auto probe = ProbeImportPosition(P_.Files, r.SourceFile, r.DataOffset, r.FileName);
    if (!probe) {
      NotApplied(Row, ApplyOutcome::Failed, FileProblem(ProblemCode::Unreadable, probe.Error()));
      Result_.StoppedAt = static_cast<int32_t>(Row);
      return;
    }
    if (probe->Place.Place != MissionPlace::NotListed) {
      MissionEntry here = r;
      here.Enabled = ToFlag(probe->Enabled);
      Found(Row, here, false);
      Targets_[Row].Misplaced = probe->Place.Why;
      return;
    }
    Locate(Row, c);
  }

  void Locate(size_t Row, const FolderCatalogue& C) {
    const MissionEntry& r = Rows_[Row];
    if (r.DataOffset == 0) return Missing(Row, ProblemCode::NotAMission);
    const int32_t j = FindPackedMission(C.State, r.FileName, r.SourceFile);
    if (j < 0) return Missing(Row, ProblemCode::NotFound);
    Found(Row, C.At(j), true);
  }

  // The outcome of each row of one mission, in list order, from the state it had; the state it
  // is left in is known for the mission's later rows.
  void Settle(const std::vector<size_t>& Rows, bool Enabled) {
    for (const size_t i : Rows) {
      const std::optional<bool> wanted = WantedOf(Rows_[i].Enabled);
      ApplyRow& out = Result_.Rows[i];
      if (!wanted || *wanted == Enabled) {
        out.Outcome = ApplyOutcome::AlreadySo;
        continue;
      }
      Enabled = *wanted;
      out.Outcome = Enabled ? ApplyOutcome::SwitchedOn : ApplyOutcome::SwitchedOff;
    }
    const ApplyRow& row = Result_.Rows[Rows.front()];
    Now_[{row.SourceFile, row.DataOffset}] = Enabled;
  }

  void Refuse(const std::vector<size_t>& Rows, const std::string& File, const std::string& Why) {
    for (const size_t i : Rows)
      NotApplied(i, ByName() ? ApplyOutcome::Failed : ApplyOutcome::Missing,
                 Problem{ProblemCode::Misplaced, File, Targets_[i].FileName, 0, Why, {}});
  }

  // The rows of one file that found missions: one change per mission, to the state its last row
  // asks for, all in one PatchHeaders (or, for a dry run, one look at the file's places).
  void ApplyFile(const std::string& File, const std::vector<size_t>& Rows) {
    std::map<int32_t, std::vector<size_t>> rowsAt;
    std::vector<int32_t> order;
    for (const size_t i : Rows) {
      auto [at, added] = rowsAt.try_emplace(Result_.Rows[i].DataOffset);
      if (added) order.push_back(at->first);
      at->second.push_back(i);
    }
    std::vector<HeaderChange> changes;
    std::vector<const std::vector<size_t>*> changeRows;
    for (const int32_t offset : order) {
      const std::vector<size_t>& rows = rowsAt[offset];
      const Target& t = Targets_[rows.front()];
      const bool now = Now_.try_emplace({File, offset}, t.Enabled).first->second;
      std::optional<bool> wanted;
      for (const size_t i : rows)
        if (const auto w = WantedOf(Rows_[i].Enabled)) wanted = w;
      if (!wanted || *wanted == now) {
        Settle(rows, now);
      } else if (!t.Misplaced.empty()) {
        Refuse(rows, File, t.Misplaced);
      } else {
        HeaderChange change;
        change.Offset = offset;
        change.FileName = t.FileName;
        change.Decide = [wanted](std::span<uint8_t> Header) {
          bool now = false;
          return DecideMissionState(Header, wanted, now);
        };
        changes.push_back(std::move(change));
        changeRows.push_back(&rows);
      }
    }
    if (changes.empty()) return;
    if (Mode_ == ApplyMode::DryRun) return LookAt(File, changes, changeRows);

    const HeaderPatchResult done = PatchHeaders(P_.Files, P_.Journal, File, changes);
    std::vector<size_t> retry;
    for (size_t k = 0; k < changes.size(); ++k) {
      const HeaderChange& change = changes[k];
      const std::vector<size_t>& rows = *changeRows[k];
      if (!change.Written && done.Failed() && change.Decision != HeaderDecision::AlreadySo) {
        const Problem fault = done.Problems(File).front();
        for (const size_t i : rows) NotApplied(i, ApplyOutcome::Failed, fault);
        if (!ByName() && (!Stopped() || static_cast<int32_t>(rows.front()) < Result_.StoppedAt))
          Result_.StoppedAt = static_cast<int32_t>(rows.front());
      } else if (change.Decision == HeaderDecision::Misplaced) {
        Refuse(rows, File, change.Refusal);
      } else if (change.Decision == HeaderDecision::NotListed ||
                 change.Decision == HeaderDecision::NoSignature) {
        retry.insert(retry.end(), rows.begin(), rows.end());
      } else {
        Settle(rows, EnabledMark(change.Found));
      }
    }
    // The file changed since it was read: found again in a fresh read, and tried once more.
    std::sort(retry.begin(), retry.end());
    for (const size_t i : retry) {
      if (Stopped() && static_cast<int32_t>(i) > Result_.StoppedAt) break;
      if (Targets_[i].Located) {
        NotApplied(i, ByName() ? ApplyOutcome::Failed : ApplyOutcome::Missing,
                   Problem{ProblemCode::StillInvalid, File, Rows_[i].FileName, 0, {}, {}});
        continue;
      }
      FolderCatalogue& c = Catalogue(ByName() ? Folder_ : FolderOfPath(Rows_[i].SourceFile), true);
      if (ByName())
        ResolveByName(i, c);
      else
        Locate(i, c);
      if (!Targets_[i].Found) continue;
      Targets_[i].Located = true;
      ApplyFile(Result_.Rows[i].SourceFile, {i});
    }
  }

  // A dry run's look at the places of the missions a write would switch, as PatchHeaders checks
  // them: one that would touch other bytes is refused.
  void LookAt(const std::string& File, const std::vector<HeaderChange>& Changes,
              const std::vector<const std::vector<size_t>*>& ChangeRows) {
    std::vector<PlaceCheck> places(Changes.size());
    const bool packed = Changes.front().Offset != 0;
    const auto looked = P_.Files.InspectFile(File, [&](OpenFile& Open) {
      const MissionPlaces read = MissionPlaces::Read(Open, File, packed);
      for (size_t k = 0; k < Changes.size(); ++k)
        places[k] = read.Check(Changes[k].FileName, Changes[k].Offset);
    });
    for (size_t k = 0; k < Changes.size(); ++k) {
      const std::vector<size_t>& rows = *ChangeRows[k];
      if (looked && places[k].Place == MissionPlace::Misplaced)
        Refuse(rows, File, places[k].Why);
      else
        Settle(rows, Now_[{File, Changes[k].Offset}]);
    }
  }

  const Platform& P_;
  const std::vector<MissionEntry>& Rows_;
  const bool ByName_;
  const std::string Folder_;
  const ApplyMode Mode_;
  std::vector<Target> Targets_;
  std::map<std::string, std::unique_ptr<FolderCatalogue>> Catalogues_;
  std::map<std::pair<std::string, int32_t>, bool> Now_;  // each mission's state as applied so far
  ApplyResult Result_;
  std::optional<std::set<std::string>> ArchivesHere_;  // upper-cased
};

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
  return ListApplier(P, Rows, Folder, Mode).Run();
}

ApplyResult ApplyImportedState(const CatalogueState& State, const Platform& P, ApplyMode Mode) {
  const size_t rows = State.LastImported < 0 ? 0 : static_cast<size_t>(State.LastImported) + 1;
  const std::vector<MissionEntry> imported(
      State.ImportedMissions.begin(),
      State.ImportedMissions.begin() +
          static_cast<ptrdiff_t>(std::min(rows, State.ImportedMissions.size())));
  return ListApplier(P, imported, std::nullopt, Mode).Run();
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
  const int32_t applied = Result.Count(ApplyOutcome::SwitchedOn) +
                          Result.Count(ApplyOutcome::SwitchedOff) +
                          Result.Count(ApplyOutcome::AlreadySo);
  std::string text =
      "Applied " + std::to_string(applied) + " of " + std::to_string(Result.ListRows) +
      " rows of the list: " + std::to_string(Result.Count(ApplyOutcome::SwitchedOn)) +
      " switched on, " + std::to_string(Result.Count(ApplyOutcome::SwitchedOff)) +
      " switched off, " + std::to_string(Result.Count(ApplyOutcome::AlreadySo)) + " already so.";
  const auto section = [&](ApplyOutcome Outcome, const std::string& Title) {
    std::vector<std::string> lines;
    // The rows of an archive the folder lacks make one line: "B.PFF is not in this folder (40
    // missions)", where the first of them would have been listed.
    std::map<std::string, std::pair<size_t, int>> absent;  // by archive: line, rows
    int32_t rows = 0;
    for (const ApplyRow& row : Result.Rows) {
      if (row.Outcome != Outcome) continue;
      ++rows;
      if (row.NoSuchArchive) {
        auto [group, added] = absent.try_emplace(row.Archive, lines.size(), 0);
        if (added) lines.emplace_back();
        ++group->second.second;
      } else if (Outcome == ApplyOutcome::Failed && row.Fault)
        lines.push_back(OneLine(ProblemText(*row.Fault)));
      else if (Outcome == ApplyOutcome::Ambiguous && row.Fault)
        lines.push_back(ApplyRowName(row) + ": held more than once in " + row.Fault->Detail);
      else
        lines.push_back(ApplyRowName(row));
    }
    for (const auto& [archive, group] : absent) {
      std::string& line = lines[group.first];
      (line = archive) += " is not in this folder (" + std::to_string(group.second);
      line += group.second == 1 ? " mission)" : " missions)";
    }
    if (lines.empty()) return;
    text += "\r\n\r\n" + std::to_string(rows) + " " + Title;
    AppendListed(text, lines);
  };
  section(ApplyOutcome::Missing, "missing (not in this folder):");
  section(ApplyOutcome::Ambiguous, "not switched: the name is held more than once:");
  section(ApplyOutcome::Failed, "could not be switched:");
  if (Result.StoppedAt >= 0)
    text += "\r\n\r\nThe import stopped at row " + std::to_string(Result.StoppedAt + 1) +
            "; the rows after it were not applied.";
  return text;
}

}  // namespace brieflist
