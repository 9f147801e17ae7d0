// The main window as a person uses it: what it shows, and what clicks, keys and dialogs do.
#include <QClipboard>
#include <QFontMetricsF>
#include <QItemSelectionModel>
#include <QScrollBar>
#include <QTimer>
#include <cmath>

#include "exchange/ListFile.h"
#include "gui/WindowFixture.h"

namespace brieflist {
namespace {

using Rows = std::vector<int32_t>;
constexpr const char* kAsWritten = "BMS VyK BMS BMS VyK BMS";

class Form1Test : public test::WindowTest {};

TEST_F(Form1Test, LoadsWithNineTitlesOneEmptyRowAndGreyedCommandsUntilAFolderIsOpen) {
  EXPECT_EQ(Window->windowTitle(), "VyK Tallis's Brieflist");
  EXPECT_EQ(Grid().Model().Titles(),
            (QStringList{"FileName", "MissionName", "Creator", "MissionType", "Enabled", "Modified",
                         "MissionTypeFlags", "DF", "External"}));
  ASSERT_EQ(Grid().Model().rowCount(), 1);
  QStringList captions;
  for (const char* name :
       {"Command1", "Command2", "Command3", "Command4", "Command5", "Command6", "ResolveMapName"})
    captions << Control<QAbstractButton>(name)->text();
  EXPECT_EQ(captions.join(','),
            "OpenPath,About,ExportList,ImportList,UpDateList,RefreshList,Resolve Map Names");
  EXPECT_FALSE(CatalogueCommandsEnabled());
  for (const char* name : {"FilterText", "ShowState", "EnableShown", "DisableShown", "Summary"})
    EXPECT_FALSE(Control(name)->isEnabled()) << name;

  // Clicks do nothing while the catalogue is empty, nor does a filter typed by a program.
  ClickCell(0, GridColumn::Enabled);
  ClickTitle(GridColumn::FileName);
  Filter("zzz");
  EXPECT_EQ(Grid().Model().rowCount(), 1);
  test::TempFolder empty;
  Window->OpenFolder(empty.Path());
  EXPECT_EQ(Grid().Model().rowCount(), 0);
  ClickTitle(GridColumn::Creator);
  EXPECT_TRUE(Dialogs.PopUps.empty());
  for (const bool ascending : Window->SortAscending()) EXPECT_FALSE(ascending);

  Open();
  EXPECT_TRUE(CatalogueCommandsEnabled());
  for (const char* name : {"FilterText", "ShowState", "EnableShown", "DisableShown", "Summary"})
    EXPECT_TRUE(Control(name)->isEnabled()) << name;
  EXPECT_EQ(Seen(), "| 0 of 6 shown, 4 enabled, 1 duplicate names");  // the typed filter acts
  EXPECT_TRUE(Dialogs.Messages.empty());
  EXPECT_TRUE(Window->close());  // without a question
  EXPECT_TRUE(Dialogs.Questions.isEmpty());
}

TEST_F(Form1Test, FillShowsEveryCellResolvedNamesOnRequestAndColumnsAsWideAsTheirEntries) {
  Open();
  const char* expected[] = {
      "ALPHA.BMS|c010001|Hawk|DM,|True|False|0000000000000010|2|False|Desert",
      "BRAVO.BMS|NightOp|Ann|COOP,KOTH,|False|True|0000000000000101|1|False|Jungle",
      "DUP.BMS|DupOne|Kim|COOP,KOTH,|True|False|0000000000000101|2|False|Arctic",
      "CHARLIE.BMS|DawnPatrol|Zed|COOP,KOTH,|True|False|0000000000000101|2|False|Jungle",
      "dup.bms|DupTwo|Hawk|COOP,KOTH,|False|True|0000000000000101|2|False|Desert",
      "DUP.BMS|DupLoose|Ann|COOP,KOTH,|True|False|0000000000000101|2|True|Island",
  };
  ASSERT_EQ(Seen(), "0T 1F 2T 3T 4F 5T | 6 of 6 shown, 4 enabled, 1 duplicate names");
  for (int r = 0; r < 6; ++r) {
    QStringList cells;
    for (int c = 0; c < kGridColumns; ++c) cells << Cell(r, c);
    EXPECT_EQ(cells.join('|'), expected[r]);
  }
  // A name with a key in another letter case shows the key's text; the terrain never changes.
  Click("ResolveMapName");
  EXPECT_EQ(Cell(0, GridColumn::MissionName) + Cell(1, GridColumn::MissionName) +
                Cell(0, GridColumn::Terrain),
            "Operation DawnNightOpDesert");
  // Every row counts, shown or not: a filter moves no column, and a fill under it neither.
  const QFontMetricsF metrics(Grid().font());
  for (const bool fill : {false, true}) {
    fill ? Click("Command6") : Filter("night");
    for (int c = 0; c < kGridColumns; ++c) {
      const QString space = c == GridColumn::Terrain ? "" : " ";
      double widest = metrics.horizontalAdvance(Grid().Model().Titles()[c] + space);
      for (const GridRow& row : Grid().Model().AllRows())
        widest = std::max(widest, metrics.horizontalAdvance(row.Cells[c] + space));
      EXPECT_EQ(Grid().columnWidth(c), static_cast<int>(std::ceil(widest)) + Grid().CellMargin());
    }
  }
  ASSERT_EQ(Shown(), Rows{1});
}

TEST_F(Form1Test, ClicksPopUpTheColumnsMenuAndTitleClicksSortAlternately) {
  Open();
  ClickCell(1, GridColumn::Enabled);
  ClickCell(1, GridColumn::FileName);
  ClickCell(1, GridColumn::MissionType);  // no menu
  EXPECT_EQ(Grid().currentIndex(), Grid().model()->index(1, GridColumn::MissionType));
  ClickCell(0, GridColumn::Enabled, Qt::RightButton);  // other buttons do nothing
  ClickCell(0, GridColumn::Enabled, Qt::MiddleButton);
  ClickTitle(GridColumn::Creator, Qt::RightButton);
  ASSERT_EQ(Dialogs.PopUps.size(), 2u);
  EXPECT_EQ(Dialogs.PopUps[0].MenuName, "mnuPopUp_5");
  EXPECT_EQ(Dialogs.PopUps[0].Items, (QStringList{"Enable/Disable", "Cancel"}));
  EXPECT_EQ(Dialogs.PopUps[0].ItemsEnabled, (std::vector<bool>{true, true}));
  EXPECT_EQ(Dialogs.PopUps[1].MenuName, "mnuPopUp_1");
  EXPECT_EQ(Dialogs.PopUps[1].ItemsEnabled, (std::vector<bool>{false, true}));
  EXPECT_EQ(Shown(), (Rows{0, 1, 2, 3, 4, 5}));

  // Creators: Hawk, Ann, Kim, Zed, Hawk, Ann; equal cells keep their order both ways.
  ClickTitle(GridColumn::Creator);
  EXPECT_EQ(Shown(), (Rows{1, 5, 0, 4, 2, 3}));
  ClickTitle(GridColumn::Creator);
  EXPECT_EQ(Shown(), (Rows{3, 2, 0, 4, 1, 5}));
  ClickTitle(GridColumn::Creator);
  ClickTitle(GridColumn::DF);  // its own alternation: first ascending, numbers as numbers
  EXPECT_EQ(Shown()[0], 1);
  Click("Command6");  // RefreshList: catalogue order, each column's alternation goes on
  EXPECT_EQ(Shown(), (Rows{0, 1, 2, 3, 4, 5}));
  ClickTitle(GridColumn::Creator);
  EXPECT_EQ(Shown(), (Rows{3, 2, 0, 4, 1, 5}));
  // A title half out of sight sorts as well: its press must not scroll it from under the pointer.
  const QHeaderView& titles = *Grid().horizontalHeader();
  Grid().horizontalScrollBar()->setValue(0);
  Grid().resize(Grid().width() - Grid().viewport()->width() +
                    titles.sectionPosition(GridColumn::Creator) +
                    titles.sectionSize(GridColumn::Creator) / 2,
                Grid().height());
  ClickTitle(GridColumn::Creator);
  EXPECT_EQ(Shown(), (Rows{1, 5, 0, 4, 2, 3}));
}

TEST_F(Form1Test, EnableDisableSwitchesExactlyTheClickedRowsMission) {
  Open();
  // b.pff's dup.bms shares its name with a.pff's DUP.BMS, and the loose DUP.BMS with both.
  ChooseOnEnabledCell(4);
  ChooseOnEnabledCell(5);
  EXPECT_EQ(OnDisk(), "BMS VyK BMS BMS BMS VyK");
  // After a sort the row still switches its own mission: a.pff's disabled BRAVO.BMS.
  ClickTitle(GridColumn::FileName);
  ClickTitle(GridColumn::FileName);
  ChooseOnEnabledCell(1);
  EXPECT_EQ(OnDisk(), "BMS BMS BMS BMS BMS VyK");
  EXPECT_EQ(Seen(), "2T 4T 5F 3T 1T 0T | 6 of 6 shown, 5 enabled, 1 duplicate names");
  EXPECT_TRUE(Dialogs.Messages.empty());
  // Cancel, a dismissed menu and a row the catalogue no longer holds write nothing.
  ChooseOnEnabledCell(0, "mnuCancel5");
  ChooseOnEnabledCell(0, "");
  State.Missions[0].FileName = "GONE.BMS";
  ChooseOnEnabledCell(0);
  EXPECT_EQ(Dialogs.Messages, QStringList{"File Not Found In Current List!"});
  EXPECT_EQ(OnDisk(), "BMS BMS BMS BMS BMS VyK");
  EXPECT_EQ(Cell(RowOf(0), GridColumn::Enabled), "True");
}

TEST_F(Form1Test, UpDateListRereadsWithABusyCursorAndReportsWhatItCouldNotRead) {
  Open();
  sample::ArchiveOptions invalid;
  invalid.Magic = "XXXX";
  Folder.Write("c.pff", sample::BuildArchive(ArchiveB, invalid));
  Dialogs.YesNoAnswers = {true};  // skip it
  Click("Command5");
  ASSERT_EQ(Dialogs.Questions.size(), 1);
  EXPECT_TRUE(Dialogs.BusyWhileAsked[0]);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  Window->OpenFolder(Folder.File("missing"));
  ASSERT_EQ(Dialogs.Messages.size(), 1);
  EXPECT_TRUE(Dialogs.Messages[0].contains("missing"));
  EXPECT_EQ(Grid().Model().rowCount(), 0);
}

TEST_F(Form1Test, TheSummaryNamesTheFolderFitsItsPlaceAndHoldsANoticeUntilTheNextCommand) {
  const QLabel& summary = *Control<QLabel>("Summary");
  const auto fits = [&] {
    const QStringList lines = summary.text().split('\n');
    EXPECT_LE(lines.size() * summary.fontMetrics().lineSpacing(), summary.height());
    EXPECT_LE(summary.geometry().bottom(), Window->height());
    for (const QString& line : lines)
      EXPECT_LE(summary.fontMetrics().horizontalAdvance(line), summary.contentsRect().width());
    EXPECT_TRUE(summary.toolTip().startsWith(summary.accessibleDescription()));
  };
  const std::string deep = Lists.File(std::string(80, 'x'));
  ASSERT_TRUE(QDir().mkpath(QString::fromStdString(deep)));
  Window->OpenFolder(deep);
  EXPECT_EQ(Summary(0), QString::fromStdString("No missions in " + JoinPath(deep, "")));
  EXPECT_TRUE(summary.text().startsWith("No missions")) << summary.text().toStdString();
  fits();
  Open();
  EXPECT_EQ(Summary(0), QString::fromStdString(JoinPath(Folder.Path(), "")));
  Window->ShowNotice("Undid: Disable shown, 29 missions");
  EXPECT_EQ(Summary(), "Undid: Disable shown, 29 missions");
  fits();
  Filter("dawn");  // not a command
  EXPECT_EQ(Summary(), "Undid: Disable shown, 29 missions");
  // Long work shows how far it is, and the window paints meanwhile.
  Window->Host().ShowAfterMs = 0;
  QString working;
  QTimer::singleShot(0, [&] { working = Summary(); });
  Click("Command5");
  EXPECT_TRUE(working.startsWith("Working")) << working.toStdString();
  EXPECT_EQ(Summary(), "1 of 6 shown, 4 enabled, 1 duplicate names");
  EXPECT_EQ(summary.accessibleName(), "Summary");
  EXPECT_EQ(Control("FilterText")->accessibleName(), "Filter");
}

TEST_F(Form1Test, TheGridGrowsWithTheWindowAndAboutDisablesItWhileShown) {
  const QSize design = Grid().size();
  Window->resize(Window->size() - QSize(50, 10));  // below the threshold: unchanged
  EXPECT_EQ(Grid().size(), design);
  const auto margins = [&] {
    return std::make_pair(Window->width() - Grid().geometry().right(),
                          Window->height() - Grid().geometry().bottom());
  };
  Window->resize(900, 500);
  EXPECT_GT(Grid().width(), design.width());
  EXPECT_GT(Grid().height(), design.height());
  const auto at900 = margins();
  Window->resize(1200, 700);
  EXPECT_EQ(margins(), at900);  // the grid keeps its distance to the window's edges
  Click("Command2");
  ASSERT_EQ(Dialogs.Messages.size(), 1);
  EXPECT_TRUE(Dialogs.Messages[0].startsWith("Brieflist v"));
  EXPECT_FALSE(Dialogs.WatchedEnabled);
  EXPECT_TRUE(Window->isEnabled());
}

TEST_F(Form1Test, TheFilterWantsEveryWordInOneOfTheShownTextsIgnoringCase) {
  Open();
  const struct {
    const char* Text;
    int State;  // 0 all, 1 enabled only, 2 disabled only
    Rows Shown;
  } cases[] = {
      {"", 0, {0, 1, 2, 3, 4, 5}},
      {"DUP", 0, {2, 4, 5}},        // file names in any letter case
      {"dup ann", 0, {5}},          // every word, each in any column
      {"  jungle   ZED ", 0, {3}},  // runs of spaces split nothing more
      {"hawk desert", 0, {0, 4}},   // creator and terrain
      {"dawn", 0, {3}},             // mission names as shown: ALPHA's is c010001
      {"opann", 0, {}},             // a word never spans two texts
      {"true", 0, {}},              // "Enabled", flags, DF and External are not searched
      {"a.pff", 0, {}},             // nor the archive
      {"", 1, {0, 2, 3, 5}},
      {"dup", 2, {4}},
  };
  for (const auto& c : cases) {
    ShowState(c.State);
    Filter(c.Text);
    EXPECT_EQ(Shown(), c.Shown) << '"' << c.Text << "\" state " << c.State;
  }
  ShowState(0);
  Filter("operation dawn");  // with map names resolved the filter reads the resolved name
  EXPECT_EQ(Shown(), Rows{});
  Click("ResolveMapName");
  EXPECT_EQ(Seen(), "0T | 1 of 6 shown, 4 enabled, 1 duplicate names");

  // Sorted and switched on a filtered grid, each row acts on its own mission.
  Filter("jungle");
  ClickTitle(GridColumn::FileName);
  ClickTitle(GridColumn::FileName);  // descending
  ChooseOnEnabledCell(3);
  EXPECT_EQ(OnDisk(), "BMS VyK BMS VyK VyK BMS");
  EXPECT_EQ(Seen(), "3F 1F | 2 of 6 shown, 3 enabled, 1 duplicate names");
  Filter("");  // the hidden rows were sorted too
  EXPECT_EQ(Shown(), (Rows{2, 4, 5, 3, 1, 0}));
  Filter("jungle");
  Click("Command6");  // RefreshList restores catalogue order and keeps the filter
  EXPECT_EQ(Shown(), (Rows{1, 3}));
  EXPECT_TRUE(Dialogs.Messages.empty());
}

TEST_F(Form1Test, EnableAndDisableShownSwitchTheShownMissionsAfterOneQuestion) {
  Open();
  Filter("dup");  // DUP.BMS in a.pff and loose (enabled), dup.bms in b.pff (disabled)
  Click("DisableShown");
  EXPECT_EQ(Dialogs.Questions, QStringList{"Disable 2 missions?"});
  EXPECT_EQ(OnDisk(), "BMS VyK VyK BMS VyK VyK");
  EXPECT_EQ(Seen(), "2F 4F 5F | 3 of 6 shown, 2 enabled, 1 duplicate names");
  EXPECT_TRUE(Dialogs.Messages.empty());
  Dialogs.YesNoAnswers = {false};  // No writes nothing; the count is of those that would change
  Click("EnableShown");
  EXPECT_EQ(Dialogs.Questions.back(), "Enable 3 missions?");
  EXPECT_EQ(OnDisk(), "BMS VyK VyK BMS VyK VyK");
  Dialogs.Questions.clear();
  Click("DisableShown");  // nothing shown to switch: no question at all
  EXPECT_TRUE(Dialogs.Questions.isEmpty());
  // Switched rows stay shown until the filter changes: the person sees what changed.
  Filter("");
  ShowState(1);  // enabled only
  Click("DisableShown");
  EXPECT_EQ(Seen(), "0F 3F | 2 of 6 shown, 0 enabled, 1 duplicate names");
  Filter("a");
  EXPECT_EQ(Shown(), Rows{});
}

TEST_F(Form1Test, AFailedMissionOfABulkSwitchIsNamedInOneMessage) {
  Open();
  // a.pff's DUP.BMS no longer holds a mission: its switch fails, the loose one's goes through.
  test::Bytes broken = test::ReadBytes(Folder.File("a.pff"));
  broken[static_cast<size_t>(sample::ArchiveDataOffsets(ArchiveA)[2])] = 'X';
  Folder.Write("a.pff", broken);
  Filter("dup");
  Click("DisableShown");
  ASSERT_EQ(Dialogs.Messages.size(), 1);
  const QString message = Dialogs.Messages[0];
  EXPECT_TRUE(message.startsWith("Could not switch 1 of 2 missions:\nDUP.BMS ("))
      << message.toStdString();
  EXPECT_EQ(OnDisk(), "BMS VyK XMS BMS VyK VyK");
  // The locate step re-read the folder, which no longer lists a.pff's DUP.BMS; the filter still
  // holds, and every shown cell says what its mission's file holds.
  EXPECT_EQ(Seen(), "3F 4F | 2 of 5 shown, 2 enabled, 1 duplicate names");
}

TEST_F(Form1Test, ADuplicateNamesEverySourceFileInItsTooltip) {
  Open();
  const QString sources = QString::fromStdString(
      Folder.File("a.pff") + "\n" + Folder.File("b.pff") + "\n" + Folder.File("DUP.BMS"));
  ClickTitle(GridColumn::Creator);  // the tooltip follows the mission, not the row number
  const QAbstractItemModel& model = *Grid().model();
  for (int r = 0; r < model.rowCount(); ++r) {
    const int32_t mission = Grid().Model().CatalogueIndex(r);
    const bool duplicate = mission == 2 || mission == 4 || mission == 5;
    EXPECT_EQ(model.index(r, GridColumn::FileName).data(Qt::ToolTipRole).toString(),
              duplicate ? sources : QString());
    EXPECT_FALSE(model.index(r, GridColumn::MissionName).data(Qt::ToolTipRole).isValid());
  }
}

TEST_F(Form1Test, KeysUndoCopyOpenMenusSwitchAndMoveTheFocus) {
  Open();
  Window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(Window.get()));
  Filter("dup");
  Click("DisableShown");
  Grid().setFocus();
  QTest::keyClick(&Grid(), Qt::Key_Z, Qt::ControlModifier);  // both missions of the one command
  EXPECT_EQ(OnDisk(), kAsWritten);
  EXPECT_EQ(Seen(), "2T 4F 5T | Undid: Disable, 2 missions");

