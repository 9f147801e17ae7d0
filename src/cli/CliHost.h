#pragma once

#include <string>

#include <span>

#include "catalogue/CatalogueState.h"
#include "catalogue/Problem.h"
#include "platform/EngineHost.h"

namespace brieflist::cli {

// The engine's host on a terminal: the skip question goes to stderr as a warning.
class CliHost : public EngineHost {
 public:
  // ReadInvalid answers the skip question with No, so archives with invalid headers are read.
  explicit CliHost(bool ReadInvalid = false) : ReadInvalid_(ReadInvalid) {}

  bool AskYesNo(const std::string& Text) override;

 private:
  bool ReadInvalid_;
};

// Warnings for what a refresh could not read and for files it read under their first name.
void PrintRefreshWarnings(const RefreshReport& Report);
// Each refresh's warnings, then the problems, a line of stderr for each line of their texts.
void PrintProblems(std::span<const Problem> Problems,
                   std::span<const RefreshReport> Refreshes = {});

// Prints "brieflist-cli: " and Text (raw engine text, shown as UTF-8) on stderr.
void PrintError(const std::string& Text);
void PrintWarning(const std::string& Text);
// Text's lines on stderr, each after "brieflist-cli: " alone.
void PrintMessage(const std::string& Text);

}  // namespace brieflist::cli
