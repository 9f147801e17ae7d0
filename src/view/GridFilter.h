#pragma once

#include <QString>
#include <QStringList>

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
  bool Shows(const GridRow& Row) const;

 private:
  QStringList Words_;
  ShowStateChoice State_ = ShowStateChoice::AllMissions;
};

// The summary under the filter: "<shown> of <total> shown, <enabled> enabled", and
// ", <n> duplicate names" when there are any.
QString SummaryText(int Shown, int Total, int Enabled, int DuplicateNames);

}  // namespace brieflist