  // Ctrl+C copies the selected shown rows in grid order, titles first.
  ClickTitle(GridColumn::Creator);  // Ann (5), Hawk (4), Kim (2)
  const auto line = [&](int Row) {
    QStringList cells;
    for (int c = 0; c < kGridColumns; ++c) cells << Cell(Row, c);
    return cells.join('\t') + '\n';
  };
  const QString titles = Grid().Model().Titles().join('\t') + '\n';
  QItemSelectionModel& selection = *Grid().selectionModel();  // selected bottom up
  selection.setCurrentIndex(Grid().model()->index(2, 3), QItemSelectionModel::ClearAndSelect);
  selection.select(Grid().model()->index(0, 7), QItemSelectionModel::Select);
  QTest::keyClick(&Grid(), Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), titles + line(0) + line(2));
  selection.clearSelection();  // nothing selected: the current row
  QTest::keyClick(&Grid(), Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), titles + line(2));

  // Enter and the menu key open the column's menu at the current cell; Space switches only in
  // the Enabled column.
  Filter("jungle");  // BRAVO (disabled), CHARLIE
  const auto press = [&](int Row, int Column, Qt::Key Key) {
    Grid().setCurrentIndex(Grid().model()->index(Row, Column));
    QTest::keyClick(&Grid(), Key);
  };
  Dialogs.PopUps.clear();
  press(0, GridColumn::Creator, Qt::Key_Return);
  press(0, GridColumn::MissionType, Qt::Key_Enter);  // a column without a menu
  press(1, GridColumn::FileName, Qt::Key_Menu);
  ASSERT_EQ(Dialogs.PopUps.size(), 2u);
  EXPECT_EQ(Dialogs.PopUps[0].MenuName + Dialogs.PopUps[1].MenuName, "mnuPopUp_3mnuPopUp_1");
  Dialogs.MenuChoices = {"mnuEnableDisable"};
  press(0, GridColumn::Enabled, Qt::Key_Enter);
  press(1, GridColumn::Creator, Qt::Key_Space);
  press(1, GridColumn::Enabled, Qt::Key_Space);
  EXPECT_EQ(OnDisk(), "BMS BMS BMS VyK VyK BMS");
  EXPECT_EQ(Seen(), "1T 3F | 2 of 6 shown, 4 enabled, 1 duplicate names");
  QTest::keyClick(&Grid(), Qt::Key_Space);
  EXPECT_EQ(OnDisk(), "BMS BMS BMS BMS VyK BMS");
  EXPECT_EQ(Dialogs.PopUps.size(), 3u);

  // Switched, then changed from outside: the undo is refused and writes nothing.
  test::Bytes outside = test::ReadBytes(Folder.File("b.pff"));
  outside[static_cast<size_t>(sample::ArchiveDataOffsets(ArchiveB)[0]) + 1] = 'X';
  Folder.Write("b.pff", outside);
  QTest::keyClick(&Grid(), Qt::Key_Z, Qt::ControlModifier);
  ASSERT_EQ(Dialogs.Messages.size(), 1);
  EXPECT_TRUE(Dialogs.Messages[0].contains("CHARLIE.BMS"));
  EXPECT_EQ(test::ReadBytes(Folder.File("b.pff")), outside);

  // Tab leaves the grid and reaches every control in order, walking no cells.
  Grid().setCurrentIndex(Grid().model()->index(0, 0));
  Grid().setFocus();
  for (const char* name :
       {"Command1", "Command2", "Command3", "Command4", "Command5", "Command6", "ResolveMapName",
        "FilterText", "ShowState", "EnableShown", "DisableShown", "FG"}) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_NE(QApplication::focusWidget(), nullptr);
    EXPECT_EQ(QApplication::focusWidget()->objectName(), name);
  }
  EXPECT_EQ(Grid().currentIndex(), Grid().model()->index(0, 0));
}

