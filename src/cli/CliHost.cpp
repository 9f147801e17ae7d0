#include "cli/CliHost.h"

#include <algorithm>
#include <cstdio>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "cli/Output.h"
#include "platform/Windows1252.h"

namespace brieflist::cli {
namespace {

// Width of the progress line on stderr now; 0 when none is shown. Any other line on stderr
// takes it away first.
int gProgressWidth = 0;

bool IsTerminal(FILE* Stream) {
#ifdef _WIN32
  return _isatty(_fileno(Stream)) != 0;
#else
  return isatty(fileno(Stream)) != 0;
#endif
}

void PrintLines(const char* Prefix, const std::string& Text) {
  ClearProgressLine();
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

void ClearProgressLine() {
  if (gProgressWidth == 0) return;
  std::fprintf(stderr, "\r%*s\r", gProgressWidth, "");
  gProgressWidth = 0;
}

CliHost::CliHost(bool ReadInvalid)
    : ReadInvalid_(ReadInvalid),
      Terminal_(IsTerminal(stderr)),
      StdoutTerminal_(IsTerminal(stdout)),
      Start_(std::chrono::steady_clock::now()) {}

CliHost::~CliHost() {
  ClearProgressLine();
}

bool CliHost::AskYesNo(const std::string& Text) {
  // The one question is whether to skip an archive whose header is not valid; its last line
  // names the file.
  const size_t last = Text.find_last_of('\n');
  const std::string file = last == std::string::npos ? Text : Text.substr(last + 1);
  if (ReadInvalid_) {
    PrintWarning(file + ": not a PFF3 archive; reading it anyway");
    return false;
  }
  PrintWarning("skipped " + file + ": not a PFF3 archive");
  return true;
}

void CliHost::Progress(size_t Done, size_t Total) {
  using namespace std::chrono_literals;
  if (!Terminal_ || Total == 0) return;
  const auto now = std::chrono::steady_clock::now();
  if (now - Start_ < 500ms) return;
  // A few redraws a second are enough to see that it is alive.
  if (Done < Total && gProgressWidth != 0 && now - Drawn_ < 100ms) return;
  Drawn_ = now;
  const int width = std::fprintf(stderr, "\r%zu of %zu", Done, Total) - 1;  // without the "\r"
  if (width < gProgressWidth) std::fprintf(stderr, "%*s", gProgressWidth - width, "");
  gProgressWidth = std::max(width, gProgressWidth);
  std::fflush(stderr);
}

void CliHost::ClearProgress() {
  if (StdoutTerminal_) ClearProgressLine();
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
  // An archive that is not valid has had its line from the skip question already; one cut short
  // is read as far as it goes, and a list of it would look whole without this.
  for (const IoError& damage : Report.Damaged)
    if (damage.Reason == kCutShortArchive)
      PrintLines("warning: ", damage.Path + ": " + damage.Reason +
                                  "; only the missions it still "
                                  "lists are shown");
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
