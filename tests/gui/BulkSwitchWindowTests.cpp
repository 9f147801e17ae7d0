#include <QFile>
#include <span>

#include "editing/Patching.h"
#include "gui/SixMissionWindow.h"
#include "platform/Paths.h"

namespace brieflist {
namespace {

using BulkSwitchWindowTest = test::SixMissionWindow;

// Bytes with the mission at Offset rewritten to the given state, as a patch leaves them.
sample::Bytes Switched(sample::Bytes Bytes, int32_t Offset, bool Enabled) {
  WriteMissionState(std::span<uint8_t>(Bytes).subspan(static_cast<size_t>(Offset), 128), Enabled);
  return Bytes;
}

TEST_F(BulkSwitchWindowTest, DisableShownPatchesExactlyTheShownMissionsAfterOneQuestion) {
  Open();
  const sample::Bytes archiveA = test::ReadBytes(Folder.File("a.pff"));
  const sample::Bytes archiveB = test::ReadBytes(Folder.File("b.pff"));
  const sample::Bytes loose = test::ReadBytes(Folder.File("DUP.BMS"));
  Filter("dup");  // DUP.BMS in a.pff and loose (enabled), dup.bms in b.pff (disabled)

  Dialogs.YesNoAnswers = {true};
  Click("DisableShown");
  EXPECT_EQ(Dialogs.Questions, QStringList{"Disable 2 missions?"});
  const int32_t dupOffset = sample::ArchiveDataOffsets(ArchiveA)[2];
  EXPECT_EQ(test::ReadBytes(Folder.File("a.pff")), Switched(archiveA, dupOffset, false));
  EXPECT_EQ(test::ReadBytes(Folder.File("b.pff")), archiveB);
  EXPECT_EQ(test::ReadBytes(Folder.File("DUP.BMS")), Switched(loose, 0, false));
  EXPECT_EQ(Shown(), (std::vector<int32_t>{2, 4, 5}));
  for (int r = 0; r < 3; ++r) EXPECT_EQ(Cell(r, GridColumn::Enabled), "False") << r;
  EXPECT_EQ(State.Missions[2].Enabled, kFalse);
  EXPECT_EQ(State.Missions[5].Enabled, kFalse);
  EXPECT_EQ(Summary(), "3 of 6 shown, 2 enabled, 1 duplicate names");
  EXPECT_TRUE(Dialogs.Messages.empty());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);

  // Answering No writes nothing; the count is of the missions that would change.
  Dialogs.YesNoAnswers = {false};
  Click("EnableShown");
  EXPECT_EQ(Dialogs.Questions.back(), "Enable 3 missions?");
  EXPECT_EQ(test::ReadBytes(Folder.File("b.pff")), archiveB);
  EXPECT_EQ(Cell(1, GridColumn::Enabled), "False");

  // Nothing shown to switch: no question at all.
  Dialogs.Questions.clear();
  Click("DisableShown");
  EXPECT_TRUE(Dialogs.Questions.isEmpty());

