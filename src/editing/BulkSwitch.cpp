#include "editing/BulkSwitch.h"

#include <algorithm>
#include <map>
#include <set>

#include "catalogue/TextHelpers.h"
#include "editing/HeaderPatch.h"
#include "editing/PatchJournal.h"

namespace brieflist {
namespace {

// Why a row failed, on one line.
std::string ReasonOf(const BulkRowResult& Row) {
  if (Row.Problems.size() == 1 && Row.Problems[0].Code == ProblemCode::Misplaced)
    return "not switched: " + Row.Problems[0].Detail;
  std::string text;
  for (const Problem& p : Row.Problems) {
    if (!text.empty()) text += ' ';
    text += OneLine(ProblemText(p));
  }
  return text;
}

bool InCatalogue(const CatalogueState& State, int32_t Index) {
  return Index >= 0 && Index <= State.LastMission &&
         Index < static_cast<int32_t>(State.Missions.size());
}

std::string PlaceKey(const std::string& SourceFile, int32_t DataOffset,
                     const std::string& FileName) {
  std::string key = SourceFile;
  key += '\0';
  key += std::to_string(DataOffset);
  key += '\0';
  key += FileName;
  return key;
}

}  // namespace

MissionIndex::MissionIndex(const CatalogueState& State) {
  Rows_.reserve(State.Missions.size());
  for (size_t i = 0; i < State.Missions.size(); ++i) {
    const MissionEntry& m = State.Missions[i];
    Rows_.try_emplace(PlaceKey(m.SourceFile, m.DataOffset, m.FileName), static_cast<int32_t>(i));
  }
}

int32_t MissionIndex::Find(const std::string& SourceFile, int32_t DataOffset,
                           const std::string& FileName) const {
  const auto it = Rows_.find(PlaceKey(SourceFile, DataOffset, FileName));
  return it == Rows_.end() ? -1 : it->second;
}

std::string BulkResult::FailureMessage() const {
  if (Failed == 0) return {};
  // A message box of thousands of lines helps no one: the first ones say what went wrong.
  constexpr int kListed = 20;
  std::string text = "Could not switch " + std::to_string(Failed) + " of " +
                     std::to_string(Rows.size()) + " missions:";
  int listed = 0;
  for (const BulkRowResult& r : Rows) {
    if (r.Outcome != PatchOutcome::Reported && r.Outcome != PatchOutcome::Failed) continue;
    if (listed++ == kListed) {
      text += "\r\n... and " + std::to_string(Failed - kListed) + " more";
      break;
    }
    text += "\r\n" + (r.FileName.empty() ? "row " + std::to_string(r.Row.Index) : r.FileName);
    if (!r.SourceFile.empty()) text += " (" + r.SourceFile + ")";
    text += ": " + ReasonOf(r);
  }
  return text;
}

std::vector<BulkRow> RowsToSwitch(const CatalogueState& State, std::span<const BulkRow> Rows,
                                  bool Enabled) {
  std::vector<BulkRow> out;
  std::set<int32_t> seen;
  for (const BulkRow& row : Rows) {
    if (!seen.insert(row.Index).second) continue;
    if (InCatalogue(State, row.Index) &&
        (State.Missions[static_cast<size_t>(row.Index)].Enabled != kFalse) == Enabled)
      continue;
    out.push_back(row);
  }
  return out;
}

BulkResult SetMissionsEnabled(CatalogueState& State, const Platform& P,
                              std::span<const BulkRow> Rows, bool Enabled,
                              const BulkRowDone& OnRowDone) {
  const auto done = [&](const BulkRowResult& Row) {
    if (OnRowDone) OnRowDone(Row);
  };
  const auto wantedOf = [Enabled](const BulkRow& Row) { return Row.Enabled.value_or(Enabled); };
  const PatchJournal::Operation operation(P.Journal, JournalKind::Bulk);
  BulkResult result;
  std::set<int32_t> seen;
  // Files in the order their first row was asked, each with its rows (indices into Rows).
  std::vector<std::string> fileOrder;
  std::map<std::string, std::vector<size_t>> byFile;
  for (const BulkRow& row : Rows) {
    if (!seen.insert(row.Index).second) continue;
    BulkRowResult r;
    r.Row = row;
    if (!InCatalogue(State, row.Index)) {
      r.Outcome = PatchOutcome::Reported;
      r.Problems.push_back(Problem{ProblemCode::NotFound, {}, {}, 0, {}, {}});
    } else {
      const MissionEntry& m = State.Missions[static_cast<size_t>(row.Index)];
      r.FileName = m.FileName;
      r.SourceFile = m.SourceFile;
      r.DataOffset = m.DataOffset;
      r.Enabled = m.Enabled != kFalse;
      r.Now = row.Index;
      if ((m.Enabled != kFalse) != wantedOf(row)) {
        r.Outcome = PatchOutcome::Patched;  // decided below
        auto [it, added] = byFile.try_emplace(m.SourceFile);
        if (added) fileOrder.push_back(m.SourceFile);
        it->second.push_back(result.Rows.size());
      }
    }
    if (r.Outcome != PatchOutcome::Patched) done(r);
    result.Rows.push_back(std::move(r));
  }

  // Missions without their signature, retried once every file has been patched: the retry
  // refreshes the catalogue, which renumbers the rows the files still need.
  std::vector<size_t> toLocate;
  size_t switched = 0;
  size_t toSwitch = 0;
  for (const auto& [file, rows] : byFile) toSwitch += rows.size();
  for (const std::string& file : fileOrder) {
    std::vector<size_t>& rows = byFile[file];
    P.Host.Progress(switched, toSwitch);
    switched += rows.size();
    std::sort(rows.begin(), rows.end(), [&](size_t a, size_t b) {
      return result.Rows[a].DataOffset < result.Rows[b].DataOffset;
    });
    std::vector<HeaderChange> changes(rows.size());
    for (size_t k = 0; k < rows.size(); ++k) {
      changes[k].Offset = result.Rows[rows[k]].DataOffset;
      changes[k].FileName = result.Rows[rows[k]].FileName;
      changes[k].Decide = [wanted = wantedOf(result.Rows[rows[k]].Row)](std::span<uint8_t> header) {
        bool now = false;
        return DecideMissionState(header, wanted, now);
      };
    }
    const HeaderPatchResult patched = PatchHeaders(P.Files, P.Journal, file, changes);
    for (size_t k = 0; k < rows.size(); ++k) {
      BulkRowResult& r = result.Rows[rows[k]];
      MissionEntry& m = State.Missions[static_cast<size_t>(r.Row.Index)];
      const bool wanted = wantedOf(r.Row);
      // A mission found already as wanted needed no write, whatever befell the others.
      if (changes[k].Written || changes[k].Decision == HeaderDecision::AlreadySo) {
        r.Outcome = changes[k].Written ? PatchOutcome::Patched : PatchOutcome::AlreadySo;
        m.Enabled = ToFlag(wanted);
        m.Modified = ToFlag(changes[k].Modified);
        r.Enabled = wanted;
        r.Now = r.Row.Index;
      } else if (patched.Failed()) {
        r.Outcome = PatchOutcome::Failed;
        r.Problems = patched.Problems(file);
      } else if (changes[k].Decision == HeaderDecision::Misplaced) {
        r.Outcome = PatchOutcome::Reported;
        r.Problems.push_back(
            Problem{ProblemCode::Misplaced, file, r.FileName, 0, changes[k].Refusal, {}});
      } else {
        toLocate.push_back(rows[k]);
        continue;
      }
      done(r);
    }
  }

  LocateCache located;
  for (const size_t i : toLocate) {
    BulkRowResult& r = result.Rows[i];
    MissionEntry failing;
    failing.FileName = r.FileName;
    failing.SourceFile = r.SourceFile;
    failing.DataOffset = r.DataOffset;
    SwitchResult retried =
        RetrySetMissionEnabled(State, P, failing, r.Row.GridRow, wantedOf(r.Row), &located);
    r.Outcome = retried.Outcome;
    r.Enabled = retried.Enabled;
    r.Now = retried.Index;
    if (r.Now >= 0) r.DataOffset = retried.DataOffset;  // where the locate step found it
    r.Problems = std::move(retried.Problems);
    for (RefreshReport& report : retried.Refreshes) result.Refreshes.push_back(std::move(report));
    done(r);
  }
  // A rebuilt catalogue renumbers its rows: those settled before it are found again by their
  // place on disk.
  if (!result.Refreshes.empty()) {
    const MissionIndex index(State);
    for (BulkRowResult& r : result.Rows)
      if (r.Now >= 0) r.Now = index.Find(r.SourceFile, r.DataOffset, r.FileName);
  }
  P.Host.Progress(toSwitch, toSwitch);

  for (const BulkRowResult& r : result.Rows) {
    switch (r.Outcome) {
      case PatchOutcome::Patched:
        ++result.Patched;
        break;
      case PatchOutcome::AlreadySo:
        ++result.AlreadySo;
        break;
      case PatchOutcome::Reported:
      case PatchOutcome::Failed:
        ++result.Failed;
        break;
    }
  }
  return result;
}

}  // namespace brieflist
