#include "folder/FolderList.h"

#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QStyle>

namespace brieflist {
namespace {

constexpr int kPathRole = Qt::UserRole;

QTreeWidgetItem* AddEntry(QTreeWidgetItem* Parent, QTreeWidget& Tree, const QString& Text,
                          const QString& Path, bool Open) {
  auto* item = Parent ? new QTreeWidgetItem(Parent) : new QTreeWidgetItem(&Tree);
  item->setText(0, Text);
  item->setData(0, kPathRole, Path);
  item->setIcon(0, Tree.style()->standardIcon(Open ? QStyle::SP_DirOpenIcon : QStyle::SP_DirIcon));
  return item;
}

}  // namespace

FolderList::FolderList(QWidget* Parent) : QTreeWidget(Parent) {
  setHeaderHidden(true);
  setColumnCount(1);
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setExpandsOnDoubleClick(false);
  setIndentation(12);
  setUniformRowHeights(true);
  connect(this, &QTreeWidget::itemActivated, this,
          [this](QTreeWidgetItem* Item, int) { Open(Item); });
}

bool FolderList::SetPath(const QString& Folder) {
  if (Folder.isEmpty()) return false;
  const QFileInfo info(Folder);
  if (!info.isDir() || !info.isReadable()) return false;
  const QString path = QDir::cleanPath(info.absoluteFilePath());
  QDir dir(path);
  if (!dir.isReadable()) return false;
  const QFileInfoList inside =
      dir.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                        QDir::Name | QDir::IgnoreCase);

  Path_ = path;
  clear();
  // The chain from the root down to the open folder, each one level deeper, then its folders.
  QStringList chain;
  for (QDir up(path);;) {
    chain.prepend(up.absolutePath());
    if (up.isRoot() || !up.cdUp()) break;
  }
  QTreeWidgetItem* at = nullptr;
  for (const QString& folder : chain) {
    const QString name =
        QDir(folder).isRoot() ? QDir::toNativeSeparators(folder) : QFileInfo(folder).fileName();
    at = AddEntry(at, *this, name, folder, true);
  }
  for (const QFileInfo& folder : inside)
    AddEntry(at, *this, folder.fileName(), folder.absoluteFilePath(), false);
  expandAll();
  setCurrentItem(at);
  scrollToItem(at);
  emit PathChanged();
  return true;
}

QString FolderList::Path() const {
  return QDir::toNativeSeparators(Path_);
}

QString FolderList::HighlightedPath() const {
  const QTreeWidgetItem* item = currentItem();
  return item ? QDir::toNativeSeparators(item->data(0, kPathRole).toString()) : Path();
}

void FolderList::Open(QTreeWidgetItem* Item) {
  if (!Item) return;
  // A folder removed since the list was filled: show the open folder afresh instead.
  if (!SetPath(Item->data(0, kPathRole).toString())) SetPath(Path_);
}

}  // namespace brieflist
