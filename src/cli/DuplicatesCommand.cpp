// duplicates: the file names that more than one mission of a folder carries.
#include "catalogue/DuplicateNames.h"
#include "cli/CliCatalogue.h"
#include "cli/CommandSetup.h"
#include "cli/Commands.h"
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

int RunDuplicates(const std::vector<std::string>& Args, const TextSink& Out) {
  CommandSetup c;
  if (const int usage =
          c.Parse(Args, {{}, {"--read-invalid"}, 1, 1, "duplicates takes one folder", false, true}))
    return usage;
  if (!c.Load()) return kExitFailed;
  const DuplicateNames found = FindDuplicateNames(c.State);

  bool written = false;
  if (c.Format == OutputFormat::Json) {
    written = Out(RenderGroupsJson(c.State, found));
  } else if (c.Format == OutputFormat::Table && found.Groups.empty()) {
    written = Out("No duplicate names.\n");
  } else {
    // A line per mission, its group's name and size repeated.
    std::vector<std::pair<const MissionEntry*, size_t>> rows;
    for (const DuplicateName& group : found.Groups)
      for (const int32_t index : group.Rows)
        rows.emplace_back(&c.State.Missions[static_cast<size_t>(index)], group.Rows.size());
    TypedTable table{{{"FileName"}, {"Count"}, {"SourceFile"}, {"DataOffset"}}, rows.size(), {}};
    table.Row = [&rows](size_t R, RowWriter& Row) {
      Row.Name(rows[R].first->FileName);
      Row.Int(static_cast<int64_t>(rows[R].second));
      Row.Name(rows[R].first->SourceFile);
      Row.Int(rows[R].first->DataOffset);
    };
    written = WriteTable(table, c.Format, Out) &&
              (c.Format != OutputFormat::Table ||
               Out(std::to_string(found.Groups.size()) + " duplicate names\n"));
  }
  if (!Printed(written)) return kExitFailed;
  if (ReportUnread(c.Report.Problems, "names are not compared with the missions of"))
    return kExitFailed;
  return kExitOk;
}

}  // namespace brieflist::cli
