#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <vector>

#include "view/GridRow.h"

namespace brieflist {

// Measures grid entries in one font. An entry is a title or a cell text, with one trailing space
// except in the last column; its display width is its advance in pixels, rounded up so that it
// never needs to be cut short.
//
// Measuring every cell exactly is too slow for a full catalogue, so each text is first priced by
// adding up the advances of its characters from a table. With kerning off (the grid's font has
// it off) that sum is the text's advance, except for characters that shaping treats specially
// (ligature starters, soft hyphens, controls, marks, characters from a fallback font): texts with
// those are always measured exactly. The widest priced texts are measured too, as a check; when
// the check fails the font does not add up and every distinct text of the column is measured,
// as it is in a font with kerning on.
class EntryMeasure {
 public:
  explicit EntryMeasure(const QFont& Font);

  const QFont& Font() const { return Font_; }

  // The exact display width of one entry.
  int ExactWidth(const QString& Text, bool TrailingSpace) const;

  // The display width of the widest of Entries.
  int WidestEntry(const std::vector<const QString*>& Entries, bool TrailingSpace);
  // The same, with each entry's PricedAdvance given, so that prices taken once serve many
  // measurements (a filter shows other rows at every keystroke).
  int WidestPricedEntry(const std::vector<const QString*>& Entries,
                        const std::vector<double>& Prices, bool TrailingSpace);

  // The summed advance of Text's characters, or a negative value when Text has a character
  // that does not add up and must be measured exactly.
  double PricedAdvance(const QString& Text);

 private:
  struct CharPrice {
    double Advance = -1;  // below 0 while unknown
    bool Additive = false;
  };
  const CharPrice& Price(char16_t Unit);
  int WidestMeasuredExactly(const std::vector<const QString*>& Entries, bool TrailingSpace) const;

  QFont Font_;
  QFontMetricsF Metrics_;
  double SpaceAdvance_;
  std::vector<CharPrice> Prices_;
};

// Takes the price of every cell of Rows once (GridRow::Prices), for the measurements after.
void PriceCells(EntryMeasure& Measure, std::vector<GridRow>& Rows);

// The display width of each column's widest entry, titles included; the last title's column
// takes its entries without the trailing space.
std::vector<int> WidestEntries(EntryMeasure& Measure, const QStringList& Titles,
                               const std::vector<GridRow>& Rows);

}  // namespace brieflist
