// In the command library rather than in main(), so tests can run the commands in-process.
#include <cstdio>

#include "cli/Commands.h"

namespace brieflist::cli {

int UsageError(const std::string& Text) {
  std::fprintf(stderr, "brieflist-cli: error: %s\nTry 'brieflist-cli --help'.\n", Text.c_str());
  return kExitUsage;
}

}  // namespace brieflist::cli
