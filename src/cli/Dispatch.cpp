// The command line's first word picks the command; help, the version and unknown commands are
// answered here.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "Version.h"
#include "cli/Commands.h"

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
    {"history", "history [--missions] [--count N] [--since DATE] [--format table|tsv|csv|json]",
     RunHistory},
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
               "Paths are printed absolute. A message that ends a command starts with\n"
               "'brieflist-cli: error: '. On a terminal, long work shows 'N of M' on stderr.\n"
               "Exit status: 0 done, 1 failed (see the message), 2 usage error.\n");
}

// Edits (insertions, deletions, substitutions) that turn A into B.
size_t EditDistance(const std::string& A, const std::string& B) {
  std::vector<size_t> row(B.size() + 1);
  for (size_t j = 0; j <= B.size(); ++j) row[j] = j;
  for (size_t i = 1; i <= A.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= B.size(); ++j) {
      const size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (A[i - 1] == B[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[B.size()];
}

}  // namespace

int RunCommandLine(const std::vector<std::string>& Args, const TextSink& Out) {
  if (Args.empty()) return UsageError("no command given");
  if (Args[0] == "--help" || Args[0] == "-h" || Args[0] == "help") {
    PrintHelp(stdout);
    return kExitOk;
  }
  if (Args[0] == "--version") {
    std::printf("brieflist-cli %s\n", BRIEFLIST_VERSION);
    return kExitOk;
  }
  for (const Command& c : kCommands) {
    if (Args[0] != c.Name) continue;
    const std::vector<std::string> rest(Args.begin() + 1, Args.end());
    for (const std::string& a : rest) {
      if (a == "--") break;
      if (a == "--help" || a == "-h") {
        std::printf("Usage: brieflist-cli %s\n", c.Usage);
        return kExitOk;
      }
    }
    return c.Run(rest, Out);
  }
  // A typo of a command is named with the command it is nearest to.
  const Command* nearest = nullptr;
  size_t distance = 3;
  for (const Command& c : kCommands) {
    const size_t d = EditDistance(Args[0], c.Name);
    if (d < distance) distance = d, nearest = &c;
  }
  std::string text = "unknown command '" + Args[0] + "'";
  if (nearest) text += "; did you mean '" + std::string(nearest->Name) + "'?";
  return UsageError(text);
}

}  // namespace brieflist::cli
