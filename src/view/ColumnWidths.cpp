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
  std::vector<double> prices;
  if (!Font_.kerning()) {
    prices.reserve(Entries.size());
    for (const QString* text : Entries) prices.push_back(PricedAdvance(*text));
  }
  return WidestPricedEntry(Entries, prices, TrailingSpace);
}

int EntryMeasure::WidestPricedEntry(const std::vector<const QString*>& Entries,
                                    const std::vector<double>& Prices, bool TrailingSpace) {
  // With kerning, a text's advance depends on its pairs of characters, not on each alone.
  if (Font_.kerning() || Prices.size() != Entries.size())
    return WidestMeasuredExactly(Entries, TrailingSpace);
  const double space = TrailingSpace ? SpaceAdvance_ : 0;
  double widestPrice = -1;
  std::vector<const QString*> widest;    // distinct texts of the widest price, up to kChecks
  std::vector<const QString*> unpriced;  // texts measured exactly
  for (size_t i = 0; i < Entries.size(); ++i) {
    const QString* text = Entries[i];
    const double price = Prices[i];
    if (!(price >= 0)) {
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

void PriceCells(EntryMeasure& Measure, std::vector<GridRow>& Rows) {
  if (Measure.Font().kerning()) return;  // every text is measured exactly anyway
  for (GridRow& row : Rows)
    for (size_t c = 0; c < row.Cells.size(); ++c)
      row.Prices[c] = Measure.PricedAdvance(row.Cells[c]);
}

namespace {

template <typename ForEachRow>
std::vector<int> WidestOf(EntryMeasure& Measure, const QStringList& Titles, size_t RowCount,
                          ForEachRow&& EachRow) {
  const int columns = std::min<int>(static_cast<int>(Titles.size()), kGridColumns);
  std::vector<int> widths(static_cast<size_t>(columns), 0);
  const bool priced = !Measure.Font().kerning();
  std::vector<const QString*> entries;
  std::vector<double> prices;
  entries.reserve(RowCount + 1);
  if (priced) prices.reserve(RowCount + 1);
  for (int c = 0; c < columns; ++c) {
    const auto column = static_cast<size_t>(c);
    entries.clear();
    prices.clear();
    entries.push_back(&Titles[c]);
    if (priced) prices.push_back(Measure.PricedAdvance(Titles[c]));
    EachRow([&](const GridRow& Row) {
      entries.push_back(&Row.Cells[column]);
      if (!priced) return;
      const double known = Row.Prices[column];
      prices.push_back(std::isnan(known) ? Measure.PricedAdvance(Row.Cells[column]) : known);
    });
    widths[column] = Measure.WidestPricedEntry(entries, prices, c != columns - 1);
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

}  // namespace brieflist
