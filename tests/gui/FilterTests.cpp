#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QFontMetricsF>
#include <QPersistentModelIndex>
#include <cmath>

#include "gui/SixMissionWindow.h"
#include "platform/qt/Twips.h"
#include "view/FillGrid.h"

namespace brieflist {
namespace {

using test::SixMissionWindow;
using FilterTest = SixMissionWindow;

TEST_F(FilterTest, NewControlsSitBelowTheCheckBoxGreyedUntilACatalogueExists) {
  struct Expected {
    const char* Name;
    int Left, Top, Width, Height;
  };
  const Expected controls[] = {
      {"FilterText", 120, 1680, 2055, 285}, {"ShowState", 120, 2040, 2055, 285},
      {"EnableShown", 120, 2400, 975, 255}, {"DisableShown", 1200, 2400, 975, 255},
      {"Summary", 120, 2760, 2055, 255},
  };
  for (const Expected& c : controls) {
    QWidget* control = Control<QWidget>(c.Name);
    ASSERT_NE(control, nullptr) << c.Name;
    EXPECT_EQ(control->geometry(), TwipsRect(c.Left, c.Top, c.Width, c.Height, *Window));
    EXPECT_FALSE(control->isEnabled()) << c.Name;
  }
  EXPECT_EQ(Control<QLineEdit>("FilterText")->placeholderText(), "Filter");
  QComboBox* state = Control<QComboBox>("ShowState");
  ASSERT_EQ(state->count(), 3);
  EXPECT_EQ(state->itemText(0), "All missions");
  EXPECT_EQ(state->itemText(1), "Enabled only");
  EXPECT_EQ(state->itemText(2), "Disabled only");
  EXPECT_EQ(Control<QPushButton>("EnableShown")->text(), "Enable shown");
  EXPECT_EQ(Control<QPushButton>("DisableShown")->text(), "Disable shown");
  EXPECT_EQ(Summary(), "");

  // Typed into while greyed (only a program can), the filter hides nothing.
  Filter("zzz");
  EXPECT_EQ(Grid().Model().rowCount(), 1);

  Open();
  for (const Expected& c : controls) EXPECT_TRUE(Control<QWidget>(c.Name)->isEnabled()) << c.Name;
  EXPECT_EQ(Shown(), (std::vector<int32_t>{}));  // the filter typed before acts now
  Filter("");
  EXPECT_EQ(Summary(), "6 of 6 shown, 4 enabled, 1 duplicate names");

  // The tab order goes on from the check box to the new controls.
  QWidget* at = Control<QWidget>("ResolveMapName");
  for (const char* name : {"FilterText", "ShowState", "EnableShown", "DisableShown"}) {
    at = at->nextInFocusChain();
    while (at->focusPolicy() == Qt::NoFocus || at->parentWidget() != Window.get())
      at = at->nextInFocusChain();
    EXPECT_EQ(at->objectName(), name);
  }
}

TEST_F(FilterTest, EveryWordMustOccurInOneOfTheShownTextsIgnoringCase) {
  Open();
  struct Case {
    const char* Text;
    int State;  // 0 all, 1 enabled only, 2 disabled only
    std::vector<int32_t> Shown;
  };
  const Case cases[] = {
      {"", 0, {0, 1, 2, 3, 4, 5}},
      {"DUP", 0, {2, 4, 5}},         // file names in any letter case
      {"dup ann", 0, {5}},           // every word, each in any column
      {"  jungle   ZED ", 0, {3}},   // runs of spaces split nothing more
      {"hawk desert", 0, {0, 4}},    // creator and terrain
      {"koth", 0, {1, 2, 3, 4, 5}},  // game type as shown
      {"alpha.bms", 0, {0}},         //
      {"dawn", 0, {3}},              // mission names as shown: ALPHA's is c010001
      {"opann", 0, {}},              // a word never spans two texts
      {"true", 0, {}},               // "Enabled", flags, DF and External are not searched
      {"0101", 0, {}},               //
      {"a.pff", 0, {}},              // nor the archive
      {"", 1, {0, 2, 3, 5}},         //
      {"", 2, {1, 4}},               //
      {"dup", 2, {4}},               //
      {"jungle", 1, {3}},            //
  };
  for (const Case& c : cases) {
    ShowState(c.State);
    Filter(c.Text);
    EXPECT_EQ(Shown(), c.Shown) << '"' << c.Text << "\" state " << c.State;
  }
  EXPECT_EQ(State.LastMission, 5);
  EXPECT_EQ(State.Missions.size(), 6u);

  // With map names resolved the filter reads the resolved name.
  ShowState(0);
  Filter("operation dawn");
  EXPECT_EQ(Shown(), (std::vector<int32_t>{}));
  QTest::mouseClick(Control<QCheckBox>("ResolveMapName"), Qt::LeftButton);
  EXPECT_EQ(Shown(), (std::vector<int32_t>{0}));
  EXPECT_EQ(Summary(), "1 of 6 shown, 4 enabled, 1 duplicate names");
}

TEST_F(FilterTest, SortAndEnableDisableOnAFilteredGridActOnTheRowsMission) {
  Open();
  const sample::Bytes archiveA = test::ReadBytes(Folder.File("a.pff"));
  Filter("jungle");
  ClickTitle(GridColumn::FileName);
  ClickTitle(GridColumn::FileName);  // descending
  ASSERT_EQ(Shown(), (std::vector<int32_t>{3, 1}));

  Dialogs.MenuChoices = {"mnuEnableDisable"};
  ClickCell(0, GridColumn::Enabled);
  EXPECT_EQ(Signature("b.pff", ArchiveB, 0), "VyK");  // CHARLIE, the row clicked
  EXPECT_EQ(test::ReadBytes(Folder.File("a.pff")), archiveA);
  EXPECT_EQ(Cell(0, GridColumn::Enabled), "False");
  EXPECT_EQ(Cell(1, GridColumn::Enabled), "False");
  EXPECT_EQ(Summary(), "2 of 6 shown, 3 enabled, 1 duplicate names");
  EXPECT_TRUE(Dialogs.Messages.empty());

  // The hidden rows were sorted too: clearing the filter keeps the order.
  Filter("");
  EXPECT_EQ(Shown(), (std::vector<int32_t>{2, 4, 5, 3, 1, 0}));
  EXPECT_EQ(Cell(RowOf(3), GridColumn::Enabled), "False");
  // RefreshList restores catalogue order and keeps the filter.
  Filter("jungle");
  Click("Command6");
  EXPECT_EQ(Shown(), (std::vector<int32_t>{1, 3}));
}

TEST_F(FilterTest, ColumnWidthsFollowTheShownRows) {
  Open();
  const int allRows = Grid().columnWidth(GridColumn::FileName);
  Filter("night");
  ASSERT_EQ(Shown(), (std::vector<int32_t>{1}));
  const QFontMetricsF metrics(Grid().font());
  const CatalogueModel& model = Grid().Model();
  for (int c = 0; c < kGridColumns; ++c) {
    const QString space = c == GridColumn::Terrain ? "" : " ";
    const double widest = std::max(metrics.horizontalAdvance(model.Titles()[c] + space),
                                   metrics.horizontalAdvance(model.Cell(0, c) + space));
    EXPECT_EQ(Grid().columnWidth(c), static_cast<int>(std::ceil(widest)) + Grid().CellMargin())
        << c;
  }
  EXPECT_LT(Grid().columnWidth(GridColumn::FileName), allRows);  // CHARLIE.BMS is hidden
  Filter("");
  EXPECT_EQ(Grid().columnWidth(GridColumn::FileName), allRows);
}

TEST(CatalogueModel, ASortOfAFilteredGridKeepsTheCurrentCellOnItsMission) {
  CatalogueModel model;
  QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
  std::vector<GridRow> rows(5);
  const char* names[] = {"e keep", "d drop", "c keep", "b drop", "a keep"};
  for (int32_t i = 0; i < 5; ++i) {
    rows[static_cast<size_t>(i)].Index = i;
    rows[static_cast<size_t>(i)].Cells[GridColumn::FileName] = QString::fromLatin1(names[i]);
  }
  model.Reset(GridTitles(kGridColumns), rows, GridFilter("KEEP", ShowStateChoice::AllMissions));
  ASSERT_EQ(model.rowCount(), 3);
  const QPersistentModelIndex current(model.index(1, 4));  // catalogue row 2
  model.SortByColumn(GridColumn::FileName, true);
  EXPECT_EQ(model.CatalogueIndex(0), 4);
  EXPECT_EQ(model.CatalogueIndex(2), 0);
  EXPECT_EQ(model.CatalogueIndex(current.row()), 2);
  EXPECT_EQ(current.column(), 4);
  model.ApplyFilter({});
  std::vector<int32_t> order;
  for (int r = 0; r < model.rowCount(); ++r) order.push_back(model.CatalogueIndex(r));
  EXPECT_EQ(order, (std::vector<int32_t>{4, 3, 2, 1, 0}));
}

TEST(SummaryText, NamesDuplicatesOnlyWhenThereAreAny) {
  EXPECT_EQ(SummaryText(2, 6, 4, 0), "2 of 6 shown, 4 enabled");
  EXPECT_EQ(SummaryText(0, 0, 0, 0), "0 of 0 shown, 0 enabled");
  EXPECT_EQ(SummaryText(32000, 32000, 31000, 12),
            "32000 of 32000 shown, 31000 enabled, 12 duplicate names");
}

}  // namespace
}  // namespace brieflist
