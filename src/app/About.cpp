#include "app/About.h"

#include <QStringList>

#include "Version.h"

namespace brieflist {

QString AboutText() {
  return QStringList{
      QStringLiteral("Brieflist v" BRIEFLIST_VERSION_SHORT),
      QStringLiteral("Lists the missions of a Delta Force or Delta Force 2 folder and switches "
                     "them on and off."),
      QString()}
      .join(QLatin1Char('\n'));
}

}  // namespace brieflist
