#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "catalogue/Problem.h"
#include "editing/PatchJournal.h"
#include "platform/FileSystem.h"

namespace brieflist {

// What to do with one mission header, decided on the bytes read from the file.
enum class HeaderDecision {
  Write,        // the header was changed: write it
  AlreadySo,    // the mission is already as wanted
  NoSignature,  // no mission signature there
  NotListed,    // the file does not hold a mission of that name there (see MissionPlaces)
  Misplaced,    // writing its header would touch other bytes of the file (see Refusal)
  NotApplied,   // (undo) the bytes are those from before the patch: it never reached the disk
  Changed,      // (undo) the bytes are neither: something else changed them since
};

// One mission of a file to patch.
struct HeaderChange {
  int32_t Offset = 0;
  std::string FileName;  // for the journal
  std::string Reverses;  // for an undo: the record it reverses
  // Looks at the header's first 128 bytes (zeros past the file's end) and changes them for Write.
  std::function<HeaderDecision(std::span<uint8_t>)> Decide;

  HeaderDecision Decision = HeaderDecision::NoSignature;  // set by PatchHeaders
  bool Written = false;                                   // set by PatchHeaders
  bool Modified = false;  // set by PatchHeaders: the header's modified mark once decided
  PatchedBytes Found{};   // the 11 bytes read, for messages
  std::string Refusal;    // for Misplaced: what its header runs into
};

struct HeaderPatchResult {
  std::optional<IoError> FileError;     // the file could not be opened, read or written
  std::optional<IoError> JournalError;  // the journal could not be written: nothing was written
  // With a FileError: the journal could not be told that journalled headers were not written.
  std::optional<IoError> MarkerError;
  bool Failed() const { return FileError || JournalError; }
  // The failure as problems of File: the write or the journal, then the journal's marker.
  std::vector<Problem> Problems(const std::string& File) const;
};

// Patches missions of one file together: one open, one read per header (and for an archive one
// of its header and one of its directory), one journal append for every changed header (flushed
// before anything is written), one write per changed header, one flush and one close. Each
// mission is written whole in one write, so a crash never leaves its signature switched and its
// flag block not yet moved. In the same open, before deciding, each change is checked against
// the file: a mission the file does not hold at that place by that name is NotListed and left to
// the caller, one whose header would touch other bytes is Misplaced and never written; so a
// write changes exactly the 11 bytes of the mission asked for. A write that fails leaves each
// header wholly old or wholly new (see PatchOpenFile), and the journal is told which of its
// records did not reach the disk. Without a journal nothing is recorded.
HeaderPatchResult PatchHeaders(FileSystem& Files, PatchJournal* Journal, const std::string& File,
                               std::vector<HeaderChange>& Changes);

// The decision of a switch: to Wanted, or to the other state when Wanted is empty. Sets
// NowEnabled to the state the mission has once the decision is carried out.
HeaderDecision DecideMissionState(std::span<uint8_t> Header, std::optional<bool> Wanted,
                                  bool& NowEnabled);

}  // namespace brieflist
