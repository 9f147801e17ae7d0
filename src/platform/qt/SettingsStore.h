#pragma once

#include <QSettings>
#include <QString>

namespace brieflist {

// The per-user settings store: entries addressed by application, section and key.
class SettingsStore {
 public:
  virtual ~SettingsStore() = default;

  // The entry's value, or Default when the entry is absent.
  virtual QString Read(const QString& Application, const QString& Section, const QString& Key,
                       const QString& Default) = 0;
  // Stores Value. Empty when stored, otherwise why not, naming where the store lives.
  virtual QString Write(const QString& Application, const QString& Section, const QString& Key,
                        const QString& Value) = 0;
};

// The store through QSettings, one file (or registry key) per application: on Linux
// $XDG_CONFIG_HOME/<Application>/<Application>.conf, on Windows
// HKEY_CURRENT_USER\Software\<Application>\<Application>. By default in QSettings' default
// format, which is the native one unless a test turned it to INI files (the registry has no
// path a test could point elsewhere).
class QtSettingsStore : public SettingsStore {
 public:
  explicit QtSettingsStore(QSettings::Format Format = QSettings::defaultFormat())
      : Format_(Format) {}

  QString Read(const QString& Application, const QString& Section, const QString& Key,
               const QString& Default) override;
  QString Write(const QString& Application, const QString& Section, const QString& Key,
                const QString& Value) override;

 private:
  QSettings::Format Format_;
};

}  // namespace brieflist
