#include "WindowFixture.h"

namespace brieflist {
namespace {

class UndoWindowTest : public test::WindowTest {};

// Ctrl+Z takes back the newest command of the open folder only, even with the filter box
// focused, and says what it took back; another folder's command waits for that folder.
TEST_F(UndoWindowTest, CtrlZTakesBackTheOpenFoldersNewestCommandAndSaysWhat) {
  test::TempFolder other;
  other.Write("c.pff", sample::BuildArchive(ArchiveB));
  Window->OpenFolder(other.Path());
  ChooseOnEnabledCell(0);  // CHARLIE.BMS, disabled there
  const test::Bytes otherSwitched = test::ReadBytes(other.File("c.pff"));
  ASSERT_NE(otherSwitched, sample::BuildArchive(ArchiveB));

  Open();
  Window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(Window.get()));
  Filter("dup");
  Click("DisableShown");  // DUP.BMS in a.pff and the loose one; dup.bms was disabled already
  ASSERT_EQ(OnDisk(), "BMS VyK VyK BMS VyK VyK");
  auto* filter = Control<QLineEdit>("FilterText");
  filter->setFocus();
  QTest::keyClick(filter, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(OnDisk(), "BMS VyK BMS BMS VyK BMS");
  EXPECT_EQ(filter->text(), "dup");
  EXPECT_EQ(Summary(), "Undid: Disable, 2 missions");

  QTest::keyClick(filter, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Summary(), "Nothing of this folder is left to undo");
  EXPECT_EQ(test::ReadBytes(other.File("c.pff")), otherSwitched);

  Filter("");
  Window->OpenFolder(other.Path());
  QTest::keyClick(&Grid(), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(test::ReadBytes(other.File("c.pff")), sample::BuildArchive(ArchiveB));
  EXPECT_EQ(Summary(), "Undid: Disable CHARLIE.BMS");
  EXPECT_EQ(Cell(0, GridColumn::Enabled), "True");
  EXPECT_TRUE(Dialogs.Messages.isEmpty()) << Dialogs.Messages.join('\n').toStdString();
}

}  // namespace
}  // namespace brieflist
