#include "editing/Undo.h"

#include <algorithm>
#include <map>
#include <set>
#include <string_view>
#include <unordered_map>

#include "catalogue/TextHelpers.h"
#include "editing/HeaderPatch.h"
#include "editing/Patching.h"
#include "platform/FolderListing.h"

namespace brieflist {
namespace {

// Why an undo that found other bytes, or another mission, or a place it cannot write, was
// refused; NotApplied when the bytes are those from before the patch.
Problem RefusalOf(const JournalRecord& R, const HeaderChange& Change) {
  Problem p{ProblemCode::ChangedSince, R.SourceFile, R.FileName, 0, R.Time, {}};
  switch (Change.Decision) {
    case HeaderDecision::NotApplied:
      p.Code = ProblemCode::NotApplied;
      break;
    case HeaderDecision::NotListed:
      p.Code = ProblemCode::Replaced;
      p.Detail = std::to_string(R.DataOffset);
      break;
    case HeaderDecision::Misplaced:
      p.Code = ProblemCode::Misplaced;
      p.Detail = Change.Refusal;
      break;
    default:
      break;
  }
  return p;
}

// An undo's text of a problem: a misplaced header was not restored, rather than not switched.
std::string UndoText(const Problem& P) {
  if (P.Code == ProblemCode::Misplaced)
    return P.Mission + " in " + P.File + " was not restored: " + P.Detail + "; nothing was written";
  return ProblemText(P);
}

// The catalogue rows of each place on disk, built on the first restore: one pass over the
// catalogue however many records an undo restores.
class CatalogueRows {
 public:
  explicit CatalogueRows(CatalogueState& State) : State_(State) {}

  // Sets the Enabled and Modified of the catalogue rows of a restored mission.
  void Restored(const JournalRecord& R, UndoResult& Result) {
    if (rows_.empty())
      for (size_t i = 0; i < State_.Missions.size(); ++i)
        rows_[{State_.Missions[i].SourceFile, State_.Missions[i].DataOffset}].push_back(i);
    const auto at = rows_.find({R.SourceFile, R.DataOffset});
    if (at == rows_.end()) return;
    for (const size_t i : at->second) {
      MissionEntry& row = State_.Missions[i];
      row.Enabled = ToFlag(EnabledMark(R.Before));
      row.Modified = ToFlag(ModifiedMark(R.Before));
      Result.ChangedRows.push_back(static_cast<int32_t>(i));
    }
  }

