#include <QClipboard>
#include <QItemSelectionModel>

#include "gui/SixMissionWindow.h"
#include "view/GridCopy.h"

namespace brieflist {
namespace {

using KeyboardAndCopyTest = test::SixMissionWindow;

GridRow Row(int32_t Index, std::initializer_list<const char*> Cells) {
  GridRow row;
  row.Index = Index;
  size_t c = 0;
  for (const char* cell : Cells) row.Cells[c++] = QString::fromUtf8(cell);
  return row;
}

TEST(RowsAsText, TitleLineThenTheRowsGivenEachOneLineOfTabSeparatedFields) {
  CatalogueModel model;
  model.Reset({"FileName", "MissionName", "Creator"},
              {Row(0, {"A.BMS", "One", "Ann"}), Row(1, {"B.BMS", "T\two", "Line\r\nbreak"}),
               Row(2, {"C.BMS", "", "M\xC3\xBCller"})});
  EXPECT_EQ(RowsAsText(model, {2, 1}),
            "FileName\tMissionName\tCreator\n"
            "C.BMS\t\tM\xC3\xBCller\n"
            "B.BMS\tT wo\tLine  break\n");
  EXPECT_EQ(RowsAsText(model, {}), "FileName\tMissionName\tCreator\n");
}

TEST_F(KeyboardAndCopyTest, CtrlCCopiesTheSelectedShownRowsInGridOrder) {
  Open();
  Filter("dup");
  ClickTitle(GridColumn::Creator);  // Ann (5), Hawk (4), Kim (2)
  ASSERT_EQ(Shown(), (std::vector<int32_t>{5, 4, 2}));
  const auto line = [&](int Row) {
    QStringList cells;
    for (int c = 0; c < kGridColumns; ++c) cells << Cell(Row, c);
    return cells.join('\t') + '\n';
  };
  const QString titles = Grid().Model().Titles().join('\t') + '\n';

  // Selected from the bottom up, copied top down.
  QItemSelectionModel& selection = *Grid().selectionModel();
  selection.setCurrentIndex(Grid().model()->index(2, 3), QItemSelectionModel::ClearAndSelect);
  selection.select(Grid().model()->index(0, 7), QItemSelectionModel::Select);
  QTest::keyClick(&Grid(), Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), titles + line(0) + line(2));
  EXPECT_TRUE(line(0).startsWith("DUP.BMS\tDupLoose\tAnn\tCOOP,KOTH,\tTrue\t"));

  // Nothing selected: the current row.
  selection.clearSelection();
  QTest::keyClick(&Grid(), Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), titles + line(2));
}

TEST_F(KeyboardAndCopyTest, EnterAndTheMenuKeyOpenTheColumnsPopUpAtTheCell) {
  QTest::keyClick(&Grid(), Qt::Key_Return);  // before a catalogue: nothing
  EXPECT_TRUE(Dialogs.PopUps.empty());
  Open();
  Filter("jungle");  // BRAVO (disabled), CHARLIE
  const auto press = [&](int Row, int Column, Qt::Key Key) {
    Grid().setCurrentIndex(Grid().model()->index(Row, Column));
    QTest::keyClick(&Grid(), Key);
  };
  press(0, GridColumn::Creator, Qt::Key_Return);
  press(0, GridColumn::MissionType, Qt::Key_Enter);  // a column without a menu
  press(1, GridColumn::FileName, Qt::Key_Menu);
  ASSERT_EQ(Dialogs.PopUps.size(), 2u);
  EXPECT_EQ(Dialogs.PopUps[0].MenuName, "mnuPopUp_3");
  EXPECT_EQ(Dialogs.PopUps[1].MenuName, "mnuPopUp_1");

  Dialogs.MenuChoices = {"mnuEnableDisable"};
  press(0, GridColumn::Enabled, Qt::Key_Enter);
  EXPECT_EQ(Signature("a.pff", ArchiveA, 1), "BMS");
  EXPECT_EQ(Cell(0, GridColumn::Enabled), "True");
}

TEST_F(KeyboardAndCopyTest, SpaceSwitchesTheCurrentMissionOnlyInTheEnabledColumn) {
  Open();
  Filter("charlie");
  Grid().setCurrentIndex(Grid().model()->index(0, GridColumn::Creator));
  QTest::keyClick(&Grid(), Qt::Key_Space);
  EXPECT_EQ(Signature("b.pff", ArchiveB, 0), "BMS");

  Grid().setCurrentIndex(Grid().model()->index(0, GridColumn::Enabled));
  QTest::keyClick(&Grid(), Qt::Key_Space);
  EXPECT_EQ(Signature("b.pff", ArchiveB, 0), "VyK");
  EXPECT_EQ(Cell(0, GridColumn::Enabled), "False");
  QTest::keyClick(&Grid(), Qt::Key_Space);
  EXPECT_EQ(Signature("b.pff", ArchiveB, 0), "BMS");
  EXPECT_TRUE(Dialogs.PopUps.empty());
  EXPECT_TRUE(Dialogs.Messages.empty());
}

TEST_F(KeyboardAndCopyTest, TabLeavesTheGridAndReachesEveryControl) {
  Open();
  Window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(Window.get()));
  Grid().setCurrentIndex(Grid().model()->index(0, 0));
  Grid().setFocus();
  ASSERT_TRUE(Grid().hasFocus());
  for (const char* name :
       {"Command1", "Command2", "Command3", "Command4", "Command5", "Command6", "ResolveMapName",
        "FilterText", "ShowState", "EnableShown", "DisableShown", "FG"}) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_NE(QApplication::focusWidget(), nullptr);
    EXPECT_EQ(QApplication::focusWidget()->objectName(), name);
  }
  EXPECT_EQ(Grid().currentIndex(), Grid().model()->index(0, 0));  // Tab walked no cells
}

}  // namespace
}  // namespace brieflist
