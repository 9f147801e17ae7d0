#include "platform/qt/SettingsStore.h"

namespace brieflist {

QString QtSettingsStore::Read(const QString& Application, const QString& Section,
                              const QString& Key, const QString& Default) {
  // Opened afresh each time, so a value another run wrote meanwhile is seen.
  QSettings settings(Format_, QSettings::UserScope, Application, Application);
  settings.beginGroup(Section);
  return settings.value(Key, Default).toString();
}

QString QtSettingsStore::Write(const QString& Application, const QString& Section,
                               const QString& Key, const QString& Value) {
  QSettings settings(Format_, QSettings::UserScope, Application, Application);
  settings.beginGroup(Section);
  settings.setValue(Key, Value);
  settings.endGroup();
  settings.sync();
  switch (settings.status()) {
    case QSettings::NoError:
      return QString();
    case QSettings::AccessError:
      return settings.fileName() + QStringLiteral(": cannot be written");
    case QSettings::FormatError:
      break;
  }
  return settings.fileName() + QStringLiteral(": its contents cannot be read");
}

}  // namespace brieflist
