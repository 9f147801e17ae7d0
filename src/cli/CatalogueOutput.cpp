#include "cli/CatalogueOutput.h"

#include <array>
#include <charconv>

#include "catalogue/GridText.h"
#include "platform/Windows1252.h"

namespace brieflist::cli {
namespace {

std::vector<JsonField> MissionJson(const MissionEntry& Row, const MapNameLookup* Resolve) {
  return {
      JsonField::Str("FileName", NativeNameToUtf8(Row.FileName)),
      JsonField::Str("MissionName", Windows1252ToUtf8(Resolve ? Resolve->LookUp(Row.MissionName)
                                                              : Row.MissionName)),
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

// Room for the cells that are made rather than read, reused from row to row.
struct CellScratch {
  std::string Type;
  std::array<char, 24> Version;
  std::array<char, 24> Offset;
};

std::string_view NumberText(int64_t Value, std::array<char, 24>& Room) {
  const auto end = std::to_chars(Room.data(), Room.data() + Room.size(), Value).ptr;
  return {Room.data(), static_cast<size_t>(end - Room.data())};
}

// Hands the twelve cells of a row to Emit(raw text, whether it is a system name), in order: the
// ten grid columns, then SourceFile and DataOffset.
template <typename EmitCell>
void EmitCells(const MissionEntry& Row, const MapNameLookup* Resolve, CellScratch& Scratch,
               EmitCell Emit) {
  Emit(Row.FileName, true);
  if (Resolve) {
    Emit(Resolve->LookUp(Row.MissionName), false);
  } else {
    Emit(Row.MissionName, false);
  }
  Emit(Row.Creator, false);
  Scratch.Type.clear();
  AppendMissionTypeText(Scratch.Type, Row.MissionTypeFlags);
  Emit(Scratch.Type, false);
  Emit(TrueFalseText(Row.Enabled != kFalse), false);
  Emit(TrueFalseText(Row.Modified != kFalse), false);
  Emit(Row.MissionTypeFlags, false);
  Emit(NumberText(Row.GameVersion, Scratch.Version), false);
  Emit(ExternalText(Row), false);
  Emit(Row.Terrain, false);
  Emit(Row.SourceFile, true);
  Emit(NumberText(Row.DataOffset, Scratch.Offset), false);
}

std::string ToUtf8(std::string_view Raw, bool Native) {
  return Native ? NativeNameToUtf8(Raw) : Windows1252ToUtf8(Raw);
}

}  // namespace

bool WriteMissions(const std::vector<MissionEntry>& Rows, OutputFormat Format,
                   const MapNameLookup* Resolve, const TextSink& Sink, const ExtraColumn* Extra) {
  const auto extraCell = [&](size_t Row) {
    return Row < Extra->Cells.size() ? Extra->Cells[Row] : std::string();
  };
  if (Format == OutputFormat::Json) {
    std::vector<std::vector<JsonField>> objects;
    objects.reserve(Rows.size());
    for (size_t r = 0; r < Rows.size(); ++r) {
      objects.push_back(MissionJson(Rows[r], Resolve));
      if (Extra) objects.back().push_back(JsonField::Str(Extra->Title, extraCell(r)));
    }
    return Sink(RenderJson(objects));
  }
  std::vector<std::string> titles(kGridTitles.begin(), kGridTitles.end());
  titles.emplace_back("SourceFile");
  titles.emplace_back("DataOffset");
  if (Extra) titles.push_back(Extra->Title);
  if (Format == OutputFormat::Table) {
    TextTable table;
    table.Titles = std::move(titles);
    table.Rows.resize(Rows.size());
    CellScratch scratch;
    for (size_t r = 0; r < Rows.size(); ++r) {
      EmitCells(Rows[r], Resolve, scratch, [&](std::string_view Raw, bool Native) {
        table.Rows[r].push_back(ToUtf8(Raw, Native));
      });
      if (Extra) table.Rows[r].push_back(extraCell(r));
    }
    return Sink(RenderAligned(table));
  }
  // Cells go straight from the rows into the output: most texts are plain ASCII and need
  // neither a copy nor a conversion.
  DelimitedWriter writer(Format, Sink);
  writer.Line(titles);
  CellScratch scratch;
  for (size_t r = 0; r < Rows.size(); ++r) {
    EmitCells(Rows[r], Resolve, scratch, [&](std::string_view Raw, bool Native) {
      if (writer.PlainCell(Raw)) return;
      if (IsAscii(Raw)) {
        writer.Cell(Raw);
      } else {
        writer.Cell(ToUtf8(Raw, Native));
      }
    });
    if (Extra) writer.Cell(extraCell(r));
    writer.EndLine();
  }
  return writer.Finish();
}

std::string RenderMissions(const std::vector<MissionEntry>& Rows, OutputFormat Format,
                           const MapNameLookup* Resolve, const ExtraColumn* Extra) {
  std::string out;
  WriteMissions(Rows, Format, Resolve, StringSink(out), Extra);
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
