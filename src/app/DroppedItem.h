#pragma once

#include <QString>

class QMimeData;

namespace brieflist {

// What the main window does with files dropped onto it: imports a list, opens a folder, or
// refuses them.
struct DroppedItem {
  enum Kind { Nothing, List, Folder };
  Kind What = Nothing;
  QString Path;  // with the system's separators
};

// The first list file (".BRL", letter case ignored) among the dropped items; with none, the
// first folder; otherwise nothing.
DroppedItem ChooseDroppedItem(const QMimeData& Data);

}  // namespace brieflist
