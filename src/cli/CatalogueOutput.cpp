#include "cli/CatalogueOutput.h"

#include "catalogue/GridText.h"
#include "platform/Windows1252.h"

namespace brieflist::cli {
namespace {

// Names come from the system (loose files, paths) or from inside archives; both are shown the
// way the system would show a name.
std::string CellUtf8(const MissionEntry& Row, int Column, const MapNameLookup* Resolve) {
  const std::string raw = GridCellText(Row, Column, Resolve);
  return Column == GridColumn::FileName ? NativeNameToUtf8(raw) : Windows1252ToUtf8(raw);
}

std::vector<JsonField> MissionJson(const MissionEntry& Row, const MapNameLookup* Resolve) {
  return {
      JsonField::Str("FileName", NativeNameToUtf8(Row.FileName)),
      JsonField::Str("MissionName", CellUtf8(Row, GridColumn::MissionName, Resolve)),
      JsonField::Str("Creator", Windows1252ToUtf8(Row.Creator)),
      JsonField::Str("MissionType", MissionTypeText(Row.MissionTypeFlags)),
      JsonField::Bool("Enabled", Row.Enabled != kFalse),
      JsonField::Bool("Modified", Row.Modified != kFalse),
      JsonField::Str("MissionTypeFlags", Windows1252ToUtf8(Row.MissionTypeFlags)),
      JsonField::Int("GameVersion", Row.GameVersion),
      JsonField::Bool("External", Row.DataOffset == 0),
      JsonField::Str("Terrain", Windows1252ToUtf8(Row.Terrain)),
      JsonField::Str("SourceFile", NativeNameToUtf8(Row.SourceFile)),
      JsonField::Int("DataOffset", Row.DataOffset),
  };
}

}  // namespace

std::string RenderMissions(const std::vector<MissionEntry>& Rows, OutputFormat Format,
                           const MapNameLookup* Resolve) {
  if (Format == OutputFormat::Json) {
    std::vector<std::vector<JsonField>> objects;
    objects.reserve(Rows.size());
    for (const MissionEntry& row : Rows) objects.push_back(MissionJson(row, Resolve));
    return RenderJson(objects);
  }
  TextTable table;
  table.Titles.assign(kGridTitles.begin(), kGridTitles.end());
  table.Titles.emplace_back("SourceFile");
  table.Titles.emplace_back("DataOffset");
  table.Rows.reserve(Rows.size());
  for (const MissionEntry& row : Rows) {
    std::vector<std::string> cells;
    cells.reserve(kGridColumns + 2);
    for (int c = 0; c < kGridColumns; ++c) cells.push_back(CellUtf8(row, c, Resolve));
    cells.push_back(NativeNameToUtf8(row.SourceFile));
    cells.push_back(std::to_string(row.DataOffset));
    table.Rows.push_back(std::move(cells));
  }
  return RenderText(table, Format);
}

std::string RenderMapNames(const std::vector<MapNameEntry>& MapNames, OutputFormat Format) {
  if (Format == OutputFormat::Json) {
    std::vector<std::vector<JsonField>> objects;
    for (size_t i = 1; i < MapNames.size(); ++i)
      objects.push_back({JsonField::Str("Key", Windows1252ToUtf8(MapNames[i].Key)),
                         JsonField::Str("Text", Windows1252ToUtf8(MapNames[i].Text))});
    return RenderJson(objects);
  }
  TextTable table;
  table.Titles = {"Key", "Text"};
  for (size_t i = 1; i < MapNames.size(); ++i)
    table.Rows.push_back({Windows1252ToUtf8(MapNames[i].Key), Windows1252ToUtf8(MapNames[i].Text)});
  return RenderText(table, Format);
}

}  // namespace brieflist::cli
