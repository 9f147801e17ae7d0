#include "platform/qt/Drives.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>
#include <algorithm>

namespace brieflist {

std::vector<Drive> SystemDrives::Drives() {
  std::vector<Drive> drives;
#ifdef _WIN32
  // Only the letters, upper case as Windows writes them ("C:"): asking a removable drive without
  // a medium for its label would wait.
  for (const QFileInfo& root : QDir::drives()) {
    const QString path = QDir::toNativeSeparators(root.absoluteFilePath()).toUpper();
    drives.push_back({path, path.left(2)});
  }
#else
  drives.push_back({QStringLiteral("/"), QStringLiteral("/")});
  std::vector<Drive> volumes;
  for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
    if (!volume.isValid() || volume.isRoot()) continue;
    const QString root = volume.rootPath();
    const QString name = volume.name();
    volumes.push_back({root, name.isEmpty() ? root : root + QStringLiteral(" [") + name + ']'});
  }
  std::sort(volumes.begin(), volumes.end(),
            [](const Drive& A, const Drive& B) { return A.Root < B.Root; });
  for (Drive& volume : volumes)
    if (drives.back().Root != volume.Root) drives.push_back(std::move(volume));
#endif
  return drives;
}

}  // namespace brieflist
