#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFontMetricsF>
#include <QHeaderView>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <cmath>
#include <memory>

#include "app/Form1.h"
#include "gui/GuiTestSupport.h"
#include "platform/FileSystem.h"
#include "platform/qt/Twips.h"
#include "support/TestSupport.h"
#include "view/MissionGrid.h"
#include "view/PopUpMenus.h"

namespace brieflist {
namespace {

using sample::ArchiveEntry;
using sample::MissionSpec;

MissionSpec Mission(const std::string& Name, const std::string& Creator, bool Disabled = false) {
  MissionSpec m;
  m.MissionName = Name;
  m.Creator = Creator;
  m.Terrain = "Desert";
  m.Disabled = Disabled;
  m.Signature = Disabled ? "VyK" : "BMS";
  return m;
}

// a.pff: ONE.BMS and TWO.BMS and a text resource; b.pff: another ONE.BMS; a loose ONE.BMS.
// Catalogue rows: 0 a/ONE, 1 a/TWO, 2 b/ONE, 3 loose ONE.
class Form1Test : public testing::Test {
 protected:
  void SetUp() override {
    MissionSpec one = Mission("c010001", "Zed|;x");
    one.Terrain = "c010001";  // a map key too: the terrain is never resolved
    one.FlagHigh = 0x80;
    one.FlagLow = 0x01;
    MissionSpec two = Mission("", "Hawk", true);
    two.VersionByte = 13;
    ArchiveA = {{"ONE.BMS", sample::BuildMission(one)},
                {"TWO.BMS", sample::BuildMission(two)},
                {"TEXT.BIN", sample::BuildRtxt({{"STR_VC010001", "Operation Dawn"},
                                                {"STR_VC010002", "Operation Dusk"}})}};
    ArchiveB = {{"ONE.BMS", sample::BuildMission(Mission("Bravo", "Ann"))}};
    Folder.Write("a.pff", sample::BuildArchive(ArchiveA));
    Folder.Write("b.pff", sample::BuildArchive(ArchiveB));
    Folder.Write("ONE.BMS", sample::BuildMission(Mission("Loose", "Kim")));

    Window = std::make_unique<Form1>(State, *Files, Dialogs);
    Dialogs.Watched = Window.get();
    Window->show();
  }

  void Open() { Window->OpenFolder(Folder.Path()); }

  MissionGrid& Grid() { return Window->Grid(); }
  QString Cell(int Row, int Column) { return Grid().Model().Cell(Row, Column); }
  int RowOf(int32_t CatalogueIndex) {
    for (int r = 0; r < Grid().Model().rowCount(); ++r)
      if (Grid().Model().CatalogueIndex(r) == CatalogueIndex) return r;
    return -1;
  }
  std::vector<int32_t> GridOrder() {
    std::vector<int32_t> order;
    for (int r = 0; r < Grid().Model().rowCount(); ++r)
      order.push_back(Grid().Model().CatalogueIndex(r));
    return order;
  }

  void ClickCell(int Row, int Column, Qt::MouseButton Button = Qt::LeftButton) {
    const QModelIndex at = Grid().model()->index(Row, Column);
    Grid().scrollTo(at);
    QTest::mouseClick(Grid().viewport(), Button, {}, Grid().visualRect(at).center());
  }
  void ClickTitle(int Column, Qt::MouseButton Button = Qt::LeftButton) {
    QHeaderView* titles = Grid().horizontalHeader();
    const int x = titles->sectionViewportPosition(Column) + titles->sectionSize(Column) / 2;
    QTest::mouseClick(titles->viewport(), Button, {}, QPoint(x, titles->height() / 2));
  }
  // Clicks the "Enabled" cell of the grid row showing catalogue row Index and chooses Item.
  void ChooseOnEnabledCell(int32_t Index, const char* Item = "mnuEnableDisable") {
    Dialogs.MenuChoices.push_back(QString::fromLatin1(Item));
    ClickCell(RowOf(Index), GridColumn::Enabled);
  }

