#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "platform/EngineHost.h"

class QWidget;

namespace brieflist {

class Dialogs;

// The engine's host inside the desktop program: questions and messages become dialogs, the
// window is disabled on request, and the window hears about refreshes and switched cells.
class WindowHost : public EngineHost {
 public:
  WindowHost(QWidget& Window, Dialogs& D) : Window_(Window), Dialogs_(D) {}

  std::function<void(const RefreshReport&)> OnCatalogueRefreshed;
  std::function<void(int64_t GridRow, bool Enabled)> OnEnabledCellChanged;

  // While quiet (a refresh nobody asked for) nothing is shown or asked and the window stays as
  // it is: a question gets the answer the person gave it last time, or Yes when never asked.
  bool Quiet = false;

  bool AskYesNo(const std::string& Text) override;
  void ShowMessage(const std::string& Text) override;
  void SetWindowEnabled(bool Enabled) override;
  void CatalogueRefreshed(const RefreshReport& Report) override;
  void EnabledCellChanged(int64_t GridRow, bool Enabled) override;

 private:
  QWidget& Window_;
  Dialogs& Dialogs_;
  std::map<std::string, bool> Answers_;  // by question
};

}  // namespace brieflist
