#include "platform/qt/WindowHost.h"

#include <QWidget>

#include "platform/qt/Dialogs.h"
#include "platform/qt/QtText.h"

namespace brieflist {

bool WindowHost::AskYesNo(const std::string& Text) {
  return Dialogs_.AskYesNo(FromEngineMessage(Text));
}

void WindowHost::ShowMessage(const std::string& Text) {
  Dialogs_.ShowMessage(FromEngineMessage(Text));
}

void WindowHost::SetWindowEnabled(bool Enabled) {
  Window_.setEnabled(Enabled);
}

void WindowHost::CatalogueRefreshed(const RefreshReport& Report) {
  if (OnCatalogueRefreshed) OnCatalogueRefreshed(Report);
}

void WindowHost::EnabledCellChanged(int64_t GridRow, bool Enabled) {
  if (OnEnabledCellChanged) OnEnabledCellChanged(GridRow, Enabled);
}

}  // namespace brieflist
