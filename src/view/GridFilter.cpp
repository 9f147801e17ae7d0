#include "view/GridFilter.h"

#include "catalogue/GridText.h"

namespace brieflist {
namespace {

// The columns a word is looked for in: what the row shows as text, not its flags.
constexpr int kSearchedColumns[] = {GridColumn::FileName, GridColumn::MissionName,
                                    GridColumn::Creator, GridColumn::MissionType,
                                    GridColumn::Terrain};

}  // namespace

GridFilter::GridFilter(const QString& Text, ShowStateChoice State)
    : Words_(Text.split(QLatin1Char(' '), Qt::SkipEmptyParts)), State_(State) {}

bool GridFilter::Shows(const GridRow& Row) const {
  if (State_ != ShowStateChoice::AllMissions) {
    const bool enabled = Row.Cells[GridColumn::Enabled] == QLatin1String("True");
    if (enabled != (State_ == ShowStateChoice::EnabledOnly)) return false;
  }
  for (const QString& word : Words_) {
    bool found = false;
    for (const int column : kSearchedColumns) {
      if (Row.Cells[static_cast<size_t>(column)].contains(word, Qt::CaseInsensitive)) {
        found = true;
        break;
      }
    }
    if (!found) return false;
  }
  return true;
}

QString SummaryText(int Shown, int Total, int Enabled, int DuplicateNames) {
  QString text = QStringLiteral("%1 of %2 shown, %3 enabled").arg(Shown).arg(Total).arg(Enabled);
  if (DuplicateNames > 0) text += QStringLiteral(", %1 duplicate names").arg(DuplicateNames);
  return text;
}

}  // namespace brieflist
