// The desktop program: one window over a game folder's missions.
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <QTimer>
#include <cstdio>

#include "Version.h"
#include "app/Form1.h"
#include "app/StartArguments.h"
#include "platform/FileSystem.h"
#include "platform/qt/Dialogs.h"
#include "platform/qt/Drives.h"
#include "platform/qt/QtText.h"
#include "platform/qt/SettingsStore.h"

int main(int argc, char** argv) {
  // Answered before QApplication exists, which needs a display.
  switch (brieflist::AskedForInfo(argc, argv)) {
    case brieflist::StartInfo::Help:
      std::fputs(brieflist::kStartUsage, stdout);
      return 0;
    case brieflist::StartInfo::Version:
      std::printf("brieflist %s\n", BRIEFLIST_VERSION);
      return 0;
    case brieflist::StartInfo::None:
      break;
  }
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Brieflist"));
  QApplication::setApplicationVersion(QStringLiteral(BRIEFLIST_VERSION));

  const brieflist::StartArguments start =
      brieflist::ReadStartArguments(QApplication::arguments().mid(1));
  if (!start.Error.isEmpty()) {
    std::fprintf(stderr, "brieflist: %s\n%s", qUtf8Printable(start.Error), brieflist::kStartUsage);
    return 2;
  }

  auto files = brieflist::MakeNativeFileSystem();
  brieflist::CatalogueState state;
  brieflist::WidgetDialogs dialogs;
  brieflist::QtSettingsStore settings;
  brieflist::SystemDrives drives;
  brieflist::Form1 window(state, *files, dialogs);
  window.UseChooserSources(settings, drives);
  window.RememberPlacement(settings);
  window.show();
  if (!start.Folder.isEmpty())
    window.OpenFolder(
        brieflist::ToEnginePath(QDir::toNativeSeparators(QDir(start.Folder).absolutePath())));
  // Once the window is up, so that the import's questions and messages stand over it.
  if (!start.List.isEmpty()) {
    const QString list = QDir::toNativeSeparators(QFileInfo(start.List).absoluteFilePath());
    QTimer::singleShot(0, &window, [&window, list] { window.ImportListNamed(list); });
  }
  return app.exec();
}
