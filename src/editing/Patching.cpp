#include "editing/Patching.h"

#include <array>
#include <functional>
#include <optional>

#include "catalogue/MissionHeader.h"
#include "catalogue/RefreshCatalogue.h"
#include "catalogue/TextHelpers.h"
#include "editing/HeaderPatch.h"
#include "editing/PatchJournal.h"
#include "platform/FolderListing.h"
#include "platform/Paths.h"

namespace brieflist {
namespace {

constexpr size_t kBlockBytes = 4;

// Paths from the list file and from the folder listing name the same file; on Windows letter
// case does not tell files apart.
bool SamePath(const std::string& A, const std::string& B) {
#ifdef _WIN32
  return EqualsIgnoringCase(A, B);
#else
  return A == B;
#endif
}

// Ends an attempt with a problem.
void Report(SwitchResult& Result, PatchOutcome Outcome, Problem What) {
  Result.Outcome = Outcome;
  Result.Problems.push_back(std::move(What));
}

void Report(SwitchResult& Result, ProblemCode Code, const MissionEntry& Row) {
  Report(Result, PatchOutcome::Reported, Problem{Code, Row.SourceFile, Row.FileName, 0, {}, {}});
}

// The folder's archives and loose files, to tell whether a cached catalogue still describes it.
std::vector<std::string> ListingOf(FileSystem& Files, const std::string& Folder) {
  std::vector<std::string> names;
  for (const char* suffix : {".pff", ".bms"})
    if (auto listed = Files.ListFiles(Folder, suffix))
      names.insert(names.end(), listed->begin(), listed->end());
  return names;
}

// The step taken when a position holds no valid signature. Failing is the row of the failed
// attempt (copied: the refresh replaces the catalogue). With a Cache, the catalogue that an
// earlier row of the same import refreshed serves again while the folder lists the same files;
// a retry that fails on it proves it stale and earns a real refresh and one more retry.
void LocateAndRetry(CatalogueState& State, const Platform& P, const MissionEntry& Failing,
                    int Retry, const std::function<void(int32_t)>& RetryAt, SwitchResult& Result,
                    LocateCache* Cache = nullptr) {
  if (Failing.DataOffset == 0) return Report(Result, ProblemCode::NotAMission, Failing);
  const std::string fileName = Failing.FileName;
  const std::string sourceFile = Failing.SourceFile;
  const std::string folder = FolderOfPath(sourceFile);
  bool reuse = false;
  std::vector<std::string> listing;
  if (Cache) {
    if (Retry == kRetryAttempt && Cache->Reused) Retry = 0;
    listing = ListingOf(P.Files, folder);
    reuse = Retry != kRetryAttempt && !Cache->Reused && Cache->Folder == folder &&
            State.GameDirectory == folder && Cache->Listing == listing;
    Cache->Reused = reuse;
  }
  if (!reuse) {
    State.GameDirectory = folder;
    Result.Refreshes.push_back(RefreshCatalogue(State, P));
    if (Cache) {
      Cache->Folder = folder;
      Cache->Listing = std::move(listing);
    }
  }
  const int32_t j = FindPackedMission(State, fileName, sourceFile);
  if (j == -1) return Report(Result, ProblemCode::NotFound, Failing);
  if (Retry == kRetryAttempt) return Report(Result, ProblemCode::StillInvalid, Failing);
  RetryAt(j);
}

enum class EditResult { Written, AlreadySo, NoSignature, Refused, Failed };

// Reads the mission's header once, decides on those bytes, records the change in the journal
// and writes the header back whole in one write followed by a flush: there is no moment at
// which the signature is switched and the flag block not yet moved, which separate writes would
// leave after a crash. Wanted empty switches to the other state. A failure or a refusal is
// added to Result.
EditResult PatchMissionState(const Platform& P, const std::string& File, int32_t Offset,
                             const std::string& FileName, std::optional<bool> Wanted,
                             bool& NowEnabled, bool& NowModified, SwitchResult& Result) {
  std::vector<HeaderChange> changes(1);
  changes[0].Offset = Offset;
  changes[0].FileName = FileName;
  changes[0].Decide = [&](std::span<uint8_t> header) {
    return DecideMissionState(header, Wanted, NowEnabled);
  };
  const HeaderPatchResult done = PatchHeaders(P.Files, P.Journal, File, changes);
  NowModified = changes[0].Modified;
  if (done.Failed()) {
    Result.Outcome = PatchOutcome::Failed;
    for (Problem& p : done.Problems(File)) Result.Problems.push_back(std::move(p));
    return EditResult::Failed;
  }
  switch (changes[0].Decision) {
    case HeaderDecision::Write:
      return EditResult::Written;
    case HeaderDecision::AlreadySo:
      return EditResult::AlreadySo;
    case HeaderDecision::Misplaced:
      Report(Result, PatchOutcome::Reported,
             Problem{ProblemCode::Misplaced, File, FileName, 0, changes[0].Refusal, {}});
      return EditResult::Refused;
    default:
      return EditResult::NoSignature;
  }
}

// The mission's identity on disk, as a result names it.
void Name(SwitchResult& Result, const MissionEntry& Row) {
  Result.SourceFile = Row.SourceFile;
  Result.DataOffset = Row.DataOffset;
  Result.FileName = Row.FileName;
}

void PatchCatalogueRow(CatalogueState& State, const Platform& P, int32_t Index,
                       std::optional<bool> Wanted, int Retry, SwitchResult& Result,
                       LocateCache* Cache = nullptr) {
  if (Index < 0 || Index > State.LastMission ||
      Index >= static_cast<int32_t>(State.Missions.size()))
    return Report(Result, ProblemCode::NotFound, MissionEntry{});
  MissionEntry& row = State.Missions[static_cast<size_t>(Index)];
  Name(Result, row);
  bool nowEnabled = false;
  bool nowModified = false;
  switch (PatchMissionState(P, row.SourceFile, row.DataOffset, row.FileName, Wanted, nowEnabled,
                            nowModified, Result)) {
    case EditResult::Failed:
    case EditResult::Refused:
      return;
    case EditResult::NoSignature:
      return LocateAndRetry(
          State, P, MissionEntry(row), Retry,
          [&](int32_t j) { PatchCatalogueRow(State, P, j, Wanted, kRetryAttempt, Result, Cache); },
          Result, Cache);
    case EditResult::AlreadySo:
      Result.Outcome = PatchOutcome::AlreadySo;
      break;
    case EditResult::Written:
      Result.Outcome = PatchOutcome::Patched;
      break;
  }
  // The switch moves the flag block into or out of the modified word: the row follows the disk.
  row.Enabled = ToFlag(nowEnabled);
  row.Modified = ToFlag(nowModified);
  Result.Enabled = nowEnabled;
  Result.Index = Index;
}

}  // namespace

int32_t FindPackedMission(const CatalogueState& State, const std::string& FileName,
                          const std::string& SourceFile) {
  for (int32_t i = 0; i <= State.LastMission && i < static_cast<int32_t>(State.Missions.size());
       ++i) {
    const MissionEntry& row = State.Missions[static_cast<size_t>(i)];
    if (row.DataOffset != 0 && row.FileName == FileName && SamePath(row.SourceFile, SourceFile))
      return i;
  }
  return -1;
}

int32_t FindMission(const CatalogueState& State, const std::string& SourceFile, int32_t DataOffset,
                    const std::string& FileName) {
  for (size_t i = 0; i < State.Missions.size(); ++i) {
    const MissionEntry& row = State.Missions[i];
    if (row.DataOffset == DataOffset && row.FileName == FileName && row.SourceFile == SourceFile)
      return static_cast<int32_t>(i);
  }
  return -1;
}

std::string FolderOfPath(const std::string& Path) {
  const size_t last = Path.rfind(kSeparator);
  if (last == std::string::npos) return {};
  return Path.substr(0, last + 1);
}

std::string NameOfPath(const std::string& Path) {
  return Path.substr(FolderOfPath(Path).size());
}

SwitchResult ToggleMissionEnabled(CatalogueState& State, const Platform& P, int32_t Index,
                                  int64_t GridRow, int Retry) {
  const PatchJournal::Operation operation(P.Journal, JournalKind::Toggle);
  SwitchResult result;
  result.GridRow = GridRow;
  PatchCatalogueRow(State, P, Index, std::nullopt, Retry, result);
  return result;
}

SwitchResult SetMissionEnabled(CatalogueState& State, const Platform& P, int32_t Index,
                               int64_t GridRow, bool Enabled, int Retry) {
  const PatchJournal::Operation operation(P.Journal, JournalKind::Set);
  SwitchResult result;
  result.GridRow = GridRow;
  PatchCatalogueRow(State, P, Index, Enabled, Retry, result);
  return result;
}

SwitchResult RetrySetMissionEnabled(CatalogueState& State, const Platform& P,
                                    const MissionEntry& Failing, int64_t GridRow, bool Enabled,
                                    LocateCache* Cache) {
  if (Cache) Cache->Reused = false;
  SwitchResult result;
  result.GridRow = GridRow;
  Name(result, Failing);
  LocateAndRetry(
      State, P, Failing, 0,
      [&](int32_t j) { PatchCatalogueRow(State, P, j, Enabled, kRetryAttempt, result, Cache); },
      result, Cache);
  return result;
}

void WriteMissionState(std::span<uint8_t> Header, bool Enabled) {
  const auto put = [&](size_t At, const uint8_t* From) {
    for (size_t i = 0; i < kBlockBytes && At + i < Header.size(); ++i) Header[At + i] = From[i];
  };
  const auto block = [&](size_t At) {
    std::array<uint8_t, kBlockBytes> out{};
    for (size_t i = 0; i < kBlockBytes && At + i < Header.size(); ++i) out[i] = Header[At + i];
    return out;
  };
  static constexpr uint8_t kZero[kBlockBytes] = {};
  const char* signature = Enabled ? "BMS" : kDisabledMarker;
  for (size_t i = 0; i < 3 && i < Header.size(); ++i)
    Header[i] = static_cast<uint8_t>(signature[i]);
  const auto from =
      static_cast<size_t>(Enabled ? MissionOffset::ModifiedWord : MissionOffset::FlagBlock);
  const auto to =
      static_cast<size_t>(Enabled ? MissionOffset::FlagBlock : MissionOffset::ModifiedWord);
  const auto moved = block(from);
  put(to, moved.data());
  put(from, kZero);
}

}  // namespace brieflist
