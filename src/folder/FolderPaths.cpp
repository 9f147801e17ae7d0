#include "folder/FolderPaths.h"

#include <QDir>

#include "platform/Paths.h"

namespace brieflist {
namespace {

// Path with "/" separators and without trailing ones, except a root's own ("/", "c:/").
QString Comparable(const QString& Path) {
  QString path = QDir::fromNativeSeparators(Path);
  while (path.size() > 1 && path.endsWith('/') && !path.endsWith(QLatin1String(":/"))) path.chop(1);
  return path;
}

bool IsOnRoot(const QString& Path, const QString& Root) {
#ifdef _WIN32
  constexpr Qt::CaseSensitivity kCase = Qt::CaseInsensitive;
#else
  constexpr Qt::CaseSensitivity kCase = Qt::CaseSensitive;
#endif
  if (Root.isEmpty() || !Path.startsWith(Root, kCase)) return false;
  return Path.size() == Root.size() || Root.endsWith('/') || Path[Root.size()] == '/';
}

}  // namespace

QString AddBackslash(const QString& Path) {
  if (EndsWithSeparator(Path.right(1).toStdString())) return Path;
  return Path + QLatin1Char(kSeparator);
}

QString DefaultFolder() {
#ifdef _WIN32
  return QStringLiteral("c:\\");
#else
  return AddBackslash(QDir::toNativeSeparators(QDir::homePath()));
#endif
}

int DriveIndexOf(const std::vector<Drive>& Drives, const QString& Path) {
  const QString path = Comparable(Path);
  int best = -1;
  qsizetype bestLength = -1;
  for (size_t i = 0; i < Drives.size(); ++i) {
    const QString root = Comparable(Drives[i].Root);
    if (root.size() > bestLength && IsOnRoot(path, root)) {
      best = static_cast<int>(i);
      bestLength = root.size();
    }
  }
  return best;
}

}  // namespace brieflist
