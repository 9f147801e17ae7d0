#include "view/FillGrid.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "catalogue/DuplicateNames.h"
#include "catalogue/GridText.h"
#include "catalogue/MapNames.h"
#include "platform/qt/QtText.h"
#include "view/ColumnWidths.h"
#include "view/MissionGrid.h"

namespace brieflist {
namespace {

constexpr int kLoadColumns = 9;

QString CellText(const MissionEntry& Row, int Column, const MapNameLookup* Resolve) {
  // Texts that repeat on every row share one string.
  static const QString kTrueText = QStringLiteral("True");
  static const QString kFalseText = QStringLiteral("False");
  switch (Column) {
    case GridColumn::Enabled:
      return Row.Enabled != kFalse ? kTrueText : kFalseText;
    case GridColumn::Modified:
      return Row.Modified != kFalse ? kTrueText : kFalseText;
    case GridColumn::External:
      return Row.DataOffset == 0 ? kTrueText : kFalseText;
    case GridColumn::FileName:
      return FileNameCellText(Row);
    default:
      return FromWindows1252(GridCellText(Row, Column, Resolve));
  }
}

}  // namespace

QString FileNameCellText(const MissionEntry& Mission) {
  // A loose file's name comes from the folder listing, a packed one's from the archive.
  return Mission.DataOffset == 0 ? FromNativeName(Mission.FileName)
                                 : FromWindows1252(Mission.FileName);
}

QStringList GridTitles(int Columns) {
  QStringList titles;
  for (int c = 0; c < Columns && c < kGridColumns; ++c)
    titles.push_back(QString::fromLatin1(kGridTitles[static_cast<size_t>(c)]));
  return titles;
}

void WriteGridCells(const MissionEntry& Mission, const MapNameLookup* Resolve,
                    std::array<QString, kGridColumns>& Cells) {
  for (int c = 0; c < kGridColumns; ++c)
    Cells[static_cast<size_t>(c)] = CellText(Mission, c, Resolve);
}

std::vector<GridRow> GridRowsOf(const CatalogueState& State, bool ResolveMapNames) {
  std::optional<MapNameLookup> lookup;
  if (ResolveMapNames) lookup.emplace(State.MapNames);
  const MapNameLookup* resolve = lookup ? &*lookup : nullptr;

  const size_t count =
      State.LastMission < 0 ? 0 : std::min(State.Missions.size(), size_t(State.LastMission) + 1);
  std::vector<GridRow> rows(count);
  for (size_t r = 0; r < count; ++r) {
    const MissionEntry& mission = State.Missions[r];
    rows[r].Index = static_cast<int32_t>(r);
    WriteGridCells(mission, resolve, rows[r].Cells);
  }
  return rows;
}

void FillGrid(const CatalogueState& State, bool ResolveMapNames, MissionGrid& FG,
              const GridFilter& Filter) {
  CatalogueModel& model = FG.Model();
  std::vector<GridRow> rows = GridRowsOf(State, ResolveMapNames);
  PriceCells(FG.Measure(), rows);
  model.Reset(GridTitles(kGridColumns), std::move(rows), Filter, ResolveMapNames);
  // Every row, shown or not: a later filter shows other rows without moving the columns.
  FG.SetColumnWidths(WidestEntries(FG.Measure(), model.Titles(), model.AllRows()));

  const DuplicateNames duplicates = FindDuplicateNames(State);
  std::vector<QString> tips(duplicates.GroupOfRow.size());
  for (const DuplicateName& group : duplicates.Groups) {
    const QString tip = FromNativeName(DuplicateSourcesText(group));
    for (const int32_t row : group.Rows) tips[static_cast<size_t>(row)] = tip;
  }
  model.SetDuplicateNames(static_cast<int>(duplicates.Groups.size()), std::move(tips));
}

void FilterGrid(const GridFilter& Filter, MissionGrid& FG) {
  CatalogueModel& model = FG.Model();
  model.ApplyFilter(Filter);
}

void ShowLoadTitles(MissionGrid& FG) {
  QStringList titles = GridTitles(kLoadColumns);
  std::vector<GridRow> rows(1);
  const std::vector<int> widths = WidestEntries(FG.Measure(), titles, {});
  FG.Model().Reset(std::move(titles), std::move(rows));
  FG.Model().SetDuplicateNames(0, {});
  FG.SetColumnWidths(widths);
}

}  // namespace brieflist
