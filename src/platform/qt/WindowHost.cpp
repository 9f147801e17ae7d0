#include "platform/qt/WindowHost.h"

#include <QWidget>

#include "platform/qt/Dialogs.h"
#include "platform/qt/QtText.h"

namespace brieflist {

bool WindowHost::AskYesNo(const std::string& Text) {
  if (Quiet) {
    const auto answered = Answers_.find(Text);
    return answered == Answers_.end() || answered->second;
  }
  const bool yes = Dialogs_.AskYesNo(FromEngineMessage(Text));
  Answers_[Text] = yes;
  return yes;
}

void WindowHost::ShowMessage(const std::string& Text) {
  if (!Quiet) Dialogs_.ShowMessage(FromEngineMessage(Text));
}

void WindowHost::SetWindowEnabled(bool Enabled) {
  // Disabling would take the focus from where the person is typing.
  if (!Quiet) Window_.setEnabled(Enabled);
}

void WindowHost::CatalogueRefreshed(const RefreshReport& Report) {
  if (OnCatalogueRefreshed) OnCatalogueRefreshed(Report);
}

void WindowHost::EnabledCellChanged(int64_t GridRow, bool Enabled) {
  if (OnEnabledCellChanged) OnEnabledCellChanged(GridRow, Enabled);
}

}  // namespace brieflist
