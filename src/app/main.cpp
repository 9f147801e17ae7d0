// The desktop program: one window over a game folder's missions.
#include <QApplication>
#include <QDir>
#include <QStringList>
#include <cstdio>

#include "Version.h"
#include "app/Form1.h"
#include "platform/FileSystem.h"
#include "platform/qt/Dialogs.h"
#include "platform/qt/QtText.h"
#include "platform/qt/SettingsStore.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Brieflist"));
  QApplication::setApplicationVersion(QStringLiteral(BRIEFLIST_VERSION));

  // The window is driven by its buttons; --folder only saves choosing a folder by hand, for
  // demonstrations and screenshots.
  QString folder;
  const QStringList args = QApplication::arguments();
  for (qsizetype i = 1; i < args.size(); ++i) {
    if (args[i] == QLatin1String("--folder") && i + 1 < args.size()) {
      folder = args[++i];
    } else {
      std::fprintf(stderr, "Usage: brieflist [--folder GAME_FOLDER]\n");
      return 2;
    }
  }

  auto files = brieflist::MakeNativeFileSystem();
  brieflist::CatalogueState state;
  brieflist::WidgetDialogs dialogs;
  brieflist::Form1 window(state, *files, dialogs);
  brieflist::QtSettingsStore settings;
  window.RememberPlacement(settings);
  window.show();
  if (!folder.isEmpty())
    window.OpenFolder(
        brieflist::ToEnginePath(QDir::toNativeSeparators(QDir(folder).absolutePath())));
  return app.exec();
}
