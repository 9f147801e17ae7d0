#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "catalogue/ByteReader.h"
#include "platform/FileSystem.h"
#include "platform/IoResult.h"

namespace brieflist {

// True when Offset is the DataOffset of a ".BMS" directory record of the archive in File, and
// the archive's header is a valid PFF3 header.
bool IsArchiveMissionOffset(const ByteReader& File, int64_t Offset);

// What a position named by an untrusted list row holds. Nothing when it is not a mission
// position of a game file: a file not named ".pff" or ".bms", a packed offset that no ".BMS"
// record of a valid archive names, a loose offset other than 0, or no valid signature there.
// Otherwise whether the mission there is enabled. An error when the file cannot be read.
IoResult<std::optional<bool>> ProbeImportPosition(FileSystem& Files, const std::string& File,
                                                  int32_t Offset);

}  // namespace brieflist
