#include "editing/JournalTrim.h"

#include <algorithm>
#include <unordered_map>
#include <vector>

namespace brieflist {

bool JournalTrimDue(size_t Lines, size_t Adding, size_t Own, size_t Limit, bool Undoing) {
  // A command larger than the limit alone would otherwise rewrite the journal on each append.
  return Lines + Adding > Limit && Lines > Own && !Undoing;
}

JournalTrimPlan PlanJournalTrim(std::span<const JournalRecord> Records, size_t Adding,
                                size_t Limit) {
  Adding = std::min(Adding, Records.size());
  const auto old = Records.first(Records.size() - Adding);
  std::unordered_set<std::string> kept;
  for (const JournalRecord& r : Records.last(Adding)) kept.insert(r.Operation);
  if (!old.empty()) kept.insert(old.back().Operation);
  // An undo stopped half way leaves the rest of its command to take back.
  const std::unordered_set<std::string> lookedAt = LookedAtRecords(old);
  for (auto r = old.rbegin(); r != old.rend(); ++r) {
    if (IsUndoKind(r->Kind) || lookedAt.count(r->Id)) continue;
    kept.insert(r->Operation);
    break;
  }

  std::vector<std::string> order;  // operations, oldest first
  std::unordered_map<std::string, size_t> sizeOf;
  std::unordered_map<std::string, std::string> operationOf;  // record Id -> its operation
  std::unordered_map<std::string, std::vector<std::string>> reverses;
  for (const JournalRecord& r : Records) {
    if (sizeOf[r.Operation]++ == 0) order.push_back(r.Operation);
    operationOf[r.Id] = r.Operation;
    if (!r.Reverses.empty()) reverses[r.Operation].push_back(r.Reverses);
  }
  const size_t target = std::max<size_t>(Limit - Limit / 10, 1);
  JournalTrimPlan plan;
  plan.Kept = Records.size();
  for (const std::string& operation : order) {
    if (plan.Kept <= target) break;
    if (kept.count(operation)) continue;
    const auto& taken = reverses[operation];
    if (std::any_of(taken.begin(), taken.end(), [&](const std::string& id) {
          const auto of = operationOf.find(id);
          return of != operationOf.end() && of->second != operation &&
                 !plan.Dropped.count(of->second);
        }))
      continue;
    plan.Dropped.insert(operation);
    plan.Kept -= sizeOf[operation];
  }
  return plan;
}

}  // namespace brieflist
