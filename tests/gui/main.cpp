#include <gtest/gtest.h>

#include <QApplication>

#include "support/DataFolder.h"

int main(int argc, char** argv) {
  // Test discovery runs this binary at build time, without the tests' environment.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // Every window keeps an undo journal: never in the user's own data folder.
  const brieflist::test::ScopedDataFolder dataFolder;
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Brieflist"));
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
