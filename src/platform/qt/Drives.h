#pragma once

#include <QString>
#include <vector>

namespace brieflist {

// One entry of the chooser's drive list.
struct Drive {
  QString Root;  // the folder the drive opens on, with the system's separators ("c:\", "/")
  QString Text;  // what the list shows
};

// The drives a folder can be chosen on. Tests substitute their own.
class DriveSource {
 public:
  virtual ~DriveSource() = default;
  virtual std::vector<Drive> Drives() = 0;
};

// The system's drives: on Windows the drive letters; elsewhere the root folder and the mounted
// volumes.
class SystemDrives : public DriveSource {
 public:
  std::vector<Drive> Drives() override;
};

}  // namespace brieflist
