#pragma once

#include <QStringList>
#include <vector>

#include "catalogue/CatalogueState.h"
#include "view/GridFilter.h"
#include "view/GridRow.h"

namespace brieflist {

class MapNameLookup;
class MissionGrid;

// The titles of the first Columns columns (ten from the first fill, nine at window load).
QStringList GridTitles(int Columns);

// The text of a mission's "FileName" cell.
QString FileNameCellText(const MissionEntry& Mission);

// Writes the ten cell texts of Mission; with Resolve, the mission name goes through it.
void WriteGridCells(const MissionEntry& Mission, const MapNameLookup* Resolve,
                    std::array<QString, kGridColumns>& Cells);

// The grid rows of the catalogue, in catalogue order. With ResolveMapNames, the mission names
// go through the map-name table.
std::vector<GridRow> GridRowsOf(const CatalogueState& State, bool ResolveMapNames);

// Rebuilds the whole grid from the catalogue: ten titles, one row per mission in catalogue
// order (any sort is dropped), every cell, the tooltips of duplicate names, and each column as
// wide as its widest entry, shown or not. Filter hides rows; the catalogue keeps them all.
void FillGrid(const CatalogueState& State, bool ResolveMapNames, MissionGrid& FG,
              const GridFilter& Filter = {});

// Shows the rows Filter lets through, in the grid's current order. The columns keep their
// widths, so nothing moves under the pointer while the filter is typed.
void FilterGrid(const GridFilter& Filter, MissionGrid& FG);

// The grid as the window loads: nine titles, one empty row, title widths.
void ShowLoadTitles(MissionGrid& FG);

}  // namespace brieflist
