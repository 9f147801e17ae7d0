#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "catalogue/CatalogueState.h"
#include "catalogue/Problem.h"

namespace brieflist {

// The signature written to disable a mission, in exactly this letter case.
inline constexpr const char* kDisabledMarker = "VyK";

// Retry value of an attempt that is already the retry.
inline constexpr int kRetryAttempt = -1;

enum class PatchOutcome {
  Patched,    // the mission's bytes were rewritten
  AlreadySo,  // the mission already had the wanted state: nothing written
  Reported,   // the mission was not where expected, or could not be switched without touching
              // other bytes; a problem says why
  Failed,     // a file or the journal could not be opened, read or written; a problem says which
};

// What one switch did: the mission by its identity on disk (where the locate step found it,
// when it took that step), its state now, and the problems met, in order. The catalogue may
// have been rebuilt meanwhile (Refreshes), which renumbers its rows.
struct SwitchResult {
  PatchOutcome Outcome = PatchOutcome::AlreadySo;
  std::string SourceFile;
  int32_t DataOffset = 0;
  std::string FileName;  // empty when no mission was found
  bool Enabled = false;  // for Patched and AlreadySo
  int32_t Index = -1;    // its catalogue row now; -1 when the call changed no catalogue row
  int64_t GridRow = -1;  // the caller's, carried back untouched
  std::vector<Problem> Problems;
  std::vector<RefreshReport> Refreshes;  // each rebuild of the catalogue, in order
};

// Index of the first packed row of that FileName held in SourceFile; -1 when there is none.
// The locate step uses it, so a mission of the same name in another archive is never taken.
int32_t FindPackedMission(const CatalogueState& State, const std::string& FileName,
                          const std::string& SourceFile);

// Index of the catalogue row of the mission at that place on disk; -1 when there is none.
int32_t FindMission(const CatalogueState& State, const std::string& SourceFile, int32_t DataOffset,
                    const std::string& FileName);

// Path up to and including its last separator; empty when it has none.
std::string FolderOfPath(const std::string& Path);

// Path after its last separator: the file's name.
std::string NameOfPath(const std::string& Path);

// Switches the mission of catalogue row Index to the other state in its file and sets the row's
// Enabled. Costs one open, one read, one write, one flush and one close. Callers pass Retry 0;
// GridRow is only handed back in the result.
SwitchResult ToggleMissionEnabled(CatalogueState& State, const Platform& P, int32_t Index,
                                  int64_t GridRow, int Retry = 0);

// As ToggleMissionEnabled, but to a given state: a mission already in it is left untouched
// (AlreadySo, nothing written).
SwitchResult SetMissionEnabled(CatalogueState& State, const Platform& P, int32_t Index,
                               int64_t GridRow, bool Enabled, int Retry = 0);

// What the locate step of one bulk switch keeps between its rows: the folder it
// refreshed State from and the files that folder listed then. While it lists the same files the
// catalogue is reused, so many moved rows cost one refresh, not one each. Every write still
// checks the file itself in the same open, so a stale catalogue can cost a refresh, never a
// wrong write.
struct LocateCache {
  std::string Folder;
  std::vector<std::string> Listing;
  bool Reused = false;  // the row in progress was located in the reused catalogue
};

// The locate-and-retry step for a mission whose first attempt to be set to Enabled found no
// signature at Failing's position: refreshes Failing's folder (or reuses Cache), finds the
// mission again and tries once more, with the problems of ToggleMissionEnabled. Failing is a
// copy: the refresh replaces the catalogue.
SwitchResult RetrySetMissionEnabled(CatalogueState& State, const Platform& P,
                                    const MissionEntry& Failing, int64_t GridRow, bool Enabled,
                                    LocateCache* Cache = nullptr);

// Rewrites the first 128 bytes of a mission (fewer for a shorter file) to the given state: the
// signature, and the four-byte flag block moved between offsets 120 and 124. Only those 11 bytes
// change.
void WriteMissionState(std::span<uint8_t> Header, bool Enabled);

}  // namespace brieflist
