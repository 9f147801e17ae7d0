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
PatchOutcome LocateAndRetry(CatalogueState& State, const Platform& P, const MissionEntry& Failing,
                            int Retry, const std::function<PatchOutcome(int32_t)>& RetryAt,
                            LocateCache* Cache = nullptr) {
  if (Failing.DataOffset == 0) {
    P.Host.ShowMessage(kFileInvalidOrNotFound);
    return PatchOutcome::Reported;
  }
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
    RefreshCatalogue(State, P);
    if (Cache) {
      Cache->Folder = folder;
      Cache->Listing = std::move(listing);
    }
  }
  const int32_t j = FindPackedMission(State, fileName, sourceFile);
  if (j == -1) {
    P.Host.ShowMessage(kFileCouldNotBeFound);
    return PatchOutcome::Reported;
  }
  if (Retry == kRetryAttempt) {
    P.Host.ShowMessage(kFileStillInvalid);
    return PatchOutcome::Reported;
  }
  return RetryAt(j);
}

enum class EditResult { Written, AlreadySo, NoSignature, Refused, Failed };

// Reads the mission's header once, decides on those bytes, records the change in the journal
// and writes the header back whole in one write followed by a flush: there is no moment at
// which the signature is switched and the flag block not yet moved, which separate writes would
// leave after a crash. Wanted empty switches to the other state. A failure is shown through the
// host.
EditResult PatchMissionState(const Platform& P, const std::string& File, int32_t Offset,
                             const std::string& FileName, std::optional<bool> Wanted,
                             bool& NowEnabled) {
  std::vector<HeaderChange> changes(1);
  changes[0].Offset = Offset;
  changes[0].FileName = FileName;
  changes[0].Decide = [&](std::span<uint8_t> header) {
    return DecideMissionState(header, Wanted, NowEnabled);
  };
  const HeaderPatchResult done = PatchHeaders(P.Files, P.Journal, File, changes);
  if (done.Failed()) {
    P.Host.ShowMessage(done.Message(File));
    return EditResult::Failed;
  }
  switch (changes[0].Decision) {
    case HeaderDecision::Write:
      return EditResult::Written;
    case HeaderDecision::AlreadySo:
      return EditResult::AlreadySo;
    case HeaderDecision::Misplaced:
      P.Host.ShowMessage(changes[0].RefusalMessage(File, "switched"));
      return EditResult::Refused;
    default:
      return EditResult::NoSignature;
  }
}

PatchOutcome PatchCatalogueRow(CatalogueState& State, const Platform& P, int32_t Index,
                               int64_t GridRow, std::optional<bool> Wanted, int Retry,
                               LocateCache* Cache = nullptr) {
  if (Index < 0 || Index > State.LastMission ||
      Index >= static_cast<int32_t>(State.Missions.size())) {
    P.Host.ShowMessage(kFileCouldNotBeFound);
    return PatchOutcome::Reported;
  }
  MissionEntry& row = State.Missions[static_cast<size_t>(Index)];
  bool nowEnabled = false;
  switch (PatchMissionState(P, row.SourceFile, row.DataOffset, row.FileName, Wanted, nowEnabled)) {
    case EditResult::Failed:
      return PatchOutcome::Failed;
    case EditResult::Refused:
      return PatchOutcome::Reported;
    case EditResult::NoSignature:
      return LocateAndRetry(
          State, P, MissionEntry(row), Retry,
          [&](int32_t j) {
            return PatchCatalogueRow(State, P, j, GridRow, Wanted, kRetryAttempt, Cache);
          },
          Cache);
    case EditResult::AlreadySo:
      row.Enabled = ToFlag(nowEnabled);
      return PatchOutcome::AlreadySo;
    case EditResult::Written:
      break;
  }
  row.Enabled = ToFlag(nowEnabled);
  P.Host.EnabledCellChanged(GridRow, nowEnabled);
  return PatchOutcome::Patched;
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

std::string FolderOfPath(const std::string& Path) {
  const size_t last = Path.rfind(kSeparator);
  if (last == std::string::npos) return {};
  return Path.substr(0, last + 1);
}

std::string NameOfPath(const std::string& Path) {
  return Path.substr(FolderOfPath(Path).size());
}

PatchOutcome ToggleMissionEnabled(CatalogueState& State, const Platform& P, int32_t Index,
                                  int64_t GridRow, int Retry) {
  const PatchJournal::Operation operation(P.Journal, JournalKind::Toggle);
  return PatchCatalogueRow(State, P, Index, GridRow, std::nullopt, Retry);
}

PatchOutcome SetMissionEnabled(CatalogueState& State, const Platform& P, int32_t Index,
                               int64_t GridRow, bool Enabled, int Retry) {
  const PatchJournal::Operation operation(P.Journal, JournalKind::Set);
  return PatchCatalogueRow(State, P, Index, GridRow, Enabled, Retry);
}

PatchOutcome RetrySetMissionEnabled(CatalogueState& State, const Platform& P,
                                    const MissionEntry& Failing, int64_t GridRow, bool Enabled,
                                    LocateCache* Cache) {
  if (Cache) Cache->Reused = false;
  return LocateAndRetry(
      State, P, Failing, 0,
      [&](int32_t j) {
        return PatchCatalogueRow(State, P, j, GridRow, Enabled, kRetryAttempt, Cache);
      },
      Cache);
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
