#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QPersistentModelIndex>

#include "view/CatalogueModel.h"
#include "view/GridSort.h"

namespace brieflist {
namespace {

GridRow Row(int32_t Index, const QString& Text) {
  GridRow row;
  row.Index = Index;
  row.Cells[0] = Text;
  return row;
}

std::vector<int32_t> IndexesAfterSort(const std::vector<QString>& Cells, bool Ascending) {
  std::vector<GridRow> rows;
  for (size_t i = 0; i < Cells.size(); ++i) rows.push_back(Row(static_cast<int32_t>(i), Cells[i]));
  std::vector<int32_t> out;
  for (size_t at : SortOrder(rows, 0, Ascending)) out.push_back(rows[at].Index);
  return out;
}

TEST(ReadsAsNumber, AcceptsDecimalNumbersOnly) {
  struct Case {
    const char* Text;
    bool IsNumber;
    double Value;
  };
  const Case cases[] = {
      {"0", true, 0},
      {"2", true, 2},
      {" 12 ", true, 12},
      {"-3.5", true, -3.5},
      {"+.5", true, 0.5},
      {"1e3", true, 1000},
      {"0000000100000001", true, 100000001},
      {"1111111111111111", true, 1111111111111111.0},
      {"", false, 0},
      {"-", false, 0},
      {".", false, 0},
      {"1e", false, 0},
      {"12a", false, 0},
      {"A00M0001.BMS", false, 0},
      {"1 2", false, 0},
      {"inf", false, 0},
      {"nan", false, 0},
      {"1e999", false, 0},
  };
  for (const Case& c : cases) {
    double value = -1;
    EXPECT_EQ(ReadsAsNumber(QString::fromLatin1(c.Text), value), c.IsNumber) << c.Text;
    if (c.IsNumber) {
      EXPECT_DOUBLE_EQ(value, c.Value) << c.Text;
    }
  }
}

TEST(SortOrder, NumbersByValueTextsIgnoringCase) {
  EXPECT_EQ(IndexesAfterSort({"10", "9", "100", "2"}, true), (std::vector<int32_t>{3, 1, 0, 2}));
  EXPECT_EQ(IndexesAfterSort({"10", "9", "100", "2"}, false), (std::vector<int32_t>{2, 0, 1, 3}));
  EXPECT_EQ(IndexesAfterSort({"beta", "Alpha", "GAMMA", "alpha2"}, true),
            (std::vector<int32_t>{1, 3, 0, 2}));
}

TEST(SortOrder, EqualCellsKeepTheirOrderBothWays) {
  const std::vector<QString> cells = {"True", "False", "true", "FALSE", "True"};
  EXPECT_EQ(IndexesAfterSort(cells, true), (std::vector<int32_t>{1, 3, 0, 2, 4}));
  EXPECT_EQ(IndexesAfterSort(cells, false), (std::vector<int32_t>{0, 2, 4, 1, 3}));
}

TEST(SortOrder, MixedColumnHasOneConsistentOrder) {
  // Compared pairwise by the plain rule, 9 < 10 < "1a" < 9 would be a cycle; numbers first
  // keeps the order total, so every run gives the same result.
  const std::vector<QString> cells = {"1a", "10", "b", "9", "", "-1"};
  EXPECT_EQ(IndexesAfterSort(cells, true), (std::vector<int32_t>{5, 3, 1, 4, 0, 2}));
  EXPECT_EQ(IndexesAfterSort(cells, false), (std::vector<int32_t>{2, 0, 4, 1, 3, 5}));
}

TEST(CatalogueModel, SortMovesRowsAndTheCurrentCellWithThem) {
  CatalogueModel model;
  QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
  std::vector<GridRow> rows = {Row(0, "c"), Row(1, "a"), Row(2, "b")};
  model.Reset(QStringList{"FileName", "MissionName", "Creator", "MissionType", "Enabled"}, rows);
  ASSERT_EQ(model.rowCount(), 3);
  ASSERT_EQ(model.columnCount(), 5);

  const QPersistentModelIndex current(model.index(0, 1));
  model.SortByColumn(0, true);
  EXPECT_EQ(model.Cell(0, 0), "a");
  EXPECT_EQ(model.CatalogueIndex(0), 1);
  EXPECT_EQ(model.CatalogueIndex(2), 0);
  EXPECT_EQ(current.row(), 2);
  EXPECT_EQ(current.column(), 1);

  model.SetCell(2, 4, QStringLiteral("False"));
  EXPECT_EQ(model.Cell(2, 4), "False");
  model.SetCell(2, 7, QStringLiteral("x"));  // no such column: ignored
  EXPECT_EQ(model.Cell(2, 7), "");
  EXPECT_EQ(model.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), "MissionName");

  model.Reset(QStringList{"FileName"}, rows);
  EXPECT_EQ(model.CatalogueIndex(0), 0);  // a fill drops the sort
  EXPECT_EQ(model.columnCount(), 1);
}

}  // namespace
}  // namespace brieflist
