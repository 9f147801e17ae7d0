#pragma once

#include <string>
#include <vector>

namespace brieflist::cli {

// Exit codes of every command.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

// One sub-command: its name, a line of usage, and the function that runs it on the arguments
// after its name.
struct Command {
  const char* Name;
  const char* Usage;
  int (*Run)(const std::vector<std::string>& Args);
};

int RunList(const std::vector<std::string>& Args);
int RunMapNames(const std::vector<std::string>& Args);
int RunEnable(const std::vector<std::string>& Args);
int RunDisable(const std::vector<std::string>& Args);
int RunToggle(const std::vector<std::string>& Args);
int RunExport(const std::vector<std::string>& Args);
int RunImport(const std::vector<std::string>& Args);
int RunShow(const std::vector<std::string>& Args);
int RunDuplicates(const std::vector<std::string>& Args);
int RunUndo(const std::vector<std::string>& Args);
int RunHistory(const std::vector<std::string>& Args);

// Reports a usage error on stderr and returns kExitUsage.
int UsageError(const std::string& Text);

}  // namespace brieflist::cli
