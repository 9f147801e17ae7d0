#include "app/DiskWatch.h"

#include <QSet>
#include <QStringList>

#include "catalogue/RefreshCatalogue.h"
#include "platform/ForwardingFileSystem.h"
#include "platform/Paths.h"
#include "platform/qt/QtText.h"

namespace brieflist {
namespace {

constexpr std::chrono::milliseconds kQuietTime{500};
// How soon files added to the folder are watched too. Not at every change: a thousand files
// copied in would have the folder listed a thousand times.
constexpr std::chrono::milliseconds kNewFilesTime{100};
// How often the followed folder is asked whether it is still there (see the constructor).
constexpr std::chrono::milliseconds kPresenceTime{1000};

// Folder without its trailing separators, as the watcher names it; a root keeps its own.
std::string WithoutSeparator(std::string Folder) {
  while (Folder.size() > 1 && EndsWithSeparator(Folder) && Folder[Folder.size() - 2] != ':')
    Folder.pop_back();
  return Folder;
}

}  // namespace

// The window's file system: tells the watch what the program itself lists and patches.
class DiskWatch::RecordingFiles : public ForwardingFileSystem {
 public:
  RecordingFiles(FileSystem& Inner, DiskWatch& Watch)
      : ForwardingFileSystem(Inner), Watch_(Watch) {}

  IoResult<FolderFiles> ListFolder(const std::string& Folder, const std::string& Suffix) override {
    Watch_.Listing(Folder);
    return Inner().ListFolder(Folder, Suffix);
  }
  IoResult<bool> PatchBlocks(const std::string& Path, std::vector<FileBlock>& Blocks,
                             const std::function<bool(OpenFile&)>& Edit) override {
    Watch_.BeforePatch(Path);
    auto result = Inner().PatchBlocks(Path, Blocks, Edit);
    Watch_.AfterPatch(Path);
    return result;
  }

