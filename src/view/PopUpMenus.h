#pragma once

#include <array>

class QAction;
class QMenu;
class QWidget;

namespace brieflist {

// The five pop-up menus of the grid's columns. They never show as a menu bar; each has one edit
// item, of which only "Enable/Disable" can be chosen, and "Cancel", which only closes it.
class PopUpMenus {
 public:
  explicit PopUpMenus(QWidget& Owner);

  // The menu a click on a data cell of Column pops up, or nullptr for columns without one.
  QMenu* ForColumn(int Column) const;

  QAction* EnableDisable() const { return EnableDisable_; }

 private:
  std::array<QMenu*, 5> Menus_{};
  QAction* EnableDisable_ = nullptr;
};

}  // namespace brieflist
