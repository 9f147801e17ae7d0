#include "cli/CatalogueOutput.h"

#include "catalogue/GridText.h"

namespace brieflist::cli {

TypedTable MissionTable(const std::vector<MissionEntry>& Rows, const MapNameLookup* Resolve,
                        const ExtraColumn* Extra) {
  using enum ColumnKind;
  TypedTable table;
  for (const char* title : kGridTitles) table.Columns.push_back({title});
  table.Columns[GridColumn::Enabled].Kind = Boolean;
  table.Columns[GridColumn::Modified].Kind = Boolean;
  table.Columns[GridColumn::DF] = {"DF", Integer, "GameVersion"};
  table.Columns[GridColumn::External].Kind = Boolean;
  table.Columns.push_back({"SourceFile"});
  table.Columns.push_back({"DataOffset", Integer});
  if (Extra) table.Columns.push_back({Extra->Title});
  table.Rows = Rows.size();
  // Cells go straight from the rows to the output: most texts are plain ASCII and need neither
  // a copy nor a conversion. The type text's room is reused from row to row.
  table.Row = [&Rows, Resolve, Extra, type = std::string()](size_t R, RowWriter& Out) mutable {
    const MissionEntry& row = Rows[R];
    Out.Name(row.FileName);
    if (Resolve) {
      Out.Text1252(Resolve->LookUp(row.MissionName));
    } else {
      Out.Text1252(row.MissionName);
    }
    Out.Text1252(row.Creator);
    type.clear();
    AppendMissionTypeText(type, row.MissionTypeFlags);
    Out.Text1252(type);
    Out.Bool(row.Enabled != kFalse);
    Out.Bool(row.Modified != kFalse);
    Out.Text1252(row.MissionTypeFlags);
    Out.Int(row.GameVersion);
    Out.Bool(row.DataOffset == 0);
    Out.Text1252(row.Terrain);
    Out.Name(row.SourceFile);
    Out.Int(row.DataOffset);
    if (Extra) Out.Text(R < Extra->Cells.size() ? Extra->Cells[R] : std::string());
  };
  return table;
}

TypedTable MapNameTable(const std::vector<MapNameEntry>& MapNames) {
  TypedTable table{{{"Key"}, {"Text"}}, MapNames.empty() ? 0 : MapNames.size() - 1, {}};
  // The first entry is the table's placeholder.
  table.Row = [&MapNames](size_t R, RowWriter& Out) {
    Out.Text1252(MapNames[R + 1].Key);
    Out.Text1252(MapNames[R + 1].Text);
  };
  return table;
}

}  // namespace brieflist::cli
