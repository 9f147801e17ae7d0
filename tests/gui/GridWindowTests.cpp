// The grid in the whole window: its rows after switches, several rows at once, and what the
// window remembers and is handed at start.
#include <QItemSelectionModel>

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

}  // namespace
}  // namespace brieflist
