#include "cli/CliCatalogue.h"

#include <filesystem>
#include <system_error>

#include "catalogue/RefreshCatalogue.h"
#include "cli/CliHost.h"
#include "platform/FolderListing.h"
#include "platform/NativeNames.h"
#include "platform/Windows1252.h"

namespace brieflist::cli {

bool CheckFolder(FileSystem& Files, const std::string& Folder) {
  const auto problem = FolderProblem(Files, Folder, "not a folder");
  if (problem) PrintError(problem->Describe());
  return !problem;
}

bool LoadCatalogue(CatalogueState& State, FileSystem& Files, EngineHost& Host,
                   const std::string& Folder, RefreshReport* Report) {
  if (!CheckFolder(Files, Folder)) return false;
  State.GameDirectory = Folder;
  RefreshReport report = RefreshCatalogue(State, Platform{Files, Host});
  PrintRefreshWarnings(report);
  // An empty list is a right answer, but for the wrong folder more often than not.
  if (report.NoGameFiles) PrintWarning(Folder + " holds no missions: no .pff and no .bms files");
  if (Report) *Report = std::move(report);
  return true;
}

bool ReportUnread(const std::vector<IoError>& Problems, const std::string& Text) {
  if (Problems.empty()) return false;
  const size_t n = Problems.size();
  PrintError(Text + " " + std::to_string(n) + (n == 1 ? " file" : " files") +
             " that could not be read (named above)");
  return true;
}

std::string AbsoluteFolder(const std::string& Folder) {
  std::string out = Folder;
  std::error_code ec;
  const auto absolute = std::filesystem::absolute(NativePath(Folder), ec);
  if (!ec) NameFromNative(absolute, out);
  return out;
}

std::string CatalogueCounts(const CatalogueState& State) {
  size_t enabled = 0;
  for (const MissionEntry& row : State.Missions) enabled += row.Enabled != kFalse ? 1 : 0;
  return std::to_string(State.Missions.size()) + " missions, " + std::to_string(enabled) +
         " enabled, " + std::to_string(State.Missions.size() - enabled) + " disabled";
}

bool MatchesPattern(const std::string& Name, const std::string& Pattern) {
  const std::string name = UpperCase1252(Name);
  const std::string pattern = UpperCase1252(Pattern);
  // Greedy match that backtracks to the last "*" only: linear in practice, never exponential.
  size_t n = 0, p = 0;
  size_t star = std::string::npos, resume = 0;
  while (n < name.size()) {
    // A "*" of the pattern is always the wildcard, also where the name holds a "*" itself.
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      resume = n;
    } else if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
      ++n;
      ++p;
    } else if (star != std::string::npos) {
      p = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

}  // namespace brieflist::cli
