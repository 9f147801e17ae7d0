// brieflist-cli: the catalogue engine for scripts and server admins.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "platform/CommandLine.h"
#include "platform/MemoryAdvice.h"

int main(int argc, char** argv) {
  brieflist::PrepareHeapForLargeCatalogues();
  brieflist::UseUtf8StandardStreams();
  std::string argumentError;
  const auto arguments = brieflist::ProgramArguments(argc, argv, argumentError);
  if (!arguments) return brieflist::cli::UsageError(argumentError);
  return brieflist::cli::RunCommandLine(*arguments, brieflist::cli::StdoutSink());
}
