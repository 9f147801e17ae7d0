#include "app/DroppedItem.h"

#include <QDir>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

namespace brieflist {

DroppedItem ChooseDroppedItem(const QMimeData& Data) {
  DroppedItem folder;
  for (const QUrl& url : Data.urls()) {
    if (!url.isLocalFile()) continue;
    const QFileInfo item(QDir::cleanPath(url.toLocalFile()));
    if (item.isFile() && item.fileName().endsWith(QLatin1String(".BRL"), Qt::CaseInsensitive))
      return {DroppedItem::List, QDir::toNativeSeparators(item.filePath())};
    if (item.isDir() && folder.What == DroppedItem::Nothing)
      folder = {DroppedItem::Folder, QDir::toNativeSeparators(item.filePath())};
  }
  return folder;
}

}  // namespace brieflist
