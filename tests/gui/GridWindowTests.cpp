// The grid in the whole window: its rows after switches, several rows at once, and what the
// window remembers and is handed at start.
#include <QItemSelectionModel>

#include "app/StartArguments.h"
#include "gui/WindowFixture.h"

namespace brieflist {
namespace {

class GridWindowTest : public test::WindowTest {
 protected:
  // Every cell of every row, in catalogue order whatever the grid's order.
  QStringList Cells() {
    QStringList rows(Grid().Model().rowCount());
    for (int r = 0; r < Grid().Model().rowCount(); ++r) {
      QStringList cells;
      for (int c = 0; c < kGridColumns; ++c) cells << Cell(r, c);
      rows[Grid().Model().CatalogueIndex(r)] = cells.join('|');
    }
    return rows;
  }
  void SelectEnabledCells(std::initializer_list<int32_t> Indices) {
    QItemSelectionModel& selection = *Grid().selectionModel();
    selection.clear();
    for (const int32_t index : Indices) {
      const QModelIndex at = Grid().model()->index(RowOf(index), GridColumn::Enabled);
      selection.setCurrentIndex(at, QItemSelectionModel::Select);
    }
  }
};

TEST_F(GridWindowTest, SeveralSelectedRowsSwitchEachAsOneCommandAndEveryCellFollowsTheFile) {
  Open();
  ClickTitle(GridColumn::Creator);  // grid rows are not catalogue rows
  // Space toggles each selected mission, then the Enable/Disable menu toggles them back.
  const char* after[] = {"VyK BMS BMS VyK VyK BMS", "BMS VyK BMS BMS VyK BMS"};
  for (const Qt::Key key : {Qt::Key_Space, Qt::Key_Return}) {
    SelectEnabledCells({0, 1, 3});
    Dialogs.MenuChoices = {"mnuEnableDisable"};
    QTest::keyClick(&Grid(), key);
    EXPECT_EQ(OnDisk(), after[key == Qt::Key_Return]);
    // What a switch left in the grid is what reading the files again shows, Modified included.
    const QStringList switched = Cells();
    Click("Command5");
    EXPECT_EQ(Cells(), switched);
  }
  EXPECT_EQ(Dialogs.Messages, QStringList());
  Window->UndoLastPatch();  // the menu's three switches, together
  EXPECT_EQ(OnDisk(), after[0]);
}

TEST_F(GridWindowTest, MapNamesAndTheSortAreShownAsLastChosenInTheNextRun) {
  const auto nextRun = [this] {
    Window = std::make_unique<Form1>(State, *Files, Dialogs);
    Dialogs.Watched = Window.get();
    Window->UseChooserSources(Settings, Drives);
    Window->show();
    Open();
  };
  nextRun();
  Click("ResolveMapName");
  ClickTitle(GridColumn::Creator);
  ClickTitle(GridColumn::Creator);
  nextRun();
  EXPECT_EQ(Shown(), (std::vector<int32_t>{3, 2, 0, 4, 1, 5}));
  EXPECT_EQ(Cell(RowOf(0), GridColumn::MissionName), "Operation Dawn");
  ClickTitle(GridColumn::Creator);  // the direction goes on from the remembered one
  EXPECT_EQ(Shown(), (std::vector<int32_t>{1, 5, 0, 4, 2, 3}));
  Click("Command6");  // catalogue order, also for the next run
  Click("ResolveMapName");
  nextRun();
  EXPECT_EQ(Shown(), (std::vector<int32_t>{0, 1, 2, 3, 4, 5}));
  EXPECT_EQ(Cell(0, GridColumn::MissionName), "c010001");
}

TEST(StartArguments, AFolderIsOpenedAnyOtherNameImportedAndMistakesNamed) {
  const test::TempFolder folder;
  const QString dir = test::Native(folder.Path());
  const struct {
    QStringList Args;
    QString Folder, List;
    bool Error;
  } cases[] = {
      {{}, "", "", false},
      {{dir}, dir, "", false},
      {{"--folder", "gone"}, "gone", "", false},
      {{"LIST.BRL", dir}, dir, "LIST.BRL", false},
      {{"a.brl", "b.brl"}, "", "b.brl", true},
      {{dir, "--folder", dir}, dir, "", true},
      {{"--folder"}, "", "", true},
      {{"--fullscreen", dir}, "", "", true},
  };
  for (const auto& c : cases) {
    const StartArguments got = ReadStartArguments(c.Args);
    EXPECT_EQ(got.Folder + "|" + got.List, c.Folder + "|" + c.List)
        << c.Args.join(' ').toStdString();
    EXPECT_EQ(!got.Error.isEmpty(), c.Error) << c.Args.join(' ').toStdString();
  }
}

}  // namespace
}  // namespace brieflist
