#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QSettings>

#include "support/TestSupport.h"

int main(int argc, char** argv) {
  // Test discovery runs this binary at build time, without the tests' environment.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // Every window keeps an undo journal, and every settings store writes: never into the user's
  // own data folder or settings. On Windows the native format is the registry, which no path
  // redirects: the stores use INI files there.
  const brieflist::test::ScopedDataFolder dataFolder;
  const brieflist::test::TempFolder settings;
  const QString path = QString::fromStdString(settings.Path());
  qputenv("XDG_CONFIG_HOME", QFile::encodeName(path));
  QSettings::setDefaultFormat(QSettings::IniFormat);
  QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, path);
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, path);
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Brieflist"));
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