// Export and import as the window wires them: dialogs, names, messages and the grid.
class ListFileTest : public test::WindowTest {};

TEST_F(ListFileTest, ExportAndImportThroughTheirDialogs) {
  Open();
  const QString list = List("profile.BRL");
  Export(list);
  EXPECT_EQ(Dialogs.Messages, QStringList{"List Saved to:\n" + list});
  EXPECT_EQ(test::ReadBytes(Lists.File("profile.BRL")), EncodeListFile(State.Missions).Bytes);
  ChooseOnEnabledCell(0);
  Import(list);
  ASSERT_EQ(Dialogs.FileDialogs.size(), 2u);
  EXPECT_EQ(Dialogs.FileDialogs[1], list);  // the name the export chose
  EXPECT_EQ(OnDisk(), kAsWritten);
  EXPECT_EQ(Seen(), "0T 1F 2T 3T 4F 5T | 6 of 6 shown, 4 enabled, 1 duplicate names");
  EXPECT_TRUE(Dialogs.Questions.isEmpty());  // an import into the list's own folder: one summary
  ASSERT_EQ(Dialogs.Reports.size(), 1u);
  EXPECT_EQ(Dialogs.Reports[0].Text,
            "Applied 6 of 6 rows of the list: 1 switched on, 0 switched off, 5 already so.");
  EXPECT_TRUE(Dialogs.Reports[0].CopyText.isEmpty());
  Click("Command3");  // cancelled dialogs end silently
  Click("Command4");
  EXPECT_EQ(Dialogs.FileDialogs.size(), 4u);
  EXPECT_EQ(Dialogs.Messages.size(), 1);  // nor in a message
}