 private:
  DiskWatch& Watch_;
};

DiskWatch::DiskWatch(FileSystem& Underlying, QObject* Parent)
    : QObject(Parent),
      Underlying_(Underlying),
      Files_(std::make_unique<RecordingFiles>(Underlying, *this)) {
  Quiet_.setSingleShot(true);
  Quiet_.setInterval(kQuietTime);
  connect(&Quiet_, &QTimer::timeout, this, &DiskWatch::Look);
  NewFiles_.setSingleShot(true);
  NewFiles_.setInterval(kNewFilesTime);
  connect(&NewFiles_, &QTimer::timeout, this, [this] {
    if (!Folder_.empty()) WatchFilesOf(Scan(Folder_));
  });
  connect(&Watcher_, &QFileSystemWatcher::fileChanged, this, &DiskWatch::SomethingMoved);
  connect(&Watcher_, &QFileSystemWatcher::directoryChanged, this, &DiskWatch::FolderMoved);
  // The folder's own renaming or removal is told only to the folder above it, which is not
  // watched where watches keep folders from being renamed (see Follow): whether the folder is
  // still there is asked now and then instead.
  if (!kWatchedFoldersRename) {
    Presence_.setInterval(kPresenceTime);
    connect(&Presence_, &QTimer::timeout, this, [this] {
      if (!Folder_.empty()) FolderMoved(QString());
    });
    Presence_.start();
  }
}

DiskWatch::~DiskWatch() = default;

FileSystem& DiskWatch::Files() {
  return *Files_;
}

DiskWatch::Stamps DiskWatch::Scan(const std::string& Folder) {
  // Not through Files(): the watch's own look is no listing of the program's.
  auto [archives, loose] = ListGameFiles(Underlying_, Folder);
  if (!archives || !loose) return std::nullopt;
  Stamps stamps(std::in_place);
  for (const FolderFiles* files : {&*archives, &*loose}) {
    // A file that is gone again between listing and looking is not there.
    for (const std::string& name : files->Names)
      if (auto stamp = Underlying_.StampOf(JoinPath(Folder, name))) stamps->emplace(name, *stamp);
    // Files the engine cannot name or look at count by their names: their coming and going
    // changes what a refresh reports.
    for (const std::string& name : files->Unrepresentable) stamps->emplace(name, FileStamp{});
    for (const IoError& problem : files->Unreadable) stamps->emplace(problem.Path, FileStamp{});
  }
  return stamps;
}

std::optional<FileIdentity> DiskWatch::FolderIdentity() {
  const auto stamp = Underlying_.StampOf(Folder_);
  if (!stamp || stamp->Kind != PathKind::Folder) return std::nullopt;
  return stamp->Identity;
}

void DiskWatch::Follow(const std::string& Folder) {
  if (Listed_ && Listed_->first == Folder)
    ReadFrom_ = std::move(Listed_->second);
  else
    ReadFrom_ = Scan(Folder);  // a refresh that listed nothing: the folder is missing
  Listed_.reset();
  ChangedByOthers_ = false;
  if (Folder != Folder_) {
    if (!Watcher_.directories().isEmpty()) Watcher_.removePaths(Watcher_.directories());
    Folder_ = Folder;
  }
  const std::string folder = WithoutSeparator(Folder_);
  FolderShown_ = FromEnginePath(folder);
  FolderSeen_ = FolderIdentity();
  QStringList folders;
  if (ReadFrom_) folders << FolderShown_;
  // The folder above it too: the folder being renamed or moved away (and back) shows only there.
  // Not where a watch may keep its folder from being renamed: that folder is the person's, not
  // the game's.
  const size_t cut = folder.rfind(kSeparator);
  if (kWatchedFoldersRename && cut != std::string::npos && cut + 1 < folder.size())
    folders << FromEnginePath(WithoutSeparator(folder.substr(0, cut + 1)));
  const QStringList watched = Watcher_.directories();
  for (const QString& path : folders)
    if (!watched.contains(path)) Watcher_.addPath(path);
  WatchFilesOf(ReadFrom_);
}

void DiskWatch::WatchFilesOf(const Stamps& Files) {
  const QStringList watchedList = Watcher_.files();
  QSet<QString> watched(watchedList.begin(), watchedList.end());
  QStringList drop;
  QStringList add;
  std::map<QString, FileIdentity> nodes;
  for (const auto& [name, stamp] : Files ? *Files : std::map<std::string, FileStamp>{}) {
    if (stamp.Kind != PathKind::File) continue;  // a file that cannot be named or looked at
    const QString path = FromEnginePath(JoinPath(Folder_, name));
    nodes.emplace(path, stamp.Identity);
    const auto known = Nodes_.find(path);
    const bool isWatched = watched.remove(path);
    // A file replaced by another of the same name is watched afresh: the old watch follows the
    // old file.
    if (isWatched && known != Nodes_.end() && known->second == stamp.Identity) continue;
    if (isWatched) drop << path;
    add << path;
  }
  for (const QString& path : watched) drop << path;
  if (!drop.isEmpty()) Watcher_.removePaths(drop);
  if (!add.isEmpty()) Watcher_.addPaths(add);
  Nodes_ = std::move(nodes);
}

void DiskWatch::SomethingMoved() {
  Quiet_.start();
}

void DiskWatch::FolderMoved(const QString& Path) {
  // In the folder above only the followed folder's coming and going counts: that folder may be
  // a busy one.
  if (Path != FolderShown_) {
    const std::optional<FileIdentity> now = FolderIdentity();
    if (now == FolderSeen_) return;
    FolderSeen_ = now;
  }
  // A file added is watched soon, so that its being written keeps the burst going.
  if (!NewFiles_.isActive()) NewFiles_.start();
  SomethingMoved();
}

void DiskWatch::Look() {
  if (Paused_ > 0) {
    LookWhenResumed_ = true;
    return;
  }
  if (Folder_.empty()) return;
  const Stamps now = Scan(Folder_);
  WatchFilesOf(now);
  const bool different = ChangedByOthers_ || now != ReadFrom_;
  emit Looked(different);
  if (different) emit Changed();
}

void DiskWatch::Resume() {
  if (--Paused_ > 0) return;
  if (!LookWhenResumed_ && !ChangedByOthers_) return;
  LookWhenResumed_ = false;
  // Once the command has returned, not inside it.
  QTimer::singleShot(0, this, &DiskWatch::Look);
}

void DiskWatch::Listing(const std::string& Folder) {
  // A refresh lists archives and then loose files: the folder is stamped before either is read,
  // so whatever changes while it is read shows as a difference afterwards.
  if (!Listed_ || Listed_->first != Folder) Listed_.emplace(Folder, Scan(Folder));
}

FileStamp* DiskWatch::ReadFromStamp(const std::string& Path) {
  const std::string folder = JoinPath(Folder_, "");
  if (Folder_.empty() || !ReadFrom_ || Path.size() <= folder.size() ||
      Path.compare(0, folder.size(), folder) != 0)
    return nullptr;
  const auto known = ReadFrom_->find(Path.substr(folder.size()));
  // Not in the catalogue: a later look finds it.
  return known == ReadFrom_->end() ? nullptr : &known->second;
}

void DiskWatch::BeforePatch(const std::string& Path) {
  const FileStamp* known = ReadFromStamp(Path);
  // Someone else wrote the file since the catalogue was read: the grid must follow that too.
  if (known && Underlying_.StampOf(Path) != *known) ChangedByOthers_ = true;
}

void DiskWatch::AfterPatch(const std::string& Path) {
  FileStamp* known = ReadFromStamp(Path);
  if (!known) return;
  if (auto stamp = Underlying_.StampOf(Path))
    *known = *stamp;
  else
    ReadFrom_->erase(Path.substr(JoinPath(Folder_, "").size()));
}

}  // namespace brieflist
