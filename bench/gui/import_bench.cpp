// How long the window takes to import a list by its own paths: a 30,000-row list (one row in 41
// disagreeing with the disk) into the 30,000-mission folder that is open, the closing refresh
// and grid fill included. Runs offscreen; prints milliseconds.
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "app/Form1.h"
#include "exchange/ListFile.h"
#include "platform/FileSystem.h"
#include "platform/qt/Dialogs.h"
#include "sample/SampleWriter.h"

namespace {

class SilentDialogs : public brieflist::Dialogs {
 public:
  void ShowMessage(const QString& Text) override {
    std::fprintf(stderr, "message: %s\n", qPrintable(Text.section('\n', 0, 0)));
  }
  void ShowReport(const QString& Text, const QString&) override { Reports.push_back(Text); }
  bool AskYesNo(const QString&) override { return true; }
  QAction* PopUpMenu(QMenu&, const QPoint&) override { return nullptr; }
  QString InputBox(const QString&, const QString&) override { return {}; }
  QString SaveFileName(const QString&, const QString&, const QString&) override { return {}; }
  QString OpenFileName(const QString&, const QString&) override { return {}; }
  QStringList Reports;
};

}  // namespace

int main(int argc, char** argv) {
  using namespace brieflist;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const auto base = std::filesystem::temp_directory_path() / "brieflist-import-bench";
  const auto folder = base / "game";
  std::filesystem::remove_all(base);
  sample::FolderOptions options = sample::StandardFolderOptions();
  options.MissionsPerArchive = 30000 / options.Archives;
  options.LooseMissions = 0;
  sample::FolderSummary summary;
  std::string error;
  if (!sample::MakeSampleFolder(folder.string(), options, summary, error)) {
    std::fprintf(stderr, "import_bench: %s\n", error.c_str());
    return 1;
  }
  qputenv("XDG_DATA_HOME", base.string().c_str());  // the undo journal writes here
  auto files = MakeNativeFileSystem();
  CatalogueState state;
  SilentDialogs dialogs;
  Form1 window(state, *files, dialogs);
  window.show();
  window.OpenFolder(folder.string());
  QApplication::processEvents();

  std::vector<MissionEntry> rows(state.Missions.begin(), state.Missions.end());
  const std::string list = (base / "big.BRL").string();
  std::vector<double> ms;
  for (int run = 0; run < 4; ++run) {
    // Odd runs take the switches of the even ones back.
    if (run % 2 == 0)
      for (size_t i = 0; i < rows.size(); i += 41)
        rows[i].Enabled = ToFlag(rows[i].Enabled == kFalse);
    if (!files->ReplaceFile(list, EncodeListFile(rows).Bytes)) return 1;
    QElapsedTimer timer;
    timer.start();
    window.ImportListNamed(QString::fromStdString(list));
    ms.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    QApplication::processEvents();
  }
  std::printf("import_bench: %zu rows, %zu to switch each run; %s\n", rows.size(),
              (rows.size() + 40) / 41, qPrintable(dialogs.Reports.value(0).section('\n', 0, 0)));
  std::sort(ms.begin(), ms.end());
  std::printf("window import of the list by its paths: median %.1f ms, worst %.1f ms\n",
              ms[ms.size() / 2], ms.back());
  std::filesystem::remove_all(base);
  return 0;
}
