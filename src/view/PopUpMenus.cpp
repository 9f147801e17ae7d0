#include "view/PopUpMenus.h"

#include <QAction>
#include <QMenu>

#include "catalogue/GridText.h"

namespace brieflist {
namespace {

struct MenuSpec {
  int Column;
  const char* Number;  // the column counted from 1
  const char* ItemName;
  const char* ItemCaption;
  bool ItemEnabled;
};

constexpr std::array<MenuSpec, 5> kMenus = {{
    {GridColumn::FileName, "1", "mnuEditFileName", "Edit File Name", false},
    {GridColumn::MissionName, "2", "mnuEditMissionName", "Edit Mission Name", false},
    {GridColumn::Creator, "3", "mnuEditCreatorName", "Edit Creator Name", false},
    {GridColumn::Enabled, "5", "mnuEnableDisable", "Enable/Disable", true},
    {GridColumn::MissionTypeFlags, "7", "mnuEditMissionFlags", "Edit Mission Flags", false},
}};

}  // namespace

PopUpMenus::PopUpMenus(QWidget& Owner) {
  for (size_t m = 0; m < kMenus.size(); ++m) {
    const MenuSpec& spec = kMenus[m];
    auto* menu = new QMenu(QStringLiteral("PopUp_") + QLatin1String(spec.Number), &Owner);
    menu->setObjectName(QStringLiteral("mnuPopUp_") + QLatin1String(spec.Number));

    QAction* item = menu->addAction(QString::fromLatin1(spec.ItemCaption));
    item->setObjectName(QString::fromLatin1(spec.ItemName));
    item->setEnabled(spec.ItemEnabled);
    QAction* cancel = menu->addAction(QStringLiteral("Cancel"));
    cancel->setObjectName(QStringLiteral("mnuCancel") + QLatin1String(spec.Number));

    Menus_[m] = menu;
    if (spec.Column == GridColumn::Enabled) EnableDisable_ = item;
  }
}

QMenu* PopUpMenus::ForColumn(int Column) const {
  for (size_t m = 0; m < kMenus.size(); ++m)
    if (kMenus[m].Column == Column) return Menus_[m];
  return nullptr;
}

}  // namespace brieflist