 private:
  CatalogueState& State_;
  std::map<std::pair<std::string, int32_t>, std::vector<size_t>> rows_;
};

// Whether File lies directly in Folder (which ends with its separator), the letter case
// ignored where the system ignores it.
bool InFolder(const std::string& File, const std::string& Folder) {
  const std::string own = FolderOfPath(File);
#ifdef _WIN32
  return EqualsIgnoringCase(own, Folder);
#else
  return own == Folder;
#endif
}

}  // namespace

std::vector<UndoableOperation> UndoableOperations(const JournalContents& Journal,
                                                  const std::optional<std::string>& Folder) {
  const auto lookedAt = LookedAtRecords(Journal.Records);
  std::vector<UndoableOperation> out;
  std::map<std::string, size_t> slot;
  for (auto r = Journal.Records.rbegin(); r != Journal.Records.rend(); ++r) {
    if (IsUndoKind(r->Kind) || lookedAt.count(r->Id)) continue;
    if (Folder && !InFolder(r->SourceFile, *Folder)) continue;
    auto [it, added] = slot.try_emplace(r->Operation, out.size());
    if (added) out.push_back({r->Operation, r->Kind, r->Time, {}});
    out[it->second].Pending.push_back(*r);
  }
  return out;
}

int32_t UndoResult::Count(UndoStatus Status) const {
  return static_cast<int32_t>(std::count_if(
      Records.begin(), Records.end(), [&](const UndoneRecord& r) { return r.Status == Status; }));
}

bool UndoResult::Failed() const {
  return Count(UndoStatus::ChangedSince) > 0 || Count(UndoStatus::Failed) > 0 || !Problems.empty();
}

std::string UndoResult::Message() const {
  std::string text;
  const auto line = [&](const std::string& Line) {
    if (!text.empty()) text += "\r\n";
    text += Line;
  };
  for (const std::string& w : Warnings) line(w);
  for (const std::string& p : Problems) line(p);
  for (const UndoneRecord& r : Records)
    for (const Problem& p : r.Problems) line(UndoText(p));
  return text;
}

UndoResult UndoLastPatches(CatalogueState& State, const Platform& P, int32_t Count,
                           const std::optional<std::string>& Folder) {
  UndoResult result;
  if (!P.Journal) {
    result.Problems.push_back("There is no undo journal: nothing can be undone.");
    return result;
  }
  // No other program switches or undoes between the reading of the journal and the restores.
  const PatchJournal::Operation operation(P.Journal, JournalKind::Undo);
  auto lock = P.Journal->LockWriters();
  if (!lock) {
    result.Unreadable = true;
    result.Problems.push_back("Could not lock the undo journal " + lock.Error().Describe());
    return result;
  }
  auto journal = P.Journal->Read();
  if (!journal) {
    result.Unreadable = true;
    result.Problems.push_back("Could not read the undo journal " + journal.Error().Describe());
    return result;
  }
  result.Warnings = journal->Problems;
  std::vector<UndoableOperation> operations = UndoableOperations(*journal, Folder);
  if (Count < 0) Count = 0;
  if (operations.size() > static_cast<size_t>(Count)) operations.resize(static_cast<size_t>(Count));
  result.Operations = static_cast<int32_t>(operations.size());

  // A command with damaged lines, in the journal or kept aside, can only be taken back in part.
  auto aside = P.Journal->KeptAside();
  if (!aside)
    result.Problems.push_back("Could not read the damaged journal lines kept aside in " +
                              aside.Error().Describe() + ": a command may be only partly undone");
  std::vector<std::string> damaged = aside ? std::move(*aside) : std::vector<std::string>();
  damaged.insert(damaged.end(), journal->Damaged.begin(), journal->Damaged.end());
  for (const UndoableOperation& op : operations) {
    const auto lost = std::count_if(damaged.begin(), damaged.end(), [&](const std::string& Line) {
      return Line.find('\t' + op.Id + '\t') != std::string::npos;
    });
    if (lost > 0)
      result.Problems.push_back("The " + op.Kind + " command of " + op.Time +
                                " can only be partly undone: " + std::to_string(lost) +
                                " of its journal lines are damaged (kept in " + P.Journal->Path() +
                                kJournalDamagedSuffix + " or the journal itself)");
  }

  std::vector<JournalRecord> pending;
  for (const UndoableOperation& op : operations)
    pending.insert(pending.end(), op.Pending.begin(), op.Pending.end());
  // Newest first in the order the patches reached the disk, which is the journal's order, even
  // where the records of two commands lie between each other.
  std::unordered_map<std::string, size_t> place;
  for (size_t i = 0; i < journal->Records.size(); ++i) place[journal->Records[i].Id] = i;
  std::stable_sort(
      pending.begin(), pending.end(),
      [&](const JournalRecord& a, const JournalRecord& b) { return place[a.Id] > place[b.Id]; });

  // A mission patched twice is restored in two passes, newest record first, so each pass
  // compares with the bytes the pass before it left.
  std::vector<bool> done(pending.size(), false);
  CatalogueRows catalogue(State);
  size_t looked = 0;  // records handed to PatchHeaders so far
  for (size_t left = pending.size(); left > 0;) {
    std::vector<std::string> files;
    std::map<std::string, std::vector<size_t>> byFile;
    std::set<std::pair<std::string, int32_t>> inPass;
    for (size_t i = 0; i < pending.size(); ++i) {
      if (done[i]) continue;
      if (!inPass.insert({pending[i].SourceFile, pending[i].DataOffset}).second) continue;
      auto [it, added] = byFile.try_emplace(pending[i].SourceFile);
      if (added) files.push_back(pending[i].SourceFile);
      it->second.push_back(i);
      done[i] = true;
      --left;
    }
    for (const std::string& file : files) {
      const std::vector<size_t>& rows = byFile[file];
      P.Host.Progress(looked, pending.size());
      looked += rows.size();
      std::vector<HeaderChange> changes(rows.size());
      for (size_t k = 0; k < rows.size(); ++k) {
        const JournalRecord& r = pending[rows[k]];
        changes[k].Offset = r.DataOffset;
        changes[k].FileName = r.FileName;
        changes[k].Reverses = r.Id;
        changes[k].Decide = [&r](std::span<uint8_t> header) {
          const PatchedBytes now = PatchedBytesOf(header);
          if (now == r.After) {
            PutPatchedBytes(header, r.Before);
            return HeaderDecision::Write;
          }
          return now == r.Before ? HeaderDecision::NotApplied : HeaderDecision::Changed;
        };
      }
      const HeaderPatchResult patched = PatchHeaders(P.Files, P.Journal, file, changes);
      std::vector<JournalRecord> markers;
      for (size_t k = 0; k < rows.size(); ++k) {
        const JournalRecord& r = pending[rows[k]];
        UndoneRecord undone{r, UndoStatus::Restored, {}};
        if (changes[k].Written) {
          catalogue.Restored(r, result);
        } else if (patched.Failed()) {
          undone.Status = UndoStatus::Failed;
          undone.Problems = patched.Problems(file);
        } else {
          const bool notApplied = changes[k].Decision == HeaderDecision::NotApplied;
          undone.Status = notApplied ? UndoStatus::NotApplied : UndoStatus::ChangedSince;
          undone.Problems.push_back(RefusalOf(r, changes[k]));
          JournalRecord marker;
          marker.Kind = notApplied ? JournalKind::NotApplied : JournalKind::Refused;
          marker.SourceFile = r.SourceFile;
          marker.DataOffset = r.DataOffset;
          marker.FileName = r.FileName;
          marker.Before = marker.After = changes[k].Found;
          marker.Reverses = r.Id;
          markers.push_back(std::move(marker));
        }
        result.Records.push_back(std::move(undone));
      }
      // The markers only keep the next undo from stopping at these records again.
      if (auto appended = P.Journal->Append(markers); !appended)
        result.Problems.push_back("Could not record the refused undo in the journal " +
                                  appended.Error().Describe());
    }
  }
  return result;
}

}  // namespace brieflist
