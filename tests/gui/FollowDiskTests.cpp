// The window following its folder on disk, remembering its place, and taking dropped files.
#include <QDropEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QSignalSpy>
#include <QUrl>
#include <array>
#include <limits>

#include "app/DiskWatch.h"
#include "folder/FolderPaths.h"
#include "gui/WindowFixture.h"

namespace brieflist::test {
namespace {

using namespace std::chrono_literals;
// Waits, up to five seconds, until Condition holds (QTRY_* would fail unseen by GoogleTest).
#define WAIT_FOR(Condition) \
  ASSERT_TRUE(QTest::qWaitFor([&] { return static_cast<bool>(Condition); })) << #Condition

class FollowDiskTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    Window->Watch().SetQuietTime(50ms);
    Window->UseChooserSources(Settings, Drives);
  }
  int32_t Current() { return Grid().Model().CatalogueIndex(Grid().currentIndex().row()); }
  // Drags Files onto the window and, when they are taken, drops them; true when taken.
  bool Drop(const std::vector<std::string>& Files) {
    QMimeData data;
    QList<QUrl> urls;
    for (const std::string& file : Files) urls << QUrl::fromLocalFile(QString::fromStdString(file));
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(Window.get(), &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(Window.get(), &drop);
    return drop.isAccepted();
  }
};

TEST_F(FollowDiskTest, OutsideChangesRefreshOnceKeepingFilterSortCurrentMissionAndScroll) {
  Open();
  Filter("jungle");
  ClickTitle(GridColumn::Creator);
  ClickCell(RowOf(3), GridColumn::Enabled);  // CHARLIE.BMS, by Zed, after BRAVO.BMS, by Ann
  QSignalSpy refreshes(&Window->Watch(), &DiskWatch::Changed);

  // Another program adds an archive before b.pff and disables CHARLIE.BMS, which moves it.
  Folder.Write("a2.pff", sample::BuildArchive({{"ECHO.BMS", Mission("EchoRun", "Bob", "Jungle")}}));
  ArchiveB[0].Data = Mission("DawnPatrol", "Zed", "Jungle", true);
  Folder.Write("b.pff", sample::BuildArchive(ArchiveB));
  WAIT_FOR(Shown() == (std::vector<int32_t>{1, 3, 4}));
  EXPECT_EQ(refreshes.count(), 1);
  EXPECT_EQ(Current(), 4);
  EXPECT_EQ(Grid().currentIndex().data().toString(), "False");  // its "Enabled" cell

  // Many missions more, scrolled half way: a damaged archive is skipped without a question, and
  // the rows stay where they were.
  for (int i = 0; i < 40; ++i)
    Folder.Write(QString("M%1.BMS").arg(i).toStdString(), Mission("", "A", "Jungle"));
  WAIT_FOR(Grid().Model().rowCount() == 43);
  QScrollBar& bar = *Grid().verticalScrollBar();
  bar.setValue(bar.maximum() / 2);
  const int scrolled = bar.value();
  const int before = refreshes.count();
  const sample::Bytes whole = sample::BuildArchive(ArchiveB);
  Folder.Write("cut.pff", sample::Bytes(whole.begin(), whole.end() - 40));  // a copy cut short
  Folder.Write("bad.pff", sample::Bytes(64, 7));
  WAIT_FOR(refreshes.count() > before && Summary().startsWith("2 damaged archives"));
  const QString tip = Control("Summary")->toolTip();
  EXPECT_TRUE(tip.contains("cut.pff: cut short") && tip.contains("bad.pff")) << tip.toStdString();
  EXPECT_TRUE(Dialogs.Questions.isEmpty());
  EXPECT_EQ(bar.value(), scrolled);

  // The folder gone: said in the summary line, not in a message box.
  std::filesystem::rename(Folder.Path(), Folder.Path() + "-moved");
  WAIT_FOR(Summary().contains("1 problem reading the folder")) << Summary().toStdString();
  EXPECT_TRUE(Dialogs.Messages.empty());
  std::filesystem::rename(Folder.Path() + "-moved", Folder.Path());
}

TEST_F(FollowDiskTest, OwnSwitchAndABackupCauseNoRefreshButALaterOutsideChangeDoes) {
  Open();
  QSignalSpy looks(&Window->Watch(), &DiskWatch::Looked);
  QSignalSpy refreshes(&Window->Watch(), &DiskWatch::Changed);
  Dialogs.MenuChoices.push_back("mnuEnableDisable");
  ClickCell(RowOf(3), GridColumn::Enabled);
  ASSERT_EQ(OnDisk(), "BMS VyK BMS VyK VyK BMS");
  WAIT_FOR(!looks.isEmpty());       // the watch saw the program's own write...
  EXPECT_EQ(refreshes.count(), 0);  // ...and let it be
  EXPECT_EQ(Current(), 3);
  const auto seen = looks.count();
  Folder.Write("_backup.pff", sample::BuildArchive(ArchiveB));  // passed over: no refresh
  WAIT_FOR(looks.count() > seen);
  {
    // The same file enabled again by another program while a command of the window runs: no
    // refresh until the command ends, then one.
    const DiskWatch::Pause command(Window->Watch());
    Folder.Write("b.pff", sample::BuildArchive(ArchiveB));
    QTest::qWait(200);
    EXPECT_EQ(refreshes.count(), 0);
  }
  WAIT_FOR(Cell(RowOf(3), GridColumn::Enabled) == QString("True"));
  EXPECT_EQ(refreshes.count(), 1);
}

TEST_F(FollowDiskTest, BurstOfChangesGivesOneRefresh) {
  Open();
  // Changes come closer together than the quiet time, for longer than it.
  Window->Watch().SetQuietTime(400ms);
  QSignalSpy refreshes(&Window->Watch(), &DiskWatch::Changed);
  for (int i = 0; i < 8; ++i) {
    Folder.Write(QString("N%1.BMS").arg(i).toStdString(), Mission("N", "A", "B"));
    QTest::qWait(75);
  }
  WAIT_FOR(Grid().Model().rowCount() == 14);
  EXPECT_EQ(refreshes.count(), 1);
}

TEST_F(FollowDiskTest, PlacementRoundTripsThroughTheSettingsAndAbsurdOnesAreCentred) {
  Window->RememberPlacement(Settings);
  Window->close();
  EXPECT_TRUE(Settings.Entries.empty());  // a window closed as it opened writes nothing
  auto reopen = [&] {
    auto window = std::make_unique<Form1>(State, *Files, Dialogs);
    window->RememberPlacement(Settings);
    window->show();
    return window;
  };
  auto second = reopen();
  second->move(40, 50);
  second->resize(600, 300);
  second->close();
  auto third = reopen();
  EXPECT_EQ(QRect(third->pos(), third->size()), QRect(40, 50, 600, 300));
  third->showMaximized();
  third->close();
  EXPECT_TRUE(reopen()->isMaximized());

  // Off every screen, or beyond what a window can be: centred at the design size.
  Settings.Entries.clear();
  constexpr int kMax = std::numeric_limits<int>::max(), kMin = std::numeric_limits<int>::min();
  // Left, top, width, height as stored.
  const std::array<int, 4> cases[] = {
      {-30000, 0, 600, 300},   {kMax, 0, 600, 300},    {kMax - 100, kMax - 100, 600, 300},
      {0, 0, kMax, kMax},      {kMin, kMin, 600, 300}, {-600, 0, kMax, 300},
      {0, 0, -600, 300},       {0, 0, 600, kMin},      {0, 0, 1 << 30, 1 << 30},
      {kMin, kMax, kMax, kMin}};
  for (const auto& c : cases) {
    const char* keys[] = {"Left", "Top", "Width", "Height"};
    for (size_t k = 0; k < 4; ++k)
      Settings.Entries[QStringLiteral("Brieflist/Window/") + keys[k]] = QString::number(c[k]);
    const auto window = reopen();
    EXPECT_EQ(QRect(window->pos(), window->size()), QRect(Window->pos(), Window->size()))
        << c[0] << " " << c[1] << " " << c[2] << " " << c[3];
  }
}

TEST_F(FollowDiskTest, DroppedFolderOpensAndIsRememberedDroppedListIsImported) {
  EXPECT_FALSE(Drop({Folder.File("DUP.BMS")}));  // neither a list nor a folder
  ASSERT_TRUE(Drop({Folder.File("DUP.BMS"), Folder.Path()}));
  WAIT_FOR(State.LastMission == 5);
  EXPECT_EQ(Settings.Read("Brieflist", "LastPath", "Path", {}),
            AddBackslash(QString::fromStdString(Folder.Path())));
  const std::string list = Folder.File("all.BRL");
  Dialogs.FileNames.push_back(QString::fromStdString(list));
  Window->ExportList();
  Dialogs.MenuChoices.push_back("mnuEnableDisable");
  ClickCell(RowOf(0), GridColumn::Enabled);
  ASSERT_EQ(OnDisk(), "VyK VyK BMS BMS VyK BMS");
  ASSERT_TRUE(Drop({Folder.File("DUP.BMS"), list, Folder.Path()}));  // the list wins
  WAIT_FOR(OnDisk() == "BMS VyK BMS BMS VyK BMS");
  WAIT_FOR(Cell(RowOf(0), GridColumn::Enabled) == QString("True"));
}

}  // namespace
}  // namespace brieflist::test
