// ImportList of a list saved for a folder not on this computer; the message closing an import.
#include "exchange/ListFile.h"
#include "gui/WindowFixture.h"

namespace brieflist {
namespace {

// A game folder with a.pff (ONE.BMS on, TWO.BMS off) and the window over it.
struct ApplyWindow {
  test::TempFolder Game, Lists;
  std::unique_ptr<FileSystem> Files = MakeNativeFileSystem();
  CatalogueState State;
  test::ScriptedDialogs Dialogs;
  Form1 Window{State, *Files, Dialogs};

  ApplyWindow() {
    Game.Write("a.pff", test::ArchiveBytes({{"ONE.BMS", test::MissionBytes("BMS")},
                                            {"TWO.BMS", test::MissionBytes("VyK")}}));
    Window.show();
  }
  void Import(const std::vector<MissionEntry>& Rows) {
    Lists.Write("shared.BRL", EncodeListFile(Rows).Bytes);
    Dialogs.FileNames = {QString::fromStdString(Lists.File("shared.BRL"))};
    QTest::mouseClick(Window.findChild<QPushButton*>("Command4"), Qt::LeftButton);
  }
};

TEST(ListApplyWindow, AListFromElsewhereIsAppliedToTheOpenFolderOnlyAfterYes) {
  for (const auto& [open, answer] :
       std::initializer_list<std::pair<bool, bool>>{{false, true}, {true, false}, {true, true}}) {
    ApplyWindow w;
    if (open) w.Window.OpenFolder(w.Game.Path());
    const std::string away = w.Lists.File("gone");  // not there
    std::vector<MissionEntry> rows = {test::ListRow(JoinPath(away, "A.PFF"), "one.bms", 20, false),
                                      test::ListRow(JoinPath(away, "a.pff"), "TWO.BMS", 9, false)};
    for (int i = 0; i < 22; ++i) {
      std::string name = "M";  // appended: "M" + ... makes g++ 12 -O3 warn falsely
      rows.push_back(test::ListRow(JoinPath(away, "b.pff"), name += std::to_string(i), 20, true));
    }
    const sample::Bytes before = test::ReadBytes(w.Game.File("a.pff"));
    w.Dialogs.YesNoAnswers = {answer};
    w.Import(rows);

    const bool applied = open && answer;
    EXPECT_EQ(test::ReadBytes(w.Game.File("a.pff")) == before, !applied);
    const QString question = QString::fromStdString(
        "This list was saved for " + JoinPath(away, "") + ", which is not on this computer. " +
        "Apply it to the open folder " + JoinPath(w.Game.Path(), "") + "?");
    EXPECT_EQ(w.Dialogs.Questions, open ? QStringList{question} : QStringList{});
    ASSERT_EQ(w.Dialogs.Messages.size(), open ? 0u : 1u);  // with no folder open: not found
    EXPECT_TRUE(open || w.Dialogs.Messages[0].Text.contains(QString::fromStdString(away)));
    ASSERT_EQ(w.Dialogs.Reports.size(), applied ? 1u : 0u);
    if (!applied) continue;
    EXPECT_EQ(w.Window.Grid().Model().Cell(0, GridColumn::Enabled), "False");
    const QString& text = w.Dialogs.Reports[0].Text;
    EXPECT_TRUE(
        text.startsWith("Applied 24 of 24 rows of the list: 0 switched on, 1 switched "
                        "off, 1 already so.\n\n22 missing (not in this folder):\n"
                        "b.pff: M0\n"))
        << text.toStdString();
    EXPECT_TRUE(text.endsWith("b.pff: M19\nand 2 more")) << text.toStdString();
    EXPECT_EQ(w.Dialogs.Reports[0].CopyText.count("b.pff: M"), 22);
  }
}

TEST(ListApplyWindow, AnImportIntoTheListsOwnFolderEndsWithOneSummary) {
  ApplyWindow w;
  w.Window.OpenFolder(w.Game.Path());
  std::vector<MissionEntry> rows = w.State.Missions;
  rows[0].Enabled = kFalse;
  w.Import(rows);
  EXPECT_TRUE(w.Dialogs.Questions.isEmpty() && w.Dialogs.Messages.empty());
  ASSERT_EQ(w.Dialogs.Reports.size(), 1u);
  EXPECT_EQ(w.Dialogs.Reports[0].Text,
            "Applied 2 of 2 rows of the list: 0 switched on, 1 switched off, 1 already so.");
  EXPECT_TRUE(w.Dialogs.Reports[0].CopyText.isEmpty());
}

}  // namespace
}  // namespace brieflist
