#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "catalogue/MissionEntry.h"
#include "platform/EngineHost.h"
#include "platform/FileSystem.h"

namespace brieflist {

// The state every part of the program shares. Rebuilt, never merged, by each refresh.
struct CatalogueState {
  // Rows 0..LastMission; LastMission is -1 while the catalogue is empty.
  std::vector<MissionEntry> Missions;
  int32_t LastMission = -1;

  // Rows read back from a list file.
  std::vector<MissionEntry> ImportedMissions;
  int32_t LastImported = -1;

  // Element 0 is a placeholder that is never searched.
  std::vector<MapNameEntry> MapNames = std::vector<MapNameEntry>(1);

  std::string GameDirectory;
};

// A file the folder holds under two names (a hard link, or a symbolic link to it): it is read
// once, under the name met first, so its missions show once and a switch of all of them flips
// each header once.
struct SameFile {
  std::string Path;    // the name passed over
  std::string ReadAs;  // the name its missions are listed under
};

// The reason of a damaged archive whose directory holds fewer records than its header announces.
inline constexpr const char* kCutShortArchive = "cut short: its directory lacks records";

// What a refresh could not read, and the files it read once for two names: the caller decides
// how to report them.
struct RefreshReport {
  std::vector<IoError> Problems;
  // The folder was listed and holds no archive and no loose mission file: most likely the wrong
  // folder.
  bool NoGameFiles = false;
  // Archives that are not valid, or whose directory holds fewer records than their header
  // announces (a copy cut short): some or all of their missions are not in the catalogue.
  std::vector<IoError> Damaged;
  std::vector<SameFile> SameFiles;
};

class PatchJournal;

// The platform the engine works through.
struct Platform {
  FileSystem& Files;
  EngineHost& Host;
  // Where every patch is recorded before it is written, so it can be undone; none: unrecorded.
  PatchJournal* Journal = nullptr;
};

}  // namespace brieflist
