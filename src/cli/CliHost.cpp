#include "cli/CliHost.h"

#include <cstdio>

#include "cli/Output.h"
#include "platform/Windows1252.h"

namespace brieflist::cli {
namespace {

void PrintLines(const char* Prefix, const std::string& Text) {
  // Engine texts join lines with CR LF; a terminal wants one prefix per line.
  std::string line;
  const auto flush = [&] {
    std::fprintf(stderr, "brieflist-cli: %s%s\n", Prefix,
                 TerminalSafe(NativeNameToUtf8(line)).c_str());
    line.clear();
  };
  for (size_t i = 0; i < Text.size(); ++i) {
    if (Text[i] == '\r' && i + 1 < Text.size() && Text[i + 1] == '\n') continue;
    if (Text[i] == '\n') {
      flush();
    } else {
      line += Text[i];
    }
  }
  flush();
}

}  // namespace

bool CliHost::AskYesNo(const std::string& Text) {
  PrintLines("warning: ", Text);
  if (ReadInvalid_) {
    std::fprintf(stderr, "brieflist-cli: warning: answered No: reading it anyway\n");
    return false;
  }
  std::fprintf(stderr, "brieflist-cli: warning: answered Yes: skipped\n");
  return true;
}

void PrintProblems(std::span<const Problem> Problems, std::span<const RefreshReport> Refreshes) {
  for (const RefreshReport& report : Refreshes) PrintRefreshWarnings(report);
  for (const Problem& p : Problems)
    for (const std::string& line : ProblemLines(p))
      std::fprintf(stderr, "brieflist-cli: %s\n", TerminalSafe(NativeNameToUtf8(line)).c_str());
}

void PrintRefreshWarnings(const RefreshReport& Report) {
  for (const IoError& problem : Report.Problems)
    PrintLines("warning: ", "cannot read " + problem.Describe());
  for (const SameFile& same : Report.SameFiles)
    PrintLines("warning: ", same.Path + ": the same file as " + same.ReadAs +
                                ", whose missions are listed once, under that name");
}

void PrintError(const std::string& Text) {
  PrintLines("error: ", Text);
}

void PrintMessage(const std::string& Text) {
  PrintLines("", Text);
}

void PrintWarning(const std::string& Text) {
  PrintLines("warning: ", Text);
}

}  // namespace brieflist::cli
