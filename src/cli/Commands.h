#pragma once

#include <string>
#include <vector>

#include "cli/Output.h"

namespace brieflist::cli {

// Exit codes of every command.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

// One sub-command: its name, a line of usage, and the function that runs it on the arguments
// after its name, writing its output to Out.
using CommandFunction = int (*)(const std::vector<std::string>& Args, const TextSink& Out);
struct Command {
  const char* Name;
  const char* Usage;
  CommandFunction Run;
};

int RunList(const std::vector<std::string>& Args, const TextSink& Out);
int RunMapNames(const std::vector<std::string>& Args, const TextSink& Out);
int RunEnable(const std::vector<std::string>& Args, const TextSink& Out);
int RunDisable(const std::vector<std::string>& Args, const TextSink& Out);
int RunToggle(const std::vector<std::string>& Args, const TextSink& Out);
int RunExport(const std::vector<std::string>& Args, const TextSink& Out);
int RunImport(const std::vector<std::string>& Args, const TextSink& Out);
int RunShow(const std::vector<std::string>& Args, const TextSink& Out);
int RunDuplicates(const std::vector<std::string>& Args, const TextSink& Out);
int RunUndo(const std::vector<std::string>& Args, const TextSink& Out);
int RunHistory(const std::vector<std::string>& Args, const TextSink& Out);

// The whole command line after the program's name: the command, or help, the version, or a
// usage error that names the nearest command.
int RunCommandLine(const std::vector<std::string>& Args, const TextSink& Out);

// Reports a usage error on stderr and returns kExitUsage.
int UsageError(const std::string& Text);

}  // namespace brieflist::cli
