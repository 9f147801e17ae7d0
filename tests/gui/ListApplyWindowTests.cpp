// ImportList with a list saved for a folder that is not on this computer, and the one message
// that closes every import.
#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>
#include <memory>

#include "app/Form1.h"
#include "exchange/ListFile.h"
#include "gui/GuiTestSupport.h"
#include "platform/FileSystem.h"
#include "support/GameFolder.h"
#include "support/TestSupport.h"
#include "view/MissionGrid.h"

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
  MissionEntry Row(const std::string& Folder, const char* Archive, std::string Name, bool On) {
    MissionEntry row;
    row.SourceFile = JoinPath(Folder, Archive);
    row.FileName = std::move(Name);
    row.DataOffset = 20;
    row.Enabled = ToFlag(On);
    return row;
  }
};

TEST(ListApplyWindow, AListFromElsewhereIsAppliedToTheOpenFolderOnlyAfterYes) {
  const struct {
    bool Open;
    bool Answer;
  } cases[] = {{false, true}, {true, false}, {true, true}};
  for (const auto& c : cases) {
    ApplyWindow w;
    if (c.Open) w.Window.OpenFolder(w.Game.Path());
    const std::string away = w.Lists.File("gone");  // not there
    std::vector<MissionEntry> rows = {w.Row(away, "A.PFF", "one.bms", false),
                                      w.Row(away, "a.pff", "TWO.BMS", false)};
    for (int i = 0; i < 22; ++i)
      rows.push_back(w.Row(away, "b.pff", "M" + std::to_string(i), true));
    const sample::Bytes before = test::ReadBytes(w.Game.File("a.pff"));
    w.Dialogs.YesNoAnswers = {c.Answer};
    w.Import(rows);

    const bool applied = c.Open && c.Answer;
    EXPECT_EQ(test::ReadBytes(w.Game.File("a.pff")) == before, !applied);
    if (!c.Open) {
      ASSERT_EQ(w.Dialogs.Messages.size(), 1u);
      EXPECT_TRUE(w.Dialogs.Messages[0].Text.contains(QString::fromStdString(away)));
      EXPECT_TRUE(w.Dialogs.Questions.isEmpty());
    } else {
      EXPECT_EQ(w.Dialogs.Questions,
                QStringList{QString::fromStdString("This list was saved for " + away + kSeparator +
                                                   ", which is not on this computer. "
                                                   "Apply it to the open folder " +
                                                   JoinPath(w.Game.Path(), "") + "?")});
      EXPECT_TRUE(w.Dialogs.Messages.empty());
    }
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
  EXPECT_TRUE(w.Dialogs.Questions.isEmpty());
  EXPECT_TRUE(w.Dialogs.Messages.empty());
  ASSERT_EQ(w.Dialogs.Reports.size(), 1u);
  EXPECT_EQ(w.Dialogs.Reports[0].Text,
            "Applied 2 of 2 rows of the list: 0 switched on, 1 switched off, 1 already so.");
  EXPECT_TRUE(w.Dialogs.Reports[0].CopyText.isEmpty());
}

}  // namespace
}  // namespace brieflist
