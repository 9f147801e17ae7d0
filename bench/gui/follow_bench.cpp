// How fast the window follows its folder on disk, on the standard folder (64 archives x 500
// missions, 1000 keys per archive, 200 loose missions): from another program's change to the
// refreshed grid, with the usual half-second quiet time, and the window's CPU time while idle.
// Runs offscreen; prints milliseconds.
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <vector>

#include "app/DiskWatch.h"
#include "app/Form1.h"
#include "platform/FileSystem.h"
#include "platform/qt/Dialogs.h"
#include "sample/SampleWriter.h"
#include "view/MissionGrid.h"

namespace {

class SilentDialogs : public brieflist::Dialogs {
 public:
  void ShowMessage(const QString& Text) override {
    std::fprintf(stderr, "message: %s\n", qPrintable(Text));
  }
  bool AskYesNo(const QString&) override { return true; }
  QAction* PopUpMenu(QMenu&, const QPoint&) override { return nullptr; }
  QString InputBox(const QString&, const QString&) override { return {}; }
  QString SaveFileName(const QString&, const QString&, const QString&) override { return {}; }
  QString OpenFileName(const QString&, const QString&) override { return {}; }
};

double CpuSeconds() {
#ifdef _WIN32
  return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;  // wall time there: an upper bound
#else
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
#endif
}

double Ms(const QElapsedTimer& Timer) {
  return static_cast<double>(Timer.nsecsElapsed()) / 1e6;
}

// Processes events until Done holds; false after 10 s.
template <typename Condition>
bool WaitUntil(Condition&& Done) {
  QElapsedTimer timer;
  timer.start();
  while (!Done()) {
    if (timer.elapsed() > 10000) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 1);
  }
  return true;
}

void Print(const char* What, std::vector<double> Ms) {
  std::sort(Ms.begin(), Ms.end());
  std::printf("%-52s median %7.1f ms   worst %7.1f ms\n", What, Ms[Ms.size() / 2], Ms.back());
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);

  // In a quiet folder of its own: the window also watches the folder above the game folder.
  const auto base = std::filesystem::temp_directory_path() / "brieflist-follow-bench";
  const auto folder = base / "game";
  std::filesystem::remove_all(base);
  const brieflist::sample::FolderOptions options = brieflist::sample::StandardFolderOptions();
  brieflist::sample::FolderSummary summary;
  std::string error;
  if (!brieflist::sample::MakeSampleFolder(folder.string(), options, summary, error)) {
    std::fprintf(stderr, "follow_bench: %s\n", error.c_str());
    return 1;
  }
  qputenv("XDG_DATA_HOME", base.string().c_str());
  auto files = brieflist::MakeNativeFileSystem();
  brieflist::CatalogueState state;
  SilentDialogs dialogs;
  brieflist::Form1 window(state, *files, dialogs);
  window.resize(1200, 800);
  window.show();
  window.OpenFolder(folder.string());
  QApplication::processEvents();
  std::printf("follow_bench: %d missions in %d archives and %d loose files\n",
              state.LastMission + 1, summary.Archives, summary.LooseMissions);

  // When the watch found the difference, so the quiet time and the refresh can be told apart.
  QElapsedTimer sinceChange;
  double foundAt = 0;
  QObject::connect(&window.Watch(), &brieflist::DiskWatch::Looked, [&](bool Different) {
    if (Different) foundAt = Ms(sinceChange);
  });
  brieflist::CatalogueModel& model = window.Grid().Model();
  const auto enabledCell = [&](const QString& Name) {
    for (int r = 0; r < model.rowCount(); ++r)
      if (model.Cell(r, brieflist::GridColumn::FileName) == Name)
        return model.Cell(r, brieflist::GridColumn::Enabled);
    return QString();
  };

  // Another program switches a loose mission: its signature at offset 0.
  std::vector<double> total;
  std::vector<double> refresh;
  for (int run = 0; run < 6; ++run) {
    const bool disable = run % 2 == 0;
    sinceChange.start();
    {
      std::fstream loose(folder / "loose007.bms", std::ios::in | std::ios::out | std::ios::binary);
      loose.write(disable ? "VyK" : "BMS", 3);
    }
    const QString expected = QLatin1String(disable ? "False" : "True");
    if (!WaitUntil([&] { return enabledCell(QStringLiteral("loose007.bms")) == expected; })) {
      std::fprintf(stderr, "follow_bench: the grid did not follow\n");
      return 1;
    }
    total.push_back(Ms(sinceChange));
    refresh.push_back(total.back() - foundAt);
  }
  Print("outside switch -> grid shows it (500 ms quiet)", total);
  Print("  of which the refresh, fill and view kept", refresh);

  // Another program copies a mission in.
  total.clear();
  for (int run = 0; run < 4; ++run) {
    const QString name = QStringLiteral("added%1.bms").arg(run);
    sinceChange.start();
    std::filesystem::copy_file(folder / "loose001.bms", folder / name.toStdString());
    if (!WaitUntil([&] { return !enabledCell(name).isEmpty(); })) {
      std::fprintf(stderr, "follow_bench: the grid did not follow\n");
      return 1;
    }
    total.push_back(Ms(sinceChange));
  }
  Print("mission copied in -> grid shows it (500 ms quiet)", total);

  // Idle: the open window waits for events and does nothing else.
  const double before = CpuSeconds();
  QTimer::singleShot(10000, &app, &QApplication::quit);
  app.exec();
  std::printf("%-52s %7.1f ms CPU in 10 s\n", "idle open window", (CpuSeconds() - before) * 1e3);

  std::filesystem::remove_all(base);
  return 0;
}
