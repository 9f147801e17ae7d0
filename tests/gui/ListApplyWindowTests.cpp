// ImportList of a list saved for a folder not on this computer.
#include "exchange/ListFile.h"
#include "gui/WindowFixture.h"

namespace brieflist::test {
namespace {

class ListApplyWindowTest : public WindowTest {
 protected:
  void Import(const std::vector<MissionEntry>& Rows) {
    Lists.Write("shared.BRL", EncodeListFile(Rows).Bytes);
    WindowTest::Import(List("shared.BRL"));
  }
};

TEST_F(ListApplyWindowTest, AListFromElsewhereIsAppliedToTheOpenFolderOnlyAfterYes) {
  const std::string away = Lists.File("gone");  // not there
  std::vector<MissionEntry> rows = {ListRow(JoinPath(away, "A.PFF"), "alpha.bms", 20, false),
                                    ListRow(JoinPath(away, "a.pff"), "BRAVO.BMS", 9, false)};
  for (int i = 0; i < 22; ++i) {
    std::string name = "M";  // appended: "M" + ... makes g++ 12 -O3 warn falsely
    rows.push_back(ListRow(JoinPath(away, "b.pff"), name += std::to_string(i), 20, true));
  }
  Import(rows);  // with no folder open: not found
  ASSERT_EQ(Dialogs.Messages.size(), 1);
  EXPECT_TRUE(Dialogs.Messages[0].contains(QString::fromStdString(away)));

  Open();
  Dialogs.YesNoAnswers = {false, true};
  Import(rows);
  EXPECT_EQ(OnDisk(), "BMS VyK BMS BMS VyK BMS");
  Import(rows);
  EXPECT_EQ(OnDisk(), "VyK VyK BMS BMS VyK BMS");
  const QString question = QString::fromStdString(
      "This list was saved for " + JoinPath(away, "") + ", which is not on this computer. " +
      "Apply it to the open folder " + JoinPath(Folder.Path(), "") + "?");
  EXPECT_EQ(Dialogs.Questions, (QStringList{question, question}));
  EXPECT_EQ(Dialogs.Messages.size(), 1);
  ASSERT_EQ(Dialogs.Reports.size(), 1u);
  EXPECT_EQ(Cell(0, GridColumn::Enabled), "False");
  const QString& text = Dialogs.Reports[0].Text;
  EXPECT_TRUE(
      text.startsWith("Applied 24 of 24 rows of the list: 0 switched on, 1 switched "
                      "off, 1 already so.\n\n22 missing (not in this folder):\n"
                      "b.pff: M0\n"))
      << text.toStdString();
  EXPECT_TRUE(text.endsWith("b.pff: M19\nand 2 more")) << text.toStdString();
  EXPECT_EQ(Dialogs.Reports[0].CopyText.count("b.pff: M"), 22);
}

}  // namespace
}  // namespace brieflist::test
