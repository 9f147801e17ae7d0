// Grid figures on the standard folder (64 archives x 500 missions, 1000 keys per archive, 200
// loose missions): FillGrid with map names raw and resolved, a title-click sort per column, the
// repaint after a jump while scrolling, and a keystroke in the filter. Runs offscreen; prints
// milliseconds.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <vector>

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

struct Figures {
  double Median = 0;
  double Worst = 0;
};

template <typename Step>
Figures Time(int Runs, Step&& S) {
  std::vector<double> ms;
  for (int r = 0; r < Runs; ++r) {
    QElapsedTimer timer;
    timer.start();
    S(r);
    QApplication::processEvents();  // the repaint belongs to the figure
    ms.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
  }
  std::sort(ms.begin(), ms.end());
  return {ms[ms.size() / 2], ms.back()};
}

void Print(const char* What, const Figures& F, double Target) {
  std::printf("%-44s median %7.1f ms   worst %7.1f ms   target %5.0f ms  %s\n", What, F.Median,
              F.Worst, Target, F.Worst <= Target ? "ok" : "OVER");
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);

  const auto folder = std::filesystem::temp_directory_path() / "brieflist-grid-bench";
  std::filesystem::remove_all(folder);
  const brieflist::sample::FolderOptions options = brieflist::sample::StandardFolderOptions();
  brieflist::sample::FolderSummary summary;
  std::string error;
  if (!brieflist::sample::MakeSampleFolder(folder.string(), options, summary, error)) {
    std::fprintf(stderr, "grid_bench: %s\n", error.c_str());
    return 1;
  }

  // The window keeps an undo journal; the bench's goes with its folder.
  qputenv("XDG_DATA_HOME", folder.string().c_str());
  auto files = brieflist::MakeNativeFileSystem();
  brieflist::CatalogueState state;
  SilentDialogs dialogs;
  brieflist::Form1 window(state, *files, dialogs);
  window.resize(1200, 800);
  window.show();
  QApplication::processEvents();

  QElapsedTimer timer;
  timer.start();
  window.OpenFolder(folder.string());
  QApplication::processEvents();
  std::printf("grid_bench: %d missions in %d archives and %d loose files\n", state.LastMission + 1,
              summary.Archives, summary.LooseMissions);
  std::printf("%-44s %7.1f ms (refresh and fill, for reference)\n", "open folder",
              static_cast<double>(timer.nsecsElapsed()) / 1e6);

  brieflist::MissionGrid& grid = window.Grid();
  auto* resolve = window.findChild<QAbstractButton*>(QStringLiteral("ResolveMapName"));
  Print("FillGrid, map names raw", Time(9, [&](int) { window.FillGrid(); }), 150);
  resolve->setChecked(true);
  Print("FillGrid, map names resolved", Time(9, [&](int) { window.FillGrid(); }), 150);
  resolve->setChecked(false);
  window.FillGrid();

  Figures sorts;
  for (int column = 0; column < brieflist::kGridColumns; ++column) {
    const Figures f = Time(4, [&](int) { window.TitleClicked(column); });
    sorts.Median = std::max(sorts.Median, f.Median);
    sorts.Worst = std::max(sorts.Worst, f.Worst);
  }
  Print("title-click sort (slowest column)", sorts, 150);
  Print("title-click sort, FileName", Time(6, [&](int) { window.TitleClicked(0); }), 150);
  Print("title-click sort, MissionTypeFlags", Time(6, [&](int) { window.TitleClicked(6); }), 150);

  QScrollBar* bar = grid.verticalScrollBar();
  Print("scroll: one page down, repainted",
        Time(50,
             [&](int) {
               bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
               grid.viewport()->repaint();
             }),
        16);
  Print("scroll: jump anywhere, repainted",
        Time(50,
             [&](int r) {
               bar->setValue(bar->maximum() * ((r * 37) % 50) / 50);
               grid.viewport()->repaint();
             }),
        16);

  // Typing a creator and a terrain letter by letter, then erasing them: the first letters and
  // the last erasures show nearly every row, the costliest case. The first keystroke after a
  // fill also folds every row's texts for the search, so it is timed on its own, after fresh
  // fills.
  auto* filter = window.findChild<QLineEdit*>(QStringLiteral("FilterText"));
  std::vector<double> firstMs;
  for (int r = 0; r < 5; ++r) {
    filter->clear();
    window.FillGrid();
    QApplication::processEvents();
    firstMs.push_back(Time(1, [&](int) { filter->setText(QStringLiteral("d")); }).Worst);
  }
  std::sort(firstMs.begin(), firstMs.end());
  Print("filter, first keystroke after a fill", {firstMs[firstMs.size() / 2], firstMs.back()}, 50);
  const QString typed = QStringLiteral("delta desert");
  std::vector<QString> keystrokes;
  for (qsizetype n = 1; n <= typed.size(); ++n) keystrokes.push_back(typed.left(n));
  for (qsizetype n = typed.size() - 1; n >= 0; --n) keystrokes.push_back(typed.left(n));
  Print("filter, later keystrokes",
        Time(static_cast<int>(keystrokes.size()),
             [&](int r) { filter->setText(keystrokes[static_cast<size_t>(r)]); }),
        50);
  auto* showState = window.findChild<QComboBox*>(QStringLiteral("ShowState"));
  Print("show-state choice", Time(6, [&](int r) { showState->setCurrentIndex((r + 1) % 3); }), 50);

  std::filesystem::remove_all(folder);
  return 0;
}
