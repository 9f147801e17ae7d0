#include "view/GridFilter.h"

#include <algorithm>
#include <iterator>

#include "catalogue/GridText.h"

namespace brieflist {
namespace {

// The columns a word is looked for in: what the row shows as text, not its flags.
constexpr int kSearchedColumns[] = {GridColumn::FileName, GridColumn::MissionName,
                                    GridColumn::Creator, GridColumn::MissionType,
                                    GridColumn::Terrain};

}  // namespace

bool IsSearchedColumn(int Column) {
  return std::find(std::begin(kSearchedColumns), std::end(kSearchedColumns), Column) !=
         std::end(kSearchedColumns);
}

QString SearchedText(const GridRow& Row) {
  // One allocation per row: the first keystroke of a filter takes this for every mission.
  qsizetype length = 0;
  for (const int column : kSearchedColumns)
    length += 1 + Row.Cells[static_cast<size_t>(column)].size();
  QString text(length, Qt::Uninitialized);
  QChar* out = text.data();
  for (const int column : kSearchedColumns) {
    *out++ = QChar(u'\0');
    for (const QChar c : Row.Cells[static_cast<size_t>(column)]) *out++ = c.toCaseFolded();
  }
  return text;
}

GridFilter::GridFilter(const QString& Text, ShowStateChoice State) : State_(State) {
  for (const QString& word : Text.split(QLatin1Char(' '), Qt::SkipEmptyParts))
    Words_.push_back(word.toCaseFolded());
}

bool GridFilter::Shows(const GridRow& Row) const {
  return Shows(Row, Words_.isEmpty() ? QString() : SearchedText(Row));
}

bool GridFilter::Shows(const GridRow& Row, QStringView Searched) const {
  if (State_ != ShowStateChoice::AllMissions) {
    const bool enabled = Row.Cells[GridColumn::Enabled] == QLatin1String("True");
    if (enabled != (State_ == ShowStateChoice::EnabledOnly)) return false;
  }
  for (const QString& word : Words_) {
    if (word.contains(QChar(u'\0'))) return false;  // no text of a row holds one
    if (!Searched.contains(word)) return false;
  }
  return true;
}

QString SummaryText(int Shown, int Total, int Enabled, int DuplicateNames) {
  QString text = QStringLiteral("%1 of %2 shown, %3 enabled").arg(Shown).arg(Total).arg(Enabled);
  if (DuplicateNames > 0) text += QStringLiteral(", %1 duplicate names").arg(DuplicateNames);
  return text;
}

}  // namespace brieflist
