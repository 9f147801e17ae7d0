#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "catalogue/CatalogueState.h"

namespace brieflist {

// Messages of the locate-and-retry step, letter for letter.
inline constexpr const char* kFileInvalidOrNotFound = "File InValid Or Not Found!";
inline constexpr const char* kFileCouldNotBeFound = "The File Could Not Be Found!";
inline constexpr const char* kFileStillInvalid = "File Still Inavlid on Second Refresh!";

// The signature written to disable a mission, in exactly this letter case.
inline constexpr const char* kDisabledMarker = "VyK";

// Retry value of an attempt that is already the retry.
inline constexpr int kRetryAttempt = -1;

enum class PatchOutcome {
  Patched,    // the mission's bytes were rewritten
  AlreadySo,  // the mission already had the wanted state: nothing written
  Reported,   // the mission was not where expected; a locate-and-retry message was shown
  Failed,     // a file could not be opened, read or written; a message naming it was shown
};

// Index of the first packed row of that FileName held in SourceFile; -1 when there is none.
// The locate step uses it, so a mission of the same name in another archive is never taken.
int32_t FindPackedMission(const CatalogueState& State, const std::string& FileName,
                          const std::string& SourceFile);

// Path up to and including its last separator; empty when it has none.
std::string FolderOfPath(const std::string& Path);

// Switches the mission of catalogue row Index to the other state in its file, sets the row's
// Enabled and tells the host through EnabledCellChanged(GridRow, ...). Costs one open, one read,
// one write, one flush and one close. Callers pass Retry 0.
PatchOutcome ToggleMissionEnabled(CatalogueState& State, const Platform& P, int32_t Index,
                                  int64_t GridRow, int Retry = 0);

// As ToggleMissionEnabled, but to a given state: a mission already in it is left untouched
// (AlreadySo, nothing written, no cell change).
PatchOutcome SetMissionEnabled(CatalogueState& State, const Platform& P, int32_t Index,
                               int64_t GridRow, bool Enabled, int Retry = 0);

// The locate-and-retry step for a mission whose first attempt to be set to Enabled found no
// signature at Failing's position: refreshes Failing's folder, finds the mission again and tries
// once more, with the messages of ToggleMissionEnabled. Failing is a copy: the refresh replaces
// the catalogue.
PatchOutcome RetrySetMissionEnabled(CatalogueState& State, const Platform& P,
                                    const MissionEntry& Failing, int64_t GridRow, bool Enabled);

// Gives the mission named by row ImportIndex of ImportedMissions the state that row records.
// The row is untrusted: only a mission at a real mission position of a game file is patched
// (see IsImportPosition); anything else takes the locate-and-retry step. Changes no catalogue
// row and no grid cell. Callers pass Retry 0.
PatchOutcome ApplyImportedState(CatalogueState& State, const Platform& P, int32_t ImportIndex,
                                int Retry = 0);

// Rewrites the first 128 bytes of a mission (fewer for a shorter file) to the given state: the
// signature, and the four-byte flag block moved between offsets 120 and 124. Only those 11 bytes
// change.
void WriteMissionState(std::span<uint8_t> Header, bool Enabled);

}  // namespace brieflist
