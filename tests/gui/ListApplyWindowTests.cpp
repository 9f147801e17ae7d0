// ImportList of a list saved for a folder not on this computer.
#include <QDialog>
#include <QTimer>

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
                                    ListRow(JoinPath(away, "a.pff"), "BRAVO.BMS", 9, false),
                                    ListRow(JoinPath(away, "b.pff"), "ZULU.BMS", 20, false)};
  for (int i = 0; i < 22; ++i)
    rows.push_back(ListRow(JoinPath(away, "missions03.pff"), "M", 20, 1));
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
  // Only what was applied is counted; an archive the folder lacks is one line.
  EXPECT_EQ(Dialogs.Reports[0].Text.toStdString(),
            "Applied 2 of 25 rows of the list: 0 switched on, 1 switched off, 1 already so.\n\n"
            "23 missing (not in this folder):\nb.pff: ZULU.BMS\n"
            "missions03.pff is not in this folder (22 missions)");
  EXPECT_EQ(Dialogs.Reports[0].CopyText.count("missions03.pff: M"), 22);
}

TEST_F(ListApplyWindowTest, AListForAnotherFolderHereAsksWhichFolderItIsFor) {
  TempFolder other;
  other.Write("a.pff", sample::BuildArchive(ArchiveA));
  const auto at = static_cast<int32_t>(sample::ArchiveDataOffsets(ArchiveA)[0]);
  const auto alpha = [&](const TempFolder& F) {
    return SignatureAt(ReadBytes(F.File("a.pff")), at);
  };
  Window->OpenFolder(other.Path());
  const std::vector<MissionEntry> list = {ListRow(Folder.File("a.pff"), "ALPHA.BMS", at, false)};
  Dialogs.Choices = {-1, 1};
  for (int i = 0; i < 3; ++i) Import(list);  // Cancel, the open folder, then its own (the default)
  EXPECT_EQ(Dialogs.Questions.size(), 3);
  EXPECT_EQ(Dialogs.Questions[0].toStdString(),
            "This list was saved for " + JoinPath(Folder.Path(), "") +
                ". Apply it there, or to the open folder " + JoinPath(other.Path(), "") + "?");
  EXPECT_EQ(alpha(other), "VyK");
  EXPECT_EQ(OnDisk(), "VyK VyK BMS BMS VyK BMS");
  EXPECT_EQ(State.GameDirectory, JoinPath(Folder.Path(), ""));
  Import(list);  // the open folder is the list's: nothing asked
  EXPECT_EQ(Dialogs.Questions.size(), 3);
}

TEST(ImportReportBox, EscapeClosesIt) {
  QTimer::singleShot(0, [] { QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Escape); });
  QTimer::singleShot(5000, [] {  // a watchdog, not a measure: fails rather than hangs
    if (auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
      ADD_FAILURE() << "Escape left the box open";
      box->done(0);
    }
  });
  WidgetDialogs().ShowReport("Applied", "a.pff: A.BMS");
}

}  // namespace
}  // namespace brieflist::test
