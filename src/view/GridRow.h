#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <limits>

#include "catalogue/GridText.h"

namespace brieflist {

// One data row of the grid: the catalogue row it shows and the texts of its cells. The index
// lets a command act on exactly the clicked mission, whatever order the grid is in.
struct GridRow {
  int32_t Index = -1;  // -1 for the empty row the grid shows before the first fill
  std::array<QString, kGridColumns> Cells;

  // Kept with the row so that a filter can show other rows quickly: each cell's priced advance
  // for the column widths (see ColumnWidths.h; NaN until taken), and the texts a filter word is
  // looked for in, letter case folded (empty until a filter asks; see GridFilter.h).
  std::array<double, kGridColumns> Prices = Unpriced();
  QString Searched;

  static constexpr std::array<double, kGridColumns> Unpriced() {
    std::array<double, kGridColumns> prices{};
    prices.fill(std::numeric_limits<double>::quiet_NaN());
    return prices;
  }
};

}  // namespace brieflist
