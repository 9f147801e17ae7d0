#pragma once

#include <QString>
#include <array>
#include <cstdint>

#include "catalogue/GridText.h"

namespace brieflist {

// One data row of the grid: the catalogue row it shows and the texts of its cells. The index
// lets a command act on exactly the clicked mission, whatever order the grid is in.
struct GridRow {
  int32_t Index = -1;  // -1 for the empty row the grid shows before the first fill
  std::array<QString, kGridColumns> Cells;
};

}  // namespace brieflist
