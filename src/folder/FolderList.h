#pragma once

#include <QString>
#include <QTreeWidget>

namespace brieflist {

// The chooser's folder list, Dir1: the open folder with the folders above it and the folders
// inside it. Opening an entry (a double click) moves the list there; a single click or the arrow
// keys only highlight it.
class FolderList : public QTreeWidget {
  Q_OBJECT

 public:
  explicit FolderList(QWidget* Parent = nullptr);

  // Moves the list to Folder. False, and the list stays where it was, when Folder does not exist
  // or cannot be read.
  bool SetPath(const QString& Folder);
  // The open folder, with the system's separators, without a trailing one except a root's.
  QString Path() const;
  // The highlighted folder, in the same form; the open folder when none is highlighted.
  QString HighlightedPath() const;

 signals:
  // The list has moved to another folder, or the same one again.
  void PathChanged();

 private:
  void Open(QTreeWidgetItem* Item);

  QString Path_;  // with "/" separators
};

}  // namespace brieflist
