#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "catalogue/CatalogueState.h"
#include "cli/CliArgs.h"
#include "cli/CliHost.h"
#include "cli/Output.h"

namespace brieflist::cli {

// What a command accepts, checked in this order: the options, --wait, the count of positional
// arguments, --format.
struct ArgumentRules {
  std::set<std::string> Values;  // options with a value
  std::set<std::string> Flags;
  size_t MinPositional = 0;
  size_t MaxPositional = 0;
  std::string CountError;  // the usage error when their count is off
  bool Wait = false;       // reads --wait
  bool Format = false;     // reads --format
};

// The start every command shares: its arguments parsed, and for those that work on a game folder
// the folder's catalogue loaded.
struct CommandSetup {
  // kExitOk, or kExitUsage with the usage error printed.
  int Parse(const std::vector<std::string>& Arguments, const ArgumentRules& Rules);
  // Loads the catalogue of the folder named first, by its absolute path: every command prints
  // paths absolute, and list files and the journal need paths that lead to the missions from
  // any working folder. False, with the message printed, when it is no folder.
  bool Load();

  CliArgs Args;
  OutputFormat Format = OutputFormat::Table;
  std::chrono::milliseconds Wait{};
  std::unique_ptr<FileSystem> Files = MakeNativeFileSystem();
  std::optional<CliHost> Host;  // made by Parse: --read-invalid decides its answer
  std::string Folder;
  CatalogueState State;
  RefreshReport Report;
};

// Hands Text to Out; false, with the failure printed, when it could not be written.
bool Print(const TextSink& Out, std::string_view Text);
// The same for output already written: Written is whether it was.
bool Printed(bool Written);

}  // namespace brieflist::cli
