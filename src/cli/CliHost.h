#pragma once

#include <chrono>
#include <span>
#include <string>

#include "catalogue/CatalogueState.h"
#include "catalogue/Problem.h"
#include "platform/EngineHost.h"

namespace brieflist::cli {

// The engine's host on a terminal: the skip question is answered at once and said in one line
// on stderr; progress shows on stderr as "N of M" when it is a terminal and the command has run
// for half a second. Scripts, whose stderr is no terminal, see no progress.
class CliHost : public EngineHost {
 public:
  // ReadInvalid answers the skip question with No, so archives with invalid headers are read.
  explicit CliHost(bool ReadInvalid = false);
  ~CliHost() override;
  CliHost(const CliHost&) = delete;
  CliHost& operator=(const CliHost&) = delete;

  bool AskYesNo(const std::string& Text) override;
  void Progress(size_t Done, size_t Total) override;
  // Takes the progress line away before output on stdout, when both go to the same terminal.
  void ClearProgress();

 private:
  bool ReadInvalid_;
  bool Terminal_;
  bool StdoutTerminal_;
  std::chrono::steady_clock::time_point Start_;
  std::chrono::steady_clock::time_point Drawn_{};
};

// Takes any progress line away, before output of its own on stderr.
void ClearProgressLine();

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