  std::string Signature(const std::string& File, int32_t Offset) {
    const sample::Bytes bytes = test::ReadBytes(Folder.File(File));
    return std::string(bytes.begin() + Offset, bytes.begin() + Offset + 3);
  }
  int32_t OffsetIn(const std::vector<ArchiveEntry>& Archive, size_t Entry) {
    return sample::ArchiveDataOffsets(Archive)[Entry];
  }
  template <typename T>
  T* Control(const char* Name) {
    return Window->findChild<T*>(QString::fromLatin1(Name));
  }

  test::TempFolder Folder;
  std::vector<ArchiveEntry> ArchiveA;
  std::vector<ArchiveEntry> ArchiveB;
  std::unique_ptr<FileSystem> Files = MakeNativeFileSystem();
  CatalogueState State;
  test::ScriptedDialogs Dialogs;
  std::unique_ptr<Form1> Window;
};

TEST_F(Form1Test, LoadsWithNineTitlesOneEmptyRowAndGreyedCommands) {
  EXPECT_EQ(Window->windowTitle(), "VyK Tallis's Brieflist");
  EXPECT_EQ(Window->findChild<QMenuBar*>(), nullptr);
  EXPECT_EQ(State.LastMission, -1);

  const CatalogueModel& model = Grid().Model();
  EXPECT_EQ(Grid().objectName(), "FG");
  EXPECT_EQ(model.Titles(),
            (QStringList{"FileName", "MissionName", "Creator", "MissionType", "Enabled", "Modified",
                         "MissionTypeFlags", "DF", "External"}));
  ASSERT_EQ(model.rowCount(), 1);
  EXPECT_EQ(model.Cell(0, 0), "");
  EXPECT_EQ(Grid().font().family(), "MS Sans Serif");
  EXPECT_DOUBLE_EQ(Grid().font().pointSizeF(), 8.25);

  struct Expected {
    const char* Name;
    const char* Caption;
    bool Enabled;
    int Left, Top, Width, Height;
  };
  const Expected controls[] = {
      {"Command1", "OpenPath", true, 120, 120, 975, 255},
      {"Command2", "About", true, 1200, 120, 975, 255},
      {"Command3", "ExportList", false, 120, 480, 975, 255},
      {"Command4", "ImportList", true, 1200, 480, 975, 255},
      {"Command5", "UpDateList", false, 120, 840, 975, 255},
      {"Command6", "RefreshList", false, 1200, 840, 975, 255},
      {"ResolveMapName", "Resolve Map Names", false, 120, 1200, 2055, 375},
  };
  for (const Expected& c : controls) {
    auto* control = Control<QAbstractButton>(c.Name);
    ASSERT_NE(control, nullptr) << c.Name;
    EXPECT_EQ(control->text(), c.Caption);
    EXPECT_EQ(control->isEnabled(), c.Enabled) << c.Name;
    EXPECT_EQ(control->geometry(), TwipsRect(c.Left, c.Top, c.Width, c.Height, *Window));
  }
  EXPECT_FALSE(Control<QCheckBox>("ResolveMapName")->isChecked());
  EXPECT_EQ(Grid().geometry(), TwipsRect(2280, 120, 8415, 2895, *Window));
  EXPECT_EQ(Window->size(), TwipsRect(0, 0, 10815, 3150, *Window).size());

  // Tab order: the grid, then the buttons in pairs, then the check box.
  QWidget* at = &Grid();
  for (const char* name :
       {"Command1", "Command2", "Command3", "Command4", "Command5", "Command6", "ResolveMapName"}) {
    at = at->nextInFocusChain();
    while (at->focusPolicy() == Qt::NoFocus || at->parentWidget() != Window.get())
      at = at->nextInFocusChain();
    EXPECT_EQ(at->objectName(), name);
  }
}

TEST_F(Form1Test, ClicksDoNothingWhileTheCatalogueIsEmpty) {
  ClickCell(0, GridColumn::Enabled);
  ClickTitle(GridColumn::FileName);
  test::TempFolder empty;
  Window->OpenFolder(empty.Path());
  EXPECT_EQ(State.LastMission, -1);
  EXPECT_EQ(Grid().Model().rowCount(), 0);
  EXPECT_EQ(Grid().Model().columnCount(), 10);
  ClickTitle(GridColumn::Creator);
  EXPECT_TRUE(Dialogs.PopUps.empty());
  for (const bool ascending : Window->SortAscending()) EXPECT_FALSE(ascending);
}

TEST_F(Form1Test, FillShowsEveryCellAndEnablesTheCatalogueCommands) {
  Open();
  EXPECT_TRUE(Dialogs.Messages.empty());
  for (const char* name : {"Command3", "Command5", "Command6", "ResolveMapName"})
    EXPECT_TRUE(Control<QWidget>(name)->isEnabled()) << name;

  ASSERT_EQ(Grid().Model().rowCount(), 4);
  EXPECT_EQ(Grid().Model().Titles().size(), 10);
  const std::vector<QStringList> expected = {
      {"ONE.BMS", "c010001", "Zed|;x", "COOP,A&D,", "True", "False", "1000000000000001", "2",
       "False", "c010001"},
      {"TWO.BMS", "", "Hawk", "", "False", "False", "0000000000000000", "1", "False", "Desert"},
      {"ONE.BMS", "Bravo", "Ann", "", "True", "False", "0000000000000000", "2", "False", "Desert"},
      {"ONE.BMS", "Loose", "Kim", "", "True", "False", "0000000000000000", "2", "True", "Desert"},
  };
  for (int r = 0; r < 4; ++r) {
    EXPECT_EQ(Grid().Model().CatalogueIndex(r), r);
    for (int c = 0; c < kGridColumns; ++c) EXPECT_EQ(Cell(r, c), expected[r][c]) << r << "," << c;
  }

  // Map names resolved: a name with a key in another letter case shows the key's text, an empty
  // name "Not Found!", a name without a key itself; the terrain never changes.
  QTest::mouseClick(Control<QCheckBox>("ResolveMapName"), Qt::LeftButton);
  EXPECT_EQ(Cell(0, GridColumn::MissionName), "Operation Dawn");
  EXPECT_EQ(Cell(1, GridColumn::MissionName), "Not Found!");
  EXPECT_EQ(Cell(2, GridColumn::MissionName), "Bravo");
  EXPECT_EQ(Cell(0, GridColumn::Terrain), "c010001");
  QTest::mouseClick(Control<QCheckBox>("ResolveMapName"), Qt::LeftButton);
  EXPECT_EQ(Cell(0, GridColumn::MissionName), "c010001");
}

TEST_F(Form1Test, EachColumnIsAsWideAsItsWidestEntryPlusTheCellMargin) {
  Open();
  QTest::mouseClick(Control<QCheckBox>("ResolveMapName"), Qt::LeftButton);
  const QFontMetricsF metrics(Grid().font());
  const CatalogueModel& model = Grid().Model();
  for (int c = 0; c < kGridColumns; ++c) {
    const QString space = c == GridColumn::Terrain ? "" : " ";
    double widest = metrics.horizontalAdvance(model.Titles()[c] + space);
    for (int r = 0; r < model.rowCount(); ++r)
      widest = std::max(widest, metrics.horizontalAdvance(model.Cell(r, c) + space));
    EXPECT_EQ(Grid().columnWidth(c), static_cast<int>(std::ceil(widest)) + Grid().CellMargin())
        << model.Titles()[c].toStdString();
  }
}

TEST_F(Form1Test, DataClicksPopUpTheirColumnsMenu) {
  Open();
  struct Expected {
    int Column;
    const char* Menu;  // nullptr: no menu
    const char* Item;
    bool ItemEnabled;
  };
  const Expected table[] = {
      {0, "mnuPopUp_1", "Edit File Name", false},
      {1, "mnuPopUp_2", "Edit Mission Name", false},
      {2, "mnuPopUp_3", "Edit Creator Name", false},
      {3, nullptr, nullptr, false},
      {4, "mnuPopUp_5", "Enable/Disable", true},
      {5, nullptr, nullptr, false},
      {6, "mnuPopUp_7", "Edit Mission Flags", false},
      {7, nullptr, nullptr, false},
      {8, nullptr, nullptr, false},
      {9, nullptr, nullptr, false},
  };
  for (const Expected& e : table) {
    Dialogs.PopUps.clear();
    ClickCell(1, e.Column);
    EXPECT_EQ(Grid().currentIndex(), Grid().model()->index(1, e.Column));
    if (!e.Menu) {
      EXPECT_TRUE(Dialogs.PopUps.empty()) << e.Column;
      continue;
    }
    ASSERT_EQ(Dialogs.PopUps.size(), 1u) << e.Column;
    EXPECT_EQ(Dialogs.PopUps[0].MenuName, e.Menu);
    EXPECT_EQ(Dialogs.PopUps[0].Items, (QStringList{e.Item, "Cancel"}));
    EXPECT_EQ(Dialogs.PopUps[0].ItemsEnabled, (std::vector<bool>{e.ItemEnabled, true}));
  }

  // Other buttons do nothing, on data rows and titles.
  Dialogs.PopUps.clear();
  ClickCell(0, GridColumn::Enabled, Qt::RightButton);
  ClickCell(0, GridColumn::Enabled, Qt::MiddleButton);
  ClickTitle(GridColumn::Creator, Qt::RightButton);
  EXPECT_TRUE(Dialogs.PopUps.empty());
  EXPECT_FALSE(Window->SortAscending()[GridColumn::Creator]);
  EXPECT_EQ(GridOrder(), (std::vector<int32_t>{0, 1, 2, 3}));
}

TEST_F(Form1Test, TitleClicksAlternatePerColumnAndAFillRestoresCatalogueOrder) {
  Open();
  // Creators: 0 "Zed|;x", 1 "Hawk", 2 "Ann", 3 "Kim".
  ClickTitle(GridColumn::Creator);
  EXPECT_EQ(GridOrder(), (std::vector<int32_t>{2, 1, 3, 0}));
  ClickTitle(GridColumn::Creator);
  EXPECT_EQ(GridOrder(), (std::vector<int32_t>{0, 3, 1, 2}));
  ClickTitle(GridColumn::Creator);
  EXPECT_EQ(GridOrder(), (std::vector<int32_t>{2, 1, 3, 0}));
  EXPECT_TRUE(Window->SortAscending()[GridColumn::Creator]);

  // DF has its own alternation: first click ascending, numbers as numbers (1 before 2).
  ClickTitle(GridColumn::DF);
  EXPECT_EQ(Grid().Model().CatalogueIndex(0), 1);
  EXPECT_TRUE(Window->SortAscending()[GridColumn::DF]);

  QTest::mouseClick(Control<QPushButton>("Command6"), Qt::LeftButton);  // RefreshList
  EXPECT_EQ(GridOrder(), (std::vector<int32_t>{0, 1, 2, 3}));
  EXPECT_TRUE(Window->SortAscending()[GridColumn::Creator]);
  ClickTitle(GridColumn::Creator);  // continues the column's alternation: descending
  EXPECT_EQ(GridOrder(), (std::vector<int32_t>{0, 3, 1, 2}));
}

TEST_F(Form1Test, EnableDisableSwitchesExactlyTheClickedRowsMission) {
  Open();
  const sample::Bytes archiveA = test::ReadBytes(Folder.File("a.pff"));
  const sample::Bytes archiveB = test::ReadBytes(Folder.File("b.pff"));
  const sample::Bytes loose = test::ReadBytes(Folder.File("ONE.BMS"));
  const int32_t offsetB = OffsetIn(ArchiveB, 0);

  // b.pff's ONE.BMS shares its name with a.pff's, which comes first in the catalogue.
  ChooseOnEnabledCell(2);
  EXPECT_EQ(Signature("b.pff", offsetB), "VyK");
  EXPECT_EQ(test::ReadBytes(Folder.File("a.pff")), archiveA);
  EXPECT_EQ(Cell(2, GridColumn::Enabled), "False");
  EXPECT_EQ(Cell(0, GridColumn::Enabled), "True");
  EXPECT_EQ(State.Missions[2].Enabled, kFalse);
  EXPECT_EQ(State.Missions[0].Enabled, kTrue);

  ChooseOnEnabledCell(2);
  EXPECT_EQ(test::ReadBytes(Folder.File("b.pff")), archiveB);
  EXPECT_EQ(Cell(2, GridColumn::Enabled), "True");

  // The loose ONE.BMS is told apart from the packed ones.
  ChooseOnEnabledCell(3);
  EXPECT_EQ(Signature("ONE.BMS", 0), "VyK");
  EXPECT_EQ(test::ReadBytes(Folder.File("a.pff")), archiveA);
  EXPECT_EQ(test::ReadBytes(Folder.File("b.pff")), archiveB);
  EXPECT_EQ(Cell(3, GridColumn::Enabled), "False");
  ChooseOnEnabledCell(3);
  EXPECT_EQ(test::ReadBytes(Folder.File("ONE.BMS")), loose);

  // After a sort the row still switches its own mission: a.pff's disabled TWO.BMS.
  ClickTitle(GridColumn::FileName);
  ClickTitle(GridColumn::FileName);
  ASSERT_NE(RowOf(1), 1);
  ChooseOnEnabledCell(1);
  EXPECT_EQ(Signature("a.pff", OffsetIn(ArchiveA, 1)), "BMS");
  EXPECT_EQ(Cell(RowOf(1), GridColumn::Enabled), "True");
  EXPECT_EQ(Cell(RowOf(1), GridColumn::Modified), "False");  // follows at the next refresh
  EXPECT_TRUE(Dialogs.Messages.empty());
}

TEST_F(Form1Test, CancelAndAStaleRowWriteNothing) {
  Open();
  const sample::Bytes archiveA = test::ReadBytes(Folder.File("a.pff"));

  ChooseOnEnabledCell(0, "mnuCancel5");
  ChooseOnEnabledCell(0, "");  // dismissed
  EXPECT_EQ(Cell(0, GridColumn::Enabled), "True");

  State.Missions[0].FileName = "GONE.BMS";  // the catalogue no longer holds the row's mission
  ChooseOnEnabledCell(0);
  ASSERT_EQ(Dialogs.Messages.size(), 1u);
  EXPECT_EQ(Dialogs.Messages[0].Text, "File Not Found In Current List!");
  EXPECT_EQ(test::ReadBytes(Folder.File("a.pff")), archiveA);
  EXPECT_EQ(Cell(0, GridColumn::Enabled), "True");
}

TEST_F(Form1Test, AMovedMissionIsFoundAgainAndTheGridAgreesWithTheDisk) {
  Open();
  // b.pff is rewritten with another mission before ONE.BMS: the recorded offset is stale.
  std::vector<ArchiveEntry> moved = {{"PAD.BIN", sample::Bytes(700, 0)}, ArchiveB[0]};
  Folder.Write("b.pff", sample::BuildArchive(moved));
  // Sorted, so that the clicked row's number names another mission once the refresh has put the
  // grid back into catalogue order.
  ClickTitle(GridColumn::Creator);
  ClickTitle(GridColumn::Creator);
  ASSERT_EQ(RowOf(2), 3);
  ChooseOnEnabledCell(2);

  EXPECT_EQ(Signature("b.pff", OffsetIn(moved, 1)), "VyK");
  ASSERT_EQ(State.LastMission, 3);
  EXPECT_EQ(State.Missions[2].DataOffset, OffsetIn(moved, 1));
  EXPECT_EQ(State.Missions[2].Enabled, kFalse);
  for (int32_t i = 0; i <= State.LastMission; ++i) {
    const bool enabled = State.Missions[static_cast<size_t>(i)].Enabled != kFalse;
    EXPECT_EQ(Cell(RowOf(i), GridColumn::Enabled), enabled ? "True" : "False") << i;
  }
  EXPECT_TRUE(Dialogs.Messages.empty());
}

TEST_F(Form1Test, UpDateListRereadsTheFolderWithABusyCursorAndReportsProblems) {
  Open();
  sample::ArchiveOptions invalid;
  invalid.Magic = "XXXX";
  Folder.Write("c.pff", sample::BuildArchive(ArchiveB, invalid));
  Dialogs.YesNoAnswers = {true};  // skip it
  QTest::mouseClick(Control<QPushButton>("Command5"), Qt::LeftButton);
  ASSERT_EQ(Dialogs.Questions.size(), 1u);
  EXPECT_TRUE(Dialogs.BusyWhileAsked[0]);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(Grid().Model().rowCount(), 4);

  Window->OpenFolder(Folder.File("missing"));
  ASSERT_EQ(Dialogs.Messages.size(), 1u);
  EXPECT_TRUE(Dialogs.Messages[0].Text.startsWith("These files could not be read:\n"));
  EXPECT_TRUE(Dialogs.Messages[0].Text.contains("missing"));
  EXPECT_EQ(Grid().Model().rowCount(), 0);
}

TEST_F(Form1Test, TheGridFollowsTheWindowSizeAboveTheThreshold) {
  // The rule reads the outer size, frame included; 15 twips to a pixel at 96 DPI.
  const QSize frame = Window->frameGeometry().size() - Window->size();
  const auto pixels = [&](int Width, int Height) {
    return TwipsRect(0, 0, Width, Height, *Window).size();
  };
  const auto resizeOuter = [&](int Width, int Height) {
    Window->resize(pixels(Width, Height) - frame);
  };
  const QSize design = Grid().size();
  resizeOuter(5000, 4260);  // below the threshold in height: unchanged
  EXPECT_EQ(Grid().size(), design);

  resizeOuter(12000, 6000);
  EXPECT_EQ(Grid().size(), pixels(9480, 5384));
  resizeOuter(12000, 4005);
  EXPECT_EQ(Grid().size(), pixels(9480, 5384));
  resizeOuter(4260, 9000);
  EXPECT_EQ(Grid().size(), pixels(9480, 5384));
  resizeOuter(4275, 4275);
  EXPECT_EQ(Grid().size(), pixels(1755, 3659));
  EXPECT_EQ(Grid().pos(), TwipsRect(2280, 120, 0, 0, *Window).topLeft());
}

TEST_F(Form1Test, AboutShowsThreeLinesWithTheWindowDisabled) {
  for (int time = 0; time < 2; ++time) {
    QTest::mouseClick(Control<QPushButton>("Command2"), Qt::LeftButton);
    ASSERT_EQ(Dialogs.Messages.size(), static_cast<size_t>(time + 1));
    const QStringList lines = Dialogs.Messages.back().Text.split('\n');
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0], "Brieflist v0.12");
    EXPECT_FALSE(lines[1].isEmpty());
    EXPECT_EQ(lines[2], "");
    EXPECT_FALSE(Dialogs.Messages.back().WindowEnabled);
    EXPECT_TRUE(Window->isEnabled());
  }
}

TEST_F(Form1Test, ClosingEndsWithoutAQuestion) {
  Open();
  EXPECT_TRUE(Window->close());
  EXPECT_TRUE(Dialogs.Messages.empty());
  EXPECT_TRUE(Dialogs.Questions.isEmpty());
}

}  // namespace
}  // namespace brieflist
