#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "catalogue/CatalogueState.h"

namespace brieflist {

// A FileName held by more than one catalogue row, letter case ignored.
struct DuplicateName {
  std::string FileName;              // as the first of its rows spells it
  std::vector<int32_t> Rows;         // catalogue indices, in catalogue order
  std::vector<std::string> Sources;  // the SourceFile of each of those rows
};

struct DuplicateNames {
  std::vector<DuplicateName> Groups;  // in the order of each group's first row
  std::vector<int32_t> GroupOfRow;    // per catalogue row: its group, or -1 when its name is unique
};

// Every FileName that appears more than once in rows 0..LastMission, whether packed in two
// archives, packed twice in one, or packed and loose.
DuplicateNames FindDuplicateNames(const CatalogueState& State);

// The SourceFiles of a group, one per line, for a tooltip.
std::string DuplicateSourcesText(const DuplicateName& Group);

}  // namespace brieflist