  // The journal is the test's own, never the user's.
  EXPECT_TRUE(QFile::exists(
      QString::fromStdString(JoinPath(JoinPath(Data.Path(), "brieflist"), "journal.tsv"))));
}

TEST_F(BulkSwitchWindowTest, SwitchedRowsStayShownUntilTheFilterChanges) {
  Open();
  ShowState(1);  // enabled only
  ASSERT_EQ(Shown(), (std::vector<int32_t>{0, 2, 3, 5}));
  Click("DisableShown");
  EXPECT_EQ(Dialogs.Questions, QStringList{"Disable 4 missions?"});
  EXPECT_EQ(Shown(), (std::vector<int32_t>{0, 2, 3, 5}));  // the person sees what changed
  EXPECT_EQ(Summary(), "4 of 6 shown, 0 enabled, 1 duplicate names");
  Filter("a");
  EXPECT_EQ(Shown(), (std::vector<int32_t>{}));
  EXPECT_EQ(Summary(), "0 of 6 shown, 0 enabled, 1 duplicate names");
}

TEST_F(BulkSwitchWindowTest, AFailedMissionIsNamedInOneMessageAndTheGridAgreesWithTheDisk) {
  Open();
  const sample::Bytes loose = test::ReadBytes(Folder.File("DUP.BMS"));
  // a.pff's DUP.BMS no longer holds a mission: its switch fails, the loose one's goes through.
  sample::Bytes broken = test::ReadBytes(Folder.File("a.pff"));
  broken[static_cast<size_t>(sample::ArchiveDataOffsets(ArchiveA)[2])] = 'X';
  Folder.Write("a.pff", broken);
  Filter("dup");
  Click("DisableShown");

  ASSERT_EQ(Dialogs.Messages.size(), 1u);
  const std::string message = Dialogs.Messages[0].Text.toStdString();
  EXPECT_EQ(message.rfind("Could not switch 1 of 2 missions:\nDUP.BMS (", 0), 0u) << message;
  EXPECT_NE(message.find("The File Could Not Be Found!"), std::string::npos) << message;
  EXPECT_EQ(test::ReadBytes(Folder.File("a.pff")), broken);
  EXPECT_EQ(test::ReadBytes(Folder.File("DUP.BMS")), Switched(loose, 0, false));
  // The locate step re-read the folder, which no longer lists a.pff's DUP.BMS; the filter still
  // holds, and every shown cell says what its mission's file holds.
  ASSERT_EQ(State.LastMission, 4);
  EXPECT_EQ(Shown(), (std::vector<int32_t>{3, 4}));
  EXPECT_EQ(Cell(0, GridColumn::Enabled), "False");  // b.pff's dup.bms, disabled before
  EXPECT_EQ(Cell(1, GridColumn::Enabled), "False");  // the loose DUP.BMS, switched
  EXPECT_EQ(Summary(), "2 of 5 shown, 2 enabled, 1 duplicate names");
}

TEST_F(BulkSwitchWindowTest, ADuplicateNamesEverySourceFileInItsTooltip) {
  Open();
  const QString sources = QString::fromStdString(
      Folder.File("a.pff") + "\n" + Folder.File("b.pff") + "\n" + Folder.File("DUP.BMS"));
  ClickTitle(GridColumn::Creator);  // the tooltip follows the mission, not the row number
  const QAbstractItemModel& model = *Grid().model();
  for (int r = 0; r < model.rowCount(); ++r) {
    const int32_t mission = Grid().Model().CatalogueIndex(r);
    const bool duplicate = mission == 2 || mission == 4 || mission == 5;
    EXPECT_EQ(model.index(r, GridColumn::FileName).data(Qt::ToolTipRole).toString(),
              duplicate ? sources : QString())
        << mission;
    EXPECT_FALSE(model.index(r, GridColumn::MissionName).data(Qt::ToolTipRole).isValid());
    EXPECT_FALSE(model.index(r, GridColumn::FileName).data(Qt::BackgroundRole).isValid());
  }
}

TEST_F(BulkSwitchWindowTest, CtrlZTakesBackTheLastSwitchOrSaysWhyNot) {
  Open();
  Window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(Window.get()));
  const sample::Bytes archiveA = test::ReadBytes(Folder.File("a.pff"));
  const sample::Bytes archiveB = test::ReadBytes(Folder.File("b.pff"));
  const sample::Bytes loose = test::ReadBytes(Folder.File("DUP.BMS"));
  Filter("dup");
  Click("DisableShown");
  Grid().setFocus();

  QTest::keyClick(&Grid(), Qt::Key_Z, Qt::ControlModifier);  // both missions of the one command
  EXPECT_EQ(test::ReadBytes(Folder.File("a.pff")), archiveA);
  EXPECT_EQ(test::ReadBytes(Folder.File("DUP.BMS")), loose);
  EXPECT_EQ(Shown(), (std::vector<int32_t>{2, 4, 5}));
  EXPECT_EQ(Cell(0, GridColumn::Enabled), "True");
  EXPECT_EQ(Cell(2, GridColumn::Enabled), "True");
  EXPECT_EQ(Summary(), "3 of 6 shown, 4 enabled, 1 duplicate names");
  EXPECT_TRUE(Dialogs.Messages.empty());

  // Switched, then changed from outside: the undo is refused and writes nothing.
  Filter("charlie");
  Dialogs.MenuChoices = {"mnuEnableDisable"};
  ClickCell(0, GridColumn::Enabled);
  ASSERT_EQ(Signature("b.pff", ArchiveB, 0), "VyK");
  sample::Bytes outside = archiveB;
  outside[static_cast<size_t>(sample::ArchiveDataOffsets(ArchiveB)[0]) + 1] = 'X';
  Folder.Write("b.pff", outside);
  QTest::keyClick(&Grid(), Qt::Key_Z, Qt::ControlModifier);
  ASSERT_EQ(Dialogs.Messages.size(), 1u);
  EXPECT_TRUE(Dialogs.Messages[0].Text.contains("CHARLIE.BMS"));
  EXPECT_TRUE(Dialogs.Messages[0].Text.contains("changed since"));
  EXPECT_EQ(test::ReadBytes(Folder.File("b.pff")), outside);
  EXPECT_EQ(Cell(0, GridColumn::Enabled), "False");
}

}  // namespace
}  // namespace brieflist
