#pragma once

#include <QString>
#include <QStringView>
#include <cstddef>
#include <vector>

#include "view/GridRow.h"

namespace brieflist {

// True when Text reads as a decimal number (spaces around it, a sign, digits with an optional
// fraction and exponent); Value receives it.
bool ReadsAsNumber(QStringView Text, double& Value);

// What one cell sorts by.
struct SortKey {
  bool IsNumber = false;
  double Number = 0;
  QString Folded;  // the text with letter case folded, for cells that are not numbers
};

SortKey MakeSortKey(const QString& Cell);

// Two numbers compare as numbers, two texts as text ignoring letter case; a number comes before
// a text, so a column that mixes them still has one consistent order. Negative, 0 or positive.
int CompareSortKeys(const SortKey& A, const SortKey& B);

// The order of Rows sorted by Column: positions into Rows. Rows that compare equal keep their
// order, in both directions.
std::vector<size_t> SortOrder(const std::vector<GridRow>& Rows, int Column, bool Ascending);

}  // namespace brieflist
