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

bool WriteMissions(const std::vector<MissionEntry>& Rows, OutputFormat Format,
                   const MapNameLookup* Resolve, const TextSink& Sink) {
  if (Format == OutputFormat::Json) {
    std::vector<std::vector<JsonField>> objects;
    objects.reserve(Rows.size());
    for (const MissionEntry& row : Rows) objects.push_back(MissionJson(row, Resolve));
    return Sink(RenderJson(objects));
  }
  std::vector<std::string> titles(kGridTitles.begin(), kGridTitles.end());
  titles.emplace_back("SourceFile");
  titles.emplace_back("DataOffset");
  const auto cells = [&](const MissionEntry& row, std::vector<std::string>& out) {
    out.clear();
    for (int c = 0; c < kGridColumns; ++c) out.push_back(CellUtf8(row, c, Resolve));
    out.push_back(NativeNameToUtf8(row.SourceFile));
    out.push_back(std::to_string(row.DataOffset));
  };
  if (Format == OutputFormat::Table) {
    TextTable table;
    table.Titles = std::move(titles);
    table.Rows.resize(Rows.size());
    for (size_t r = 0; r < Rows.size(); ++r) cells(Rows[r], table.Rows[r]);
    return Sink(RenderAligned(table));
  }
  DelimitedWriter writer(Format, Sink);
  writer.Line(titles);
  std::vector<std::string> row;
  for (const MissionEntry& mission : Rows) {
    cells(mission, row);
    writer.Line(row);
  }
  return writer.Finish();
}

std::string RenderMissions(const std::vector<MissionEntry>& Rows, OutputFormat Format,
                           const MapNameLookup* Resolve) {
  std::string out;
  WriteMissions(Rows, Format, Resolve, StringSink(out));
  return out;
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