// A list that would lack an unread file's missions is saved only when the person says so.
TEST_F(ListFileTest, ExportAsksFirstWhenAFileCouldNotBeRead) {
  const std::string unread = PutUnreadableArchive(Folder);
  Open();
  Dialogs.Messages.clear();  // the refresh named it
  const QString list = List("partial.BRL");
  for (const bool answer : {false, true}) {
    Dialogs.YesNoAnswers = {answer};
    Export(list);
    ASSERT_EQ(Dialogs.Questions.size(), answer ? 2 : 1);
    EXPECT_TRUE(Dialogs.Questions.back().contains(QString::fromStdString(Folder.File(unread))));
    EXPECT_EQ(std::filesystem::exists(Lists.File("partial.BRL")), answer);
  }
}

TEST_F(ListFileTest, NamesShorterThanSevenCharactersAreRefused) {
  Open();
  const QString current = QDir::currentPath();  // relative names: seven characters name a file
  ASSERT_TRUE(QDir::setCurrent(QString::fromStdString(Lists.Path())));
  std::vector<MissionEntry> rows = State.Missions;  // a list that would disable ALPHA.BMS
  rows[0].Enabled = kFalse;
  Lists.Write("ab.BRL", EncodeListFile(rows).Bytes);
  Lists.Write("abc.BRL", EncodeListFile(rows).Bytes);
  Import("ab.BRL");
  EXPECT_EQ(Dialogs.Messages, QStringList{"File Path Invalid!"});
  EXPECT_EQ(State.LastImported, -1);
  Import("abc.BRL");
  EXPECT_EQ(OnDisk(), "VyK VyK BMS BMS VyK BMS");
  Export("xy.BRL");
  Export("xyz.BRL");
  EXPECT_EQ(Dialogs.Messages, (QStringList{"File Path Invalid!", "Entered File Name InValid!",
                                           "List Saved to:\nxyz.BRL"}));
  EXPECT_FALSE(std::filesystem::exists(Lists.File("xy.BRL")));
  EXPECT_TRUE(std::filesystem::exists(Lists.File("xyz.BRL")));
  QDir::setCurrent(current);
}

TEST_F(ListFileTest, FailuresAreNamedAndChangeNothing) {
  Open();
  const test::Bytes old = {0xFF, 0xFF, 'o', 'l', 'd'};
  Lists.Write("keep.BRL", old);
  const CatalogueState opened = State;  // more rows than a list can hold
  State.Missions.assign(static_cast<size_t>(kMaxListRows) + 1, opened.Missions[0]);
  State.LastMission = kMaxListRows;
  Export(List("keep.BRL"));
  State = opened;
  ASSERT_EQ(Dialogs.Messages.size(), 1);
  EXPECT_TRUE(Dialogs.Messages[0].contains(List("keep.BRL")));
  EXPECT_EQ(test::ReadBytes(Lists.File("keep.BRL")), old);

  Import(List("missing.BRL"));  // a list that cannot be read is named, and nothing changes
  ASSERT_EQ(Dialogs.Messages.size(), 2);
  EXPECT_TRUE(Dialogs.Messages[1].contains(List("missing.BRL")));
  EXPECT_EQ(OnDisk(), kAsWritten);
}

}  // namespace
}  // namespace brieflist
