#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include "view/GridRow.h"

namespace brieflist {

// The choices of the "ShowState" drop-down, in its order.
enum class ShowStateChoice { AllMissions = 0, EnabledOnly = 1, DisabledOnly = 2 };

// Which grid rows are shown: those holding every word of the filter text, letter case ignored,
// in at least one of the texts a person reads them by, and in the chosen state. An empty filter
// shows every row.
class GridFilter {
 public:
  GridFilter() = default;
  GridFilter(const QString& Text, ShowStateChoice State);

  bool ShowsEverything() const {
    return Words_.isEmpty() && State_ == ShowStateChoice::AllMissions;
  }
  bool HasWords() const { return !Words_.isEmpty(); }
  bool Shows(const GridRow& Row) const;
  // The same, with the row's SearchedText taken already.
  bool Shows(const GridRow& Row, QStringView Searched) const;

 private:
  QStringList Words_;  // letter case folded
  ShowStateChoice State_ = ShowStateChoice::AllMissions;
};

// True for the columns a filter word is looked for in: FileName, MissionName, Creator,
// MissionType and Terrain, the texts a person reads a row by.
bool IsSearchedColumn(int Column);

// A row's searched texts, letter case folded, each after a NUL: a typed word holds no NUL, so
// it is found in this text exactly when it is found in one of the texts.
QString SearchedText(const GridRow& Row);

// The summary under the filter: "<shown> of <total> shown, <enabled> enabled", and
// ", <n> duplicate names" when there are any.
QString SummaryText(int Shown, int Total, int Enabled, int DuplicateNames);

}  // namespace brieflist
