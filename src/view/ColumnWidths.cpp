#include "view/ColumnWidths.h"

#include <QSet>
#include <algorithm>
#include <cmath>

namespace brieflist {
namespace {

// Advances are multiples of 1/64 pixel, so sums are exact in a double; this only absorbs the
// conversion of a fractional advance.
constexpr double kTolerance = 1e-6;

int DisplayWidth(double Advance) {
  return static_cast<int>(std::ceil(Advance - kTolerance));
}

// How many of the widest priced texts are measured to check the prices.
constexpr size_t kChecks = 4;

}  // namespace

EntryMeasure::EntryMeasure(const QFont& Font)
    : Font_(Font),
      Metrics_(Font_),
      SpaceAdvance_(Metrics_.horizontalAdvance(QChar(u' '))),
      Prices_(0x10000) {}

int EntryMeasure::ExactWidth(const QString& Text, bool TrailingSpace) const {
  return DisplayWidth(Metrics_.horizontalAdvance(TrailingSpace ? Text + QChar(u' ') : Text));
}

const EntryMeasure::CharPrice& EntryMeasure::Price(char16_t Unit) {
  CharPrice& price = Prices_[Unit];
  if (price.Advance >= 0) return price;
  const QChar c(Unit);
  price.Advance = Metrics_.horizontalAdvance(c);
  const QChar::Category category = c.category();
  // 'f' starts the common Latin ligatures (fi, fl, ff); the soft hyphen and format characters
  // vanish inside a text; controls and marks are shaped with their neighbours.
  price.Additive = Unit >= 0x20 && Unit != u'f' && !c.isSurrogate() &&
                   category != QChar::Other_Control && category != QChar::Other_Format &&
                   category != QChar::Mark_NonSpacing && category != QChar::Mark_SpacingCombining &&
                   category != QChar::Mark_Enclosing && Metrics_.inFont(c);
  return price;
}

double EntryMeasure::PricedAdvance(const QString& Text) {
  double sum = 0;
  for (const QChar c : Text) {
    const CharPrice& price = Price(c.unicode());
    if (!price.Additive) return -1;
    sum += price.Advance;
  }
  return sum;
}

int EntryMeasure::WidestMeasuredExactly(const std::vector<const QString*>& Entries,
                                        bool TrailingSpace) const {
  QSet<QString> seen;
  int widest = 0;
  for (const QString* text : Entries) {
    if (seen.contains(*text)) continue;
    seen.insert(*text);
    widest = std::max(widest, ExactWidth(*text, TrailingSpace));
  }
  return widest;
}

int EntryMeasure::WidestEntry(const std::vector<const QString*>& Entries, bool TrailingSpace) {
  // With kerning, a text's advance depends on its pairs of characters, not on each alone.
  if (Font_.kerning()) return WidestMeasuredExactly(Entries, TrailingSpace);
  const double space = TrailingSpace ? SpaceAdvance_ : 0;
  double widestPrice = -1;
  std::vector<const QString*> widest;    // distinct texts of the widest price, up to kChecks
  std::vector<const QString*> unpriced;  // texts measured exactly
  for (const QString* text : Entries) {
    const double price = PricedAdvance(*text);
    if (price < 0) {
      unpriced.push_back(text);
    } else if (price > widestPrice + kTolerance) {
      widestPrice = price;
      widest.assign(1, text);
    } else if (price >= widestPrice - kTolerance && widest.size() < kChecks &&
               std::none_of(widest.begin(), widest.end(),
                            [&](const QString* w) { return *w == *text; })) {
      widest.push_back(text);
    }
  }

  for (const QString* text : widest) {
    const double exact = Metrics_.horizontalAdvance(TrailingSpace ? *text + QChar(u' ') : *text);
    if (std::fabs(exact - (widestPrice + space)) > kTolerance)
      return WidestMeasuredExactly(Entries, TrailingSpace);
  }
  const int priced = widest.empty() ? 0 : DisplayWidth(widestPrice + space);
  return std::max(priced, WidestMeasuredExactly(unpriced, TrailingSpace));
}

namespace {

template <typename ForEachRow>
std::vector<int> WidestOf(EntryMeasure& Measure, const QStringList& Titles, size_t RowCount,
                          ForEachRow&& EachRow) {
  const int columns = std::min<int>(static_cast<int>(Titles.size()), kGridColumns);
  std::vector<int> widths(static_cast<size_t>(columns), 0);
  std::vector<const QString*> entries;
  entries.reserve(RowCount + 1);
  for (int c = 0; c < columns; ++c) {
    entries.clear();
    entries.push_back(&Titles[c]);
    EachRow([&](const GridRow& Row) { entries.push_back(&Row.Cells[static_cast<size_t>(c)]); });
    widths[static_cast<size_t>(c)] = Measure.WidestEntry(entries, c != columns - 1);
  }
  return widths;
}

}  // namespace

std::vector<int> WidestEntries(EntryMeasure& Measure, const QStringList& Titles,
                               const std::vector<GridRow>& Rows) {
  return WidestOf(Measure, Titles, Rows.size(), [&](auto&& Take) {
    for (const GridRow& row : Rows) Take(row);
  });
}

std::vector<int> WidestEntries(EntryMeasure& Measure, const QStringList& Titles,
                               const std::vector<GridRow>& Rows,
                               const std::vector<int32_t>& Positions) {
  return WidestOf(Measure, Titles, Positions.size(), [&](auto&& Take) {
    for (const int32_t at : Positions) Take(Rows[static_cast<size_t>(at)]);
  });
}

}  // namespace brieflist
