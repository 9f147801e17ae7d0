#include "app/DiskWatch.h"

#include <QFile>
#include <QSet>
#include <QStringList>
#include <filesystem>
#include <system_error>

#include "platform/FolderListing.h"
#include "platform/NativeNames.h"
#include "platform/Paths.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#undef ReplaceFile  // a macro of windows.h, a member name here
#else
#include <sys/stat.h>
#endif

namespace brieflist {
namespace fs = std::filesystem;

namespace {

constexpr std::chrono::milliseconds kQuietTime{500};
// How soon files added to the folder are watched too. Not at every change: a thousand files
// copied in would have the folder listed a thousand times.
constexpr std::chrono::milliseconds kNewFilesTime{100};
#ifdef _WIN32
// How often the followed folder is asked whether it is still there (see the constructor).
constexpr std::chrono::milliseconds kPresenceTime{1000};
#endif

// File names are kept as UTF-8 (the system's own bytes on POSIX systems), which names every file
// the folder can hold, also those the engine's text cannot.
std::string KeyOf(const fs::path& Name) {
  const std::u8string text = Name.u8string();
  return std::string(text.begin(), text.end());
}

fs::path PathOfKey(const std::string& Key) {
  return fs::path(std::u8string(Key.begin(), Key.end()));
}

QString QtPath(const fs::path& Path) {
#ifdef _WIN32
  return QString::fromStdWString(Path.wstring());
#else
  return QFile::decodeName(QByteArray::fromStdString(Path.native()));
#endif
}

fs::path FolderPath(const std::string& Folder) {
  fs::path path = NativePath(Folder);
  // The folder without a trailing separator, so that it compares with a file's parent.
  if (!path.has_filename() && path.has_relative_path()) path = path.parent_path();
  return path;
}

std::optional<FileStamp> StampOf(const fs::path& Path) {
  FileStamp stamp;
#ifdef _WIN32
  // The system's own times, to 100 ns: the C runtime's stat gives whole seconds, in which a
  // file can be patched by the program and rewritten by another at the same size unnoticed.
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(Path.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
  const auto count = [](DWORD High, DWORD Low) { return (uint64_t{High} << 32) | Low; };
  stamp.Size = count(data.nFileSizeHigh, data.nFileSizeLow);
  stamp.Modified = static_cast<int64_t>(
      count(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime));
  // A file replaced by another mostly has a new creation time.
  stamp.Changed = static_cast<int64_t>(
      count(data.ftCreationTime.dwHighDateTime, data.ftCreationTime.dwLowDateTime));
#else
  struct stat st {};
  if (::stat(Path.c_str(), &st) != 0) return std::nullopt;
  stamp.Size = static_cast<uint64_t>(st.st_size);
  stamp.Modified = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  stamp.Changed = static_cast<int64_t>(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
  stamp.Node = static_cast<uint64_t>(st.st_ino);
#endif
  return stamp;
}

// Which folder is at Path: none when there is none; the system's file identity where it has
// one.
std::optional<uint64_t> FolderIdentity(const fs::path& Path) {
  std::error_code ec;
  if (!fs::is_directory(Path, ec)) return std::nullopt;
#ifdef _WIN32
  return 0;
#else
  struct stat st {};
  if (::stat(Path.c_str(), &st) != 0) return std::nullopt;
  return static_cast<uint64_t>(st.st_ino);
#endif
}

bool IsCatalogued(const std::string& Name) {
  return EndsWithIgnoringCase(Name, ".pff") || EndsWithIgnoringCase(Name, ".bms");
}

}  // namespace

FolderScan ScanFolder(const std::string& Folder) {
  FolderScan scan;
  std::error_code ec;
  fs::directory_iterator it(FolderPath(Folder), ec);
  if (ec) return scan;
  scan.Listed = true;
  for (const fs::directory_iterator end; it != end; it.increment(ec)) {
    if (ec) {
      scan.Listed = false;
      break;
    }
    std::string name = KeyOf(it->path().filename());
    if (!IsCatalogued(name) || !it->is_regular_file(ec)) continue;
    // A file that is gone again between listing and looking is not there.
    if (auto stamp = StampOf(it->path())) scan.Files.emplace(std::move(name), *stamp);
  }
  return scan;
}

// The window's file system: passes everything on and tells the watch what the program itself
// lists and patches.
class DiskWatch::RecordingFiles : public FileSystem {
 public:
  RecordingFiles(FileSystem& Inner, DiskWatch& Watch) : Inner_(Inner), Watch_(Watch) {}

  IoResult<std::vector<std::string>> ListFiles(const std::string& Folder,
                                               const std::string& Suffix) override {
    return Inner_.ListFiles(Folder, Suffix);
  }
  IoResult<FolderFiles> ListFolder(const std::string& Folder, const std::string& Suffix) override {
    Watch_.Listing(Folder);
    return Inner_.ListFolder(Folder, Suffix);
  }
  bool IsFolder(const std::string& Path) override { return Inner_.IsFolder(Path); }
  bool Exists(const std::string& Path) override { return Inner_.Exists(Path); }
  IoResult<PathKind> KindOf(const std::string& Path) override { return Inner_.KindOf(Path); }
  IoResult<std::unique_ptr<FileBytes>> ReadWhole(const std::string& Path) override {
    return Inner_.ReadWhole(Path);
  }
  IoResult<std::unique_ptr<FileBytes>> ReadWholeUpTo(const std::string& Path,
                                                     uint64_t Limit) override {
    return Inner_.ReadWholeUpTo(Path, Limit);
  }
  std::optional<FileIdentity> IdentityOf(const std::string& Path) override {
    return Inner_.IdentityOf(Path);
  }
  IoResult<std::vector<uint8_t>> ReadPrefix(const std::string& Path, size_t Count) override {
    return Inner_.ReadPrefix(Path, Count);
  }
  IoResult<bool> InspectFile(const std::string& Path,
                             const std::function<void(OpenFile&)>& Look) override {
    return Inner_.InspectFile(Path, Look);
  }
  IoResult<bool> PatchBlocks(const std::string& Path, std::vector<FileBlock>& Blocks,
                             const std::function<bool(OpenFile&)>& Edit) override {
    Watch_.BeforePatch(Path);
    auto result = Inner_.PatchBlocks(Path, Blocks, Edit);
    Watch_.AfterPatch(Path);
    return result;
  }
  IoResult<bool> AppendFile(const std::string& Path, std::span<const uint8_t> Bytes) override {
    return Inner_.AppendFile(Path, Bytes);
  }
  IoResult<bool> ReplaceFile(const std::string& Path, std::span<const uint8_t> Bytes) override {
    return Inner_.ReplaceFile(Path, Bytes);
  }
  IoResult<std::unique_ptr<FileLock>> LockFile(const std::string& Path) override {
    return Inner_.LockFile(Path);
  }
  IoResult<std::unique_ptr<FileLock>> TryLockFile(const std::string& Path) override {
    return Inner_.TryLockFile(Path);
  }
  const IoCounters& Counters() const override { return Inner_.Counters(); }
  void ResetCounters() override { Inner_.ResetCounters(); }

 private:
  FileSystem& Inner_;
  DiskWatch& Watch_;
};

DiskWatch::DiskWatch(FileSystem& Underlying, QObject* Parent)
    : QObject(Parent), Files_(std::make_unique<RecordingFiles>(Underlying, *this)) {
  Quiet_.setSingleShot(true);
  Quiet_.setInterval(kQuietTime);
  connect(&Quiet_, &QTimer::timeout, this, &DiskWatch::Look);
  NewFiles_.setSingleShot(true);
  NewFiles_.setInterval(kNewFilesTime);
  connect(&NewFiles_, &QTimer::timeout, this, [this] {
    if (!Folder_.empty()) WatchFilesOf(ScanFolder(Folder_));
  });
  connect(&Watcher_, &QFileSystemWatcher::fileChanged, this, &DiskWatch::SomethingMoved);
  connect(&Watcher_, &QFileSystemWatcher::directoryChanged, this, &DiskWatch::FolderMoved);
#ifdef _WIN32
  // Windows tells of a folder's own renaming or removal only to the folder above it, which is
  // not watched (see Follow): whether the folder is still there is asked now and then instead.
  Presence_.setInterval(kPresenceTime);
  connect(&Presence_, &QTimer::timeout, this, [this] {
    if (!Folder_.empty()) FolderMoved(QString());
  });
  Presence_.start();
#endif
}

DiskWatch::~DiskWatch() = default;

FileSystem& DiskWatch::Files() {
  return *Files_;
}

void DiskWatch::Follow(const std::string& Folder) {
  if (Listed_ && Listed_->first == Folder)
    ReadFrom_ = std::move(Listed_->second);
  else
    ReadFrom_ = ScanFolder(Folder);  // a refresh that listed nothing: the folder is missing
  Listed_.reset();
  ChangedByOthers_ = false;
  if (Folder != Folder_) {
    if (!Watcher_.directories().isEmpty()) Watcher_.removePaths(Watcher_.directories());
    Folder_ = Folder;
  }
  const fs::path folder = FolderPath(Folder_);
  FolderShown_ = QtPath(folder);
  FolderSeen_ = FolderIdentity(folder);
  QStringList folders;
  if (ReadFrom_.Listed) folders << QtPath(folder);
#ifndef _WIN32
  // The folder above it too: the folder being renamed or moved away (and back) shows only there.
  // Not on Windows, where a watch holds its folder open and may keep it from being renamed: that
  // folder is the person's, not the game's.
  const fs::path above = folder.parent_path();
  if (!above.empty() && above != folder) folders << QtPath(above);
#endif
  const QStringList watched = Watcher_.directories();
  for (const QString& path : folders)
    if (!watched.contains(path)) Watcher_.addPath(path);
  WatchFilesOf(ReadFrom_);
}

void DiskWatch::WatchFilesOf(const FolderScan& Scan) {
  const fs::path folder = FolderPath(Folder_);
  const QStringList watchedList = Watcher_.files();
  QSet<QString> watched(watchedList.begin(), watchedList.end());
  QStringList drop;
  QStringList add;
  std::map<QString, uint64_t> nodes;
  for (const auto& [name, stamp] : Scan.Files) {
    const QString path = QtPath(folder / PathOfKey(name));
    nodes.emplace(path, stamp.Node);
    const auto known = Nodes_.find(path);
    const bool isWatched = watched.remove(path);
    // A file replaced by another of the same name is watched afresh: the old watch follows the
    // old file.
    if (isWatched && known != Nodes_.end() && known->second == stamp.Node) continue;
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
    const std::optional<uint64_t> now = FolderIdentity(FolderPath(Folder_));
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
  const FolderScan now = ScanFolder(Folder_);
  WatchFilesOf(now);
  const bool different = ChangedByOthers_ || !(now == ReadFrom_);
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
  if (!Listed_ || Listed_->first != Folder) Listed_.emplace(Folder, ScanFolder(Folder));
}

bool DiskWatch::NameInFolder(const std::string& Path, std::string& Name) const {
  if (Folder_.empty()) return false;
  const fs::path path = NativePath(Path);
  if (path.parent_path().lexically_normal() != FolderPath(Folder_).lexically_normal()) return false;
  Name = KeyOf(path.filename());
  return true;
}

void DiskWatch::BeforePatch(const std::string& Path) {
  std::string name;
  if (!NameInFolder(Path, name)) return;
  const auto known = ReadFrom_.Files.find(name);
  if (known == ReadFrom_.Files.end()) return;  // not in the catalogue: a later look finds it
  // Someone else wrote the file since the catalogue was read: the grid must follow that too.
  if (StampOf(NativePath(Path)) != std::optional<FileStamp>(known->second)) ChangedByOthers_ = true;
}

void DiskWatch::AfterPatch(const std::string& Path) {
  std::string name;
  if (!NameInFolder(Path, name)) return;
  const auto known = ReadFrom_.Files.find(name);
  if (known == ReadFrom_.Files.end()) return;
  if (auto stamp = StampOf(NativePath(Path)))
    known->second = *stamp;
  else
    ReadFrom_.Files.erase(known);
}

}  // namespace brieflist
