// brieflist-cli: the catalogue engine for scripts and server admins.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "Version.h"
#include "cli/Commands.h"
#include "platform/CommandLine.h"
#include "platform/MemoryAdvice.h"

namespace brieflist::cli {
namespace {

constexpr Command kCommands[] = {
    {"list", "list DIR [--format table|tsv|csv|json] [--resolve-map-names] [--read-invalid]",
     RunList},
    {"map-names", "map-names DIR [--format table|tsv|csv|json] [--read-invalid]", RunMapNames},
    {"enable", "enable DIR PATTERN... [--archive NAME | --loose] [--wait SECONDS]", RunEnable},
    {"disable", "disable DIR PATTERN... [--archive NAME | --loose] [--wait SECONDS]", RunDisable},
    {"toggle", "toggle DIR PATTERN... [--archive NAME | --loose] [--wait SECONDS]", RunToggle},
    {"export", "export DIR FILE.BRL [--read-invalid]", RunExport},
    {"import",
     "import FILE.BRL [--folder DIR [--format table|tsv|csv|json]] [--dry-run] [--wait SECONDS]",
     RunImport},
    {"show", "show FILE.BRL [--folder DIR] [--format table|tsv|csv|json]", RunShow},
    {"duplicates", "duplicates DIR [--format table|tsv|csv|json] [--read-invalid]", RunDuplicates},
    {"undo", "undo [--count N] [--wait SECONDS]", RunUndo},
    {"history", "history [--format table|tsv|csv|json]", RunHistory},
};

void PrintHelp(FILE* To) {
  std::fprintf(To,
               "Usage: brieflist-cli COMMAND [ARGUMENTS]\n"
               "Catalogues and switches the missions of a Delta Force or Delta Force 2 folder.\n"
               "\nCommands:\n");
  for (const Command& c : kCommands) std::fprintf(To, "  brieflist-cli %s\n", c.Usage);
  std::fprintf(To,
               "\n  --help     show this help\n"
               "  --version  show the version\n"
               "\nimport --folder DIR applies a list saved on any computer to the missions of\n"
               "DIR, found by archive and file name (letter case ignored); it goes on past\n"
               "missing rows, lists them on stderr as 'missing: ARCHIVE: FILENAME' and exits\n"
               "with 1 when a row was missing, ambiguous or failed. show --folder DIR says\n"
               "what such an import would do with each row.\n"
               "\nCommands that switch missions or undo wait while another program writes the\n"
               "undo journal, saying so on stderr after a second; after 30 seconds (--wait\n"
               "SECONDS) they give up with 1, changing nothing.\n"
               "\nOptions may stand before or after the arguments. Output is UTF-8.\n"
               "Exit status: 0 done, 1 failed (see the message), 2 usage error.\n");
}

}  // namespace
}  // namespace brieflist::cli

int main(int argc, char** argv) {
  using namespace brieflist::cli;
  brieflist::PrepareHeapForLargeCatalogues();
  brieflist::UseUtf8StandardStreams();
  std::string argumentError;
  const auto arguments = brieflist::ProgramArguments(argc, argv, argumentError);
  if (!arguments) return UsageError(argumentError);
  const std::vector<std::string>& args = *arguments;
  if (args.empty()) return UsageError("no command given");
  if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    PrintHelp(stdout);
    return kExitOk;
  }
  if (args[0] == "--version") {
    std::printf("brieflist-cli %s\n", BRIEFLIST_VERSION);
    return kExitOk;
  }
  for (const Command& c : kCommands) {
    if (args[0] != c.Name) continue;
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    for (const std::string& a : rest) {
      if (a == "--help") {
        std::printf("Usage: brieflist-cli %s\n", c.Usage);
        return kExitOk;
      }
    }
    return c.Run(rest, StdoutSink());
  }
  return UsageError("unknown command '" + args[0] + "'");
}
