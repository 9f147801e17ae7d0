#pragma once

#include <QString>
#include <vector>

namespace brieflist {

class CatalogueModel;

// The grid rows Rows (shown row numbers, in the order given) as tab-separated text for the
// clipboard: the title line, then one line per row, each ending with a line break. A tab or
// line break inside a cell becomes a space, so every row stays one line of as many fields as
// there are titles.
QString RowsAsText(const CatalogueModel& Model, const std::vector<int>& Rows);

}  // namespace brieflist
