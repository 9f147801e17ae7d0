// The grid in the whole window: after switches, in the next run, and from the command line.
#include "app/StartArguments.h"
#include "gui/WindowFixture.h"
#include "view/GridCopy.h"

namespace brieflist {
namespace {

class GridWindowTest : public test::WindowTest {};

TEST_F(GridWindowTest, SeveralSelectedRowsSwitchEachAsOneCommandAndEveryCellFollowsTheFile) {
  Open();
  // Space toggles each selected mission, then the Enable/Disable menu toggles them back.
  const char* after[] = {"VyK BMS BMS VyK VyK BMS", "BMS VyK BMS BMS VyK BMS"};
  for (const Qt::Key key : {Qt::Key_Space, Qt::Key_Return}) {
    for (const int row : {0, 1, 3})  // the last one current
      Grid().selectionModel()->setCurrentIndex(
          Grid().model()->index(row, GridColumn::Enabled),
          row ? QItemSelectionModel::Select : QItemSelectionModel::ClearAndSelect);
    Dialogs.MenuChoices = {"mnuEnableDisable"};
    QTest::keyClick(&Grid(), key);
    EXPECT_EQ(OnDisk(), after[key == Qt::Key_Return]);
    // What a switch left in the grid is what reading the files again shows, Modified included.
    const QString switched = RowsAsText(Grid().Model(), {0, 1, 2, 3, 4, 5});
    Click("Command5");
    EXPECT_EQ(RowsAsText(Grid().Model(), {0, 1, 2, 3, 4, 5}), switched);
  }
  Window->UndoLastPatch();  // the menu's three switches, together
  EXPECT_EQ(OnDisk(), after[0]);
}

TEST_F(GridWindowTest, MapNamesAndTheSortAreShownAsLastChosenInTheNextRun) {
  const auto nextRun = [this] {
    Window = std::make_unique<Form1>(State, *Files, Dialogs);
    Dialogs.Watched = Window.get();
    Window->UseChooserSources(Settings, Drives);
    Open();
  };
  nextRun();
  Click("ResolveMapName");
  ClickTitle(GridColumn::Creator);
  nextRun();
  EXPECT_EQ(Shown(), (std::vector<int32_t>{1, 5, 0, 4, 2, 3}));
  EXPECT_EQ(Cell(RowOf(0), GridColumn::MissionName), "Operation Dawn");
  ClickTitle(GridColumn::Creator);  // the direction goes on from the remembered one
  EXPECT_EQ(Shown(), (std::vector<int32_t>{3, 2, 0, 4, 1, 5}));
}

TEST(StartArguments, AFolderIsOpenedAnyOtherNameImportedAndMistakesNamed) {
  const test::TempFolder folder;
  const QString dir = test::Native(folder.Path());
  // The arguments ("@" a folder that exists) = what they give: folder|list|refused.
  for (const char* c : {"=||0", "@=@||0", "--folder gone=gone||0", "L.BRL @=@|L.BRL|0", "a b=|b|1",
                        "@ --folder @=@||1", "--folder=||1", "--fullscreen @=||1"}) {
    const QStringList test = QString(c).replace('@', dir).split('=');
    const StartArguments got = ReadStartArguments(test[0].split(' ', Qt::SkipEmptyParts));
    EXPECT_EQ(got.Folder + '|' + got.List + '|' + QString::number(!got.Error.isEmpty()), test[1]);
  }
}

}  // namespace
}  // namespace brieflist
