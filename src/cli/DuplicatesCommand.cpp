// duplicates: the file names that more than one mission of a folder carries.
#include "catalogue/DuplicateNames.h"
#include "cli/CliArgs.h"
#include "cli/CliCatalogue.h"
#include "cli/CliHost.h"
#include "cli/Commands.h"
#include "cli/Output.h"
#include "platform/Windows1252.h"

namespace brieflist::cli {
namespace {

std::string RenderGroupsJson(const CatalogueState& State, const DuplicateNames& Found) {
  std::string out = "[";
  for (size_t g = 0; g < Found.Groups.size(); ++g) {
    const DuplicateName& group = Found.Groups[g];
    out += g == 0 ? "\n  {\"FileName\": " : ",\n  {\"FileName\": ";
    AppendJsonString(out, NativeNameToUtf8(group.FileName));
    out += ", \"Count\": " + std::to_string(group.Rows.size()) + ", \"Missions\": [";
    for (size_t i = 0; i < group.Rows.size(); ++i) {
      const MissionEntry& row = State.Missions[static_cast<size_t>(group.Rows[i])];
      out += i == 0 ? "{\"FileName\": " : ", {\"FileName\": ";
      AppendJsonString(out, NativeNameToUtf8(row.FileName));
      out += ", \"SourceFile\": ";
      AppendJsonString(out, NativeNameToUtf8(row.SourceFile));
      out += ", \"DataOffset\": " + std::to_string(row.DataOffset) + "}";
    }
    out += "]}";
  }
  out += Found.Groups.empty() ? "]\n" : "\n]\n";
  return out;
}

}  // namespace

int RunDuplicates(const std::vector<std::string>& Args) {
  std::string error;
  const auto args = ParseArgs(Args, {"--format"}, {"--read-invalid"}, error);
  if (!args) return UsageError(error);
  if (args->Positional.size() != 1) return UsageError("duplicates takes one folder");
  OutputFormat format = OutputFormat::Table;
  if (const auto text = args->Value("--format"); text && !ParseOutputFormat(*text, format))
    return UsageError("unknown format " + *text);

  auto files = MakeNativeFileSystem();
  CliHost host(args->Has("--read-invalid"));
  CatalogueState state;
  RefreshReport report;
  if (!LoadCatalogue(state, *files, host, args->Positional[0], &report)) return kExitFailed;
  const DuplicateNames found = FindDuplicateNames(state);

  std::string out;
  if (format == OutputFormat::Json) {
    out = RenderGroupsJson(state, found);
  } else {
    TextTable table;
    table.Titles = {"FileName", "Count", "SourceFile", "DataOffset"};
    for (const DuplicateName& group : found.Groups) {
      for (const int32_t index : group.Rows) {
        const MissionEntry& row = state.Missions[static_cast<size_t>(index)];
        table.Rows.push_back({NativeNameToUtf8(row.FileName), std::to_string(group.Rows.size()),
                              NativeNameToUtf8(row.SourceFile), std::to_string(row.DataOffset)});
      }
    }
    if (format != OutputFormat::Table)
      out = RenderText(table, format);
    else if (found.Groups.empty())
      out = "No duplicate names.\n";
    else
      out = RenderAligned(table) + std::to_string(found.Groups.size()) + " duplicate names\n";
  }
  if (!WriteStdout(out)) {
    PrintError("cannot write the output");
    return kExitFailed;
  }
  if (ReportUnread(report.Problems, "names are not compared with the missions of"))
    return kExitFailed;
  return kExitOk;
}

}  // namespace brieflist::cli
