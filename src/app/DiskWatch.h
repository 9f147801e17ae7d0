#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>
#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/FileSystem.h"

namespace brieflist {

// Follows the open game folder on disk. It watches the folder and its game files, and once a
// burst of changes has been quiet for a while it compares the folder with what the catalogue
// was read from: only a difference, made by someone else, emits Changed.
//
// The window reads and writes through Files(), which tells the watch what the program itself
// did: the stamps a refresh listed become what the catalogue was read from once the refresh
// ends (Follow), and a patch of a file in the folder moves that file's stamp along, unless the
// file had been changed by someone else before, which is then still reported.
//
// While a command of the program runs (Pause), nothing is reported; a change seen meanwhile is
// looked at as soon as the last command ends.
class DiskWatch : public QObject {
  Q_OBJECT

 public:
  explicit DiskWatch(FileSystem& Underlying, QObject* Parent = nullptr);
  ~DiskWatch() override;

  // The file system the window's engine calls go through.
  FileSystem& Files();

  // A refresh of Folder has just ended: from now on it is the folder followed, as it was when
  // that refresh listed it.
  void Follow(const std::string& Folder);
  const std::string& Folder() const { return Folder_; }

  // How long a burst of changes must be quiet before the folder is looked at.
  void SetQuietTime(std::chrono::milliseconds Time) { Quiet_.setInterval(Time); }

  // Held for the length of one command of the program; commands may nest.
  class Pause {
   public:
    explicit Pause(DiskWatch& Watch) : Watch_(Watch) { ++Watch_.Paused_; }
    ~Pause() { Watch_.Resume(); }
    Pause(const Pause&) = delete;
    Pause& operator=(const Pause&) = delete;

   private:
    DiskWatch& Watch_;
  };
  bool Paused() const { return Paused_ > 0; }

 signals:
  // The folder was looked at after a quiet burst; Different when someone else changed it.
  void Looked(bool Different);
  // Someone else changed the followed folder: the catalogue no longer shows what is on disk.
  void Changed();

 private:
  class RecordingFiles;
  friend class RecordingFiles;
  // A folder's game files by name, with their stamps; none when it could not be listed.
  using Stamps = std::optional<std::map<std::string, FileStamp>>;

  Stamps Scan(const std::string& Folder);
  std::optional<FileIdentity> FolderIdentity();
  void Resume();
  void SomethingMoved();
  void FolderMoved(const QString& Path);
  void Look();
  void WatchFilesOf(const Stamps& Files);
  // Called by RecordingFiles.
  void Listing(const std::string& Folder);
  void BeforePatch(const std::string& Path);
  void AfterPatch(const std::string& Path);
  // The stamp the catalogue knows of Path, when Path is one of the followed folder's files.
  FileStamp* ReadFromStamp(const std::string& Path);

  FileSystem& Underlying_;
  std::unique_ptr<RecordingFiles> Files_;
  QFileSystemWatcher Watcher_;
  QTimer Quiet_;
  QTimer NewFiles_;
  QTimer Presence_;  // where the folder above is not watched
  std::string Folder_;
  QString FolderShown_;                     // Folder_ as the watcher names it
  std::optional<FileIdentity> FolderSeen_;  // which folder was there when last looked
  Stamps ReadFrom_;                         // the folder as the shown catalogue was read from it
  std::map<QString, FileIdentity> Nodes_;   // the watched files, with the file each watch follows
  std::optional<std::pair<std::string, Stamps>> Listed_;  // a refresh on its way
  int Paused_ = 0;
  bool LookWhenResumed_ = false;
  bool ChangedByOthers_ = false;
};

}  // namespace brieflist
