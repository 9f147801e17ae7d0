// The grid's model and its rules: sorting, filtering, copying and column widths.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPersistentModelIndex>
#include <cmath>

#include "view/CatalogueModel.h"
#include "view/ColumnWidths.h"
#include "view/FillGrid.h"
#include "view/GridCopy.h"
#include "view/GridSort.h"
#include "view/MissionGrid.h"

namespace brieflist {
namespace {

using Rows = std::vector<int32_t>;

GridRow Row(int32_t Index, std::initializer_list<const char*> Cells) {
  GridRow row;
  row.Index = Index;
  size_t c = 0;
  for (const char* cell : Cells) row.Cells[c++] = QString::fromUtf8(cell);
  return row;
}

TEST(ReadsAsNumber, AcceptsDecimalNumbersOnly) {
  const struct {
    const char* Text;
    bool IsNumber;
    double Value;
  } cases[] = {
      {" 12 ", true, 12}, {"-3.5", true, -3.5}, {"+.5", true, 0.5}, {"1e3", true, 1000},
      {"", false, 0},     {".", false, 0},      {"1e", false, 0},   {"12a", false, 0},
      {"1 2", false, 0},  {"inf", false, 0},    {"nan", false, 0},  {"1e999", false, 0},
  };
  for (const auto& c : cases) {
    double value = -1;
    EXPECT_EQ(ReadsAsNumber(QString::fromLatin1(c.Text), value), c.IsNumber) << c.Text;
    EXPECT_DOUBLE_EQ(c.IsNumber ? value : c.Value, c.Value) << c.Text;  // a value for numbers
  }
}

TEST(SortOrder, NumbersByValueTextsIgnoringCaseEqualCellsKeepTheirOrder) {
  const auto sorted = [](std::vector<const char*> Cells, bool Ascending) {
    std::vector<GridRow> rows;
    for (size_t i = 0; i < Cells.size(); ++i)
      rows.push_back(Row(static_cast<int32_t>(i), {Cells[i]}));
    Rows out;
    for (size_t at : SortOrder(rows, 0, Ascending)) out.push_back(rows[at].Index);
    return out;
  };
  EXPECT_EQ(sorted({"beta", "Alpha", "GAMMA", "alpha2"}, true), (Rows{1, 3, 0, 2}));
  EXPECT_EQ(sorted({"True", "False", "true", "FALSE", "True"}, false), (Rows{0, 2, 4, 1, 3}));
  // Pairwise by the plain rule 9 < 10 < "1a" < 9 would be a cycle: numbers first keeps it total.
  EXPECT_EQ(sorted({"1a", "10", "b", "9", "", "-1"}, true), (Rows{5, 3, 1, 4, 0, 2}));
  EXPECT_EQ(sorted({"1a", "10", "b", "9", "", "-1"}, false), (Rows{2, 0, 4, 1, 3, 5}));
}

TEST(CatalogueModel, SortsAndFiltersRowsAndTheCurrentCellStaysOnItsMission) {
  CatalogueModel model;
  QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
  std::vector<GridRow> rows;
  const char* names[] = {"e keep", "d drop", "c keep", "b drop", "a keep"};
  for (int32_t i = 0; i < 5; ++i) rows.push_back(Row(i, {names[i]}));
  model.Reset(GridTitles(kGridColumns), rows, GridFilter("KEEP", ShowStateChoice::AllMissions));
  ASSERT_EQ(model.rowCount(), 3);
  EXPECT_EQ(model.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), "MissionName");
  const QPersistentModelIndex current(model.index(1, 4));  // catalogue row 2
  model.SortByColumn(GridColumn::FileName, true);
  EXPECT_EQ(model.Cell(0, 0), "a keep");
  EXPECT_EQ(model.CatalogueIndex(current.row()), 2);
  // A switch rewrites its row from the catalogue, wherever the sort put it; the row is greyed.
  CatalogueState state;
  state.Missions.resize(5);  // each disabled, none modified
  state.LastMission = 4;
  model.RefreshRows(state, {2, 5, -1});  // rows outside the catalogue are passed over
  EXPECT_EQ(model.Cell(current.row(), 4) + model.Cell(current.row(), 5) + model.Cell(0, 5),
            "FalseFalse");
  EXPECT_EQ(model.data(current, Qt::ForegroundRole),
            QVariant(QGuiApplication::palette().brush(QPalette::Disabled, QPalette::Text)));
  EXPECT_FALSE(model.data(model.index(0, 3), Qt::ForegroundRole).isValid());
  model.ApplyFilter({});
  Rows order;
  for (int r = 0; r < model.rowCount(); ++r) order.push_back(model.CatalogueIndex(r));
  EXPECT_EQ(order, (Rows{4, 3, 2, 1, 0}));  // the hidden rows were sorted too
  model.Reset(QStringList{"FileName"}, rows);
  EXPECT_EQ(model.CatalogueIndex(0), 0);  // a fill drops the sort
}

TEST(RowsAsText, TitleLineThenTheRowsGivenEachOneLineOfTabSeparatedFields) {
  CatalogueModel model;
  model.Reset({"FileName", "MissionName", "Creator"},
              {Row(0, {"A.BMS", "One", "Ann"}), Row(1, {"B.BMS", "T\two", "Line\r\nbreak"}),
               Row(2, {"C.BMS", "", "M\xC3\xBCller"})});
  EXPECT_EQ(RowsAsText(model, {2, 1}),
            "FileName\tMissionName\tCreator\nC.BMS\t\tM\xC3\xBCller\nB.BMS\tT wo\tLine  break\n");
  EXPECT_EQ(RowsAsText(model, {}), "FileName\tMissionName\tCreator\n");
}

// The rule measured the slow way, every entry exactly, against the fast measure.
TEST(WidestEntry, MatchesMeasuringEveryEntry) {
  std::vector<std::vector<QString>> groups = {
      // Each stresses one way a price can be wrong: ligatures, kerning, characters that vanish,
      // controls, fallback glyphs, texts that all price alike.
      {"office", "offi", "AVAV", "WAWA", "fluff", "fi fl", "iiiiiiii"},
      {QString::fromUtf8("so\u00ADft\u00ADhy\u00ADphen\u00AD\u00AD\u00AD"), "softhyphen"},
      {QString::fromUtf8("tab\there"), QString::fromUtf8("\x01\x02\x03"), "tabhere"},
      {QString::fromUtf8("\u20AC\u0152\u2122\u2030\u00C6"), QString::fromUtf8("\u0081\u008D")},
      {QString::fromUtf8("\u4E2D\u6587\u5B57"), "abc"},
      {"C010000", "C010001", "C099999", "C011111", "A00M0000.BMS", "A63M0499.BMS"},
  };
  QFont kerning = MissionGrid::RequestedFont();
  kerning.setKerning(true);
  for (const QFont& font : {MissionGrid::RequestedFont(), kerning}) {
    const QFontMetricsF metrics(font);
    EntryMeasure measure(font);
    for (const auto& texts : groups) {
      for (const bool space : {true, false}) {
        int widest = 0;
        std::vector<const QString*> entries;
        for (const QString& text : texts) {
          entries.push_back(&text);
          const double advance = metrics.horizontalAdvance(space ? text + u' ' : text);
          widest = std::max(widest, static_cast<int>(std::ceil(advance - 1e-6)));
        }
        EXPECT_EQ(measure.WidestEntry(entries, space), widest)
            << texts.front().toStdString() << " kerning " << font.kerning() << " space " << space;
      }
    }
  }
}

}  // namespace
}  // namespace brieflist
