#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/IoResult.h"

namespace brieflist {

// Whether a mission's header may be written where a catalogue row, a list row or a journal
// record puts it.
enum class MissionPlace {
  Listed,     // the file holds a mission of that name there, its header clear of everything else
  NotListed,  // no mission of that name starts there: another mission, or none
  Misplaced,  // it starts there, but its 128-byte header overlaps another mission's header, the
              // archive's header or its directory, or does not fit in the file: never written
};

struct PlaceCheck {
  MissionPlace Place = MissionPlace::NotListed;
  std::string Why;  // for Misplaced: what the header runs into
};

// Where the missions of one file may be written, read once through the open file that is then
// patched, so that another program's rewrite cannot slip in between the check and the write. A
// packed mission must be named by a ".BMS" record of the archive's directory that points at it
// (the name compared without NULs and spaces, letter case ignored); a loose one (offset 0) must
// be the file of that name.
class MissionPlaces {
 public:
  // Reads the archive's header and directory when Packed; a loose file needs only its length.
  static MissionPlaces Read(OpenFile& File, const std::string& Path, bool Packed);

  PlaceCheck Check(std::string_view FileName, int64_t Offset) const;
  bool ValidArchiveHeader() const { return ValidHeader_; }

 private:
  struct Record {
    int64_t Offset = 0;
    std::string Name;
  };
  std::string FileNameOfPath_;
  int64_t Length_ = 0;
  bool ValidHeader_ = false;
  std::vector<Record> Missions_;  // the ".BMS" records, by offset
  int64_t DirectoryBegin_ = 0;
  int64_t DirectoryEnd_ = 0;
};

// What a position named by an untrusted list row holds.
struct ProbedPosition {
  PlaceCheck Place;      // NotListed also when no valid signature is there
  bool Enabled = false;  // for Listed and Misplaced: the state of the mission there
};

// The probe of an import row in a file already open: NotListed unless the file is an archive
// with a valid PFF3 header whose directory names FileName at Offset (> 0), or a loose file of
// that name (Offset 0), and a mission signature stands there.
ProbedPosition ProbeMissionPosition(OpenFile& File, const std::string& Path, int32_t Offset,
                                    std::string_view FileName);

// ProbeMissionPosition for a file of the disk, which is opened only when its name ends in ".pff"
// (Offset > 0) or ".bms" (Offset 0). An error when it cannot be read.
IoResult<ProbedPosition> ProbeImportPosition(FileSystem& Files, const std::string& File,
                                             int32_t Offset, std::string_view FileName);

}  // namespace brieflist
