#pragma once

#include <string>

#include "catalogue/CatalogueState.h"
#include "platform/EngineHost.h"

namespace brieflist::cli {

// The engine's host on a terminal: messages and the skip question go to stderr as warnings.
class CliHost : public EngineHost {
 public:
  // ReadInvalid answers the skip question with No, so archives with invalid headers are read.
  explicit CliHost(bool ReadInvalid = false) : ReadInvalid_(ReadInvalid) {}

  bool AskYesNo(const std::string& Text) override;
  void ShowMessage(const std::string& Text) override;
  void SetWindowEnabled(bool) override {}
  void CatalogueRefreshed(const RefreshReport& Report) override;
  void EnabledCellChanged(int64_t, bool) override {}

  int Messages() const { return Messages_; }

 private:
  bool ReadInvalid_;
  int Messages_ = 0;
};

// Prints "brieflist-cli: " and Text (raw engine text, shown as UTF-8) on stderr.
void PrintError(const std::string& Text);
void PrintWarning(const std::string& Text);

}  // namespace brieflist::cli
