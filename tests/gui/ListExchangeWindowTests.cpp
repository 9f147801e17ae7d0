#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <memory>

#include "app/Form1.h"
#include "catalogue/RefreshCatalogue.h"
#include "exchange/ListFile.h"
#include "gui/GuiTestSupport.h"
#include "platform/FileSystem.h"
#include "support/TestSupport.h"
#include "view/MissionGrid.h"

#ifndef _WIN32
#include <sys/resource.h>

#include <csignal>
#endif

namespace brieflist {
namespace {

sample::Bytes Mission(const std::string& Name, bool Disabled = false) {
  sample::MissionSpec m;
  m.MissionName = Name;
  m.Disabled = Disabled;
  m.Signature = Disabled ? "VyK" : "BMS";
  m.FlagLow = 0x01;
  return sample::BuildMission(m);
}

// A game folder G (a.pff with ONE.BMS and TWO.BMS, a loose X.BMS) and a folder L for lists.
// Catalogue rows: 0 a/ONE, 1 a/TWO, 2 X.
class ListExchangeWindowTest : public testing::Test {
 protected:
  void SetUp() override {
    Archive = {{"ONE.BMS", Mission("One")}, {"TWO.BMS", Mission("Two")}};
    Game.Write("a.pff", sample::BuildArchive(Archive));
    Game.Write("X.BMS", Mission("Loose"));
    Window = std::make_unique<Form1>(State, *Files, Dialogs);
    Dialogs.Watched = Window.get();
    Window->show();
  }

  void Open() { Window->OpenFolder(Game.Path()); }
  QString List(const std::string& Name) {
    return QDir::toNativeSeparators(QString::fromStdString(Lists.File(Name)));
  }
  void Export(const QString& Name) {
    Dialogs.FileNames = {Name};
    QTest::mouseClick(Window->findChild<QPushButton*>("Command3"), Qt::LeftButton);
  }
  void Import(const QString& Name) {
    Dialogs.FileNames = {Name};
    QTest::mouseClick(Window->findChild<QPushButton*>("Command4"), Qt::LeftButton);
  }
  std::string SignatureOfOne() {
    const sample::Bytes bytes = test::ReadBytes(Game.File("a.pff"));
    const size_t at = static_cast<size_t>(sample::ArchiveDataOffsets(Archive)[0]);
    return std::string(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                       bytes.begin() + static_cast<std::ptrdiff_t>(at) + 3);
  }
  QString EnabledCell(int Row) { return Window->Grid().Model().Cell(Row, GridColumn::Enabled); }
  void DisableFromTheGrid(int Row) {
    Dialogs.MenuChoices.push_back(QStringLiteral("mnuEnableDisable"));
    MissionGrid& grid = Window->Grid();
    const QModelIndex at = grid.model()->index(Row, GridColumn::Enabled);
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.visualRect(at).center());
  }
  bool Enabled(const char* Control) { return Window->findChild<QWidget*>(Control)->isEnabled(); }
  QStringList MessageTexts() {
    QStringList texts;
    for (const auto& shown : Dialogs.Messages) texts.push_back(shown.Text);
    return texts;
  }

  test::TempFolder Game;
  test::TempFolder Lists;
  std::vector<sample::ArchiveEntry> Archive;
  std::unique_ptr<FileSystem> Files = MakeNativeFileSystem();
  CatalogueState State;
  test::ScriptedDialogs Dialogs;
  std::unique_ptr<Form1> Window;
};

TEST_F(ListExchangeWindowTest, ExportDisableImportEnablesTheMissionAgainOnDiskAndInTheGrid) {
  Open();
  const QString list = List("profile.BRL");
  Export(list);
  ASSERT_EQ(Dialogs.FileDialogs.size(), 1u);
  EXPECT_TRUE(Dialogs.FileDialogs[0].Save);
  EXPECT_EQ(Dialogs.FileDialogs[0].Filter, "Brieflist List (*.BRL)");
  EXPECT_EQ(Dialogs.FileDialogs[0].DefaultSuffix, "BRL");
  EXPECT_EQ(MessageTexts(), QStringList{"List Saved to:\n" + list});
  EXPECT_EQ(test::ReadBytes(Lists.File("profile.BRL")), EncodeListFile(State.Missions).Bytes);

  DisableFromTheGrid(0);
  ASSERT_EQ(SignatureOfOne(), "VyK");
  ASSERT_EQ(EnabledCell(0), "False");

  Import(list);
  ASSERT_EQ(Dialogs.FileDialogs.size(), 2u);
  EXPECT_FALSE(Dialogs.FileDialogs[1].Save);
  EXPECT_EQ(Dialogs.FileDialogs[1].Filter, "Brieflist List (*.BRL)");
  EXPECT_EQ(Dialogs.FileDialogs[1].Start, list);  // the name the export chose
  EXPECT_EQ(SignatureOfOne(), "BMS");
  EXPECT_EQ(EnabledCell(0), "True");
  EXPECT_EQ(State.Missions[0].Enabled, kTrue);
  EXPECT_EQ(Dialogs.Messages.size(), 1u);  // an import that succeeds says nothing

  // Importing it again patches nothing.
  const sample::Bytes archive = test::ReadBytes(Game.File("a.pff"));
  Import(list);
  EXPECT_EQ(test::ReadBytes(Game.File("a.pff")), archive);
  EXPECT_EQ(Dialogs.Messages.size(), 1u);
}

TEST_F(ListExchangeWindowTest, NamesShorterThanSevenCharactersAreRefused) {
  Open();
  // Relative names, so that seven characters name a file in the list folder.
  const QString current = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(QString::fromStdString(Lists.Path())));
  // A list that would disable ONE.BMS, under both names.
  std::vector<MissionEntry> rows = State.Missions;
  rows[0].Enabled = kFalse;
  Lists.Write("ab.BRL", EncodeListFile(rows).Bytes);
  Lists.Write("abc.BRL", EncodeListFile(rows).Bytes);

  Import("ab.BRL");
  EXPECT_EQ(MessageTexts(), QStringList{"File Path Invalid!"});
  EXPECT_EQ(SignatureOfOne(), "BMS");
  EXPECT_EQ(State.LastImported, -1);

  Import("abc.BRL");
  EXPECT_EQ(SignatureOfOne(), "VyK");
  EXPECT_EQ(EnabledCell(0), "False");

  Dialogs.Messages.clear();
  Export("xy.BRL");
  EXPECT_EQ(MessageTexts(), QStringList{"Entered File Name InValid!"});
  EXPECT_FALSE(std::filesystem::exists(Lists.File("xy.BRL")));

  Dialogs.Messages.clear();
  Export("xyz.BRL");
  EXPECT_EQ(MessageTexts(), QStringList{"List Saved to:\nxyz.BRL"});
  EXPECT_EQ(test::ReadBytes(Lists.File("xyz.BRL")), EncodeListFile(State.Missions).Bytes);
  QDir::setCurrent(current);
}

TEST_F(ListExchangeWindowTest, AListOfTwoFoldersPatchesBothAndShowsTheFirstFolder) {
  test::TempFolder first, second;
  first.Write("F.BMS", Mission("First", true));
  second.Write("S.BMS", Mission("Second", true));
  std::vector<MissionEntry> rows;
  for (const test::TempFolder* folder : {&first, &second}) {
    CatalogueState read;
    read.GameDirectory = folder->Path();
    QuietHost quiet;
    RefreshCatalogue(read, Platform{*Files, quiet});
    ASSERT_EQ(read.LastMission, 0);
    rows.push_back(read.Missions[0]);
    rows.back().Enabled = kTrue;
  }
  Lists.Write("two.BRL", EncodeListFile(rows).Bytes);

  // Before any folder was chosen.
  Import(List("two.BRL"));
  EXPECT_EQ(test::ReadBytes(first.File("F.BMS")), Mission("First"));
  EXPECT_EQ(test::ReadBytes(second.File("S.BMS")), Mission("Second"));
  EXPECT_EQ(State.GameDirectory, JoinPath(first.Path(), ""));
  ASSERT_EQ(Window->Grid().Model().rowCount(), 1);
  EXPECT_EQ(Window->Grid().Model().Cell(0, GridColumn::FileName), "F.BMS");
  EXPECT_EQ(EnabledCell(0), "True");
  for (const char* name : {"Command3", "Command5", "Command6"}) EXPECT_TRUE(Enabled(name)) << name;
  EXPECT_FALSE(Enabled("ResolveMapName"));
  EXPECT_TRUE(Dialogs.Messages.empty());
}

TEST_F(ListExchangeWindowTest, AFailedExportLeavesTheExistingListWholeAndSaysWhy) {
  Open();
  const sample::Bytes old = {0xFF, 0xFF, 'o', 'l', 'd'};
  Lists.Write("keep.BRL", old);
  const QString list = List("keep.BRL");

  // More rows than a list can hold.
  const CatalogueState opened = State;
  State.Missions.assign(static_cast<size_t>(kMaxListRows) + 1, opened.Missions[0]);
  State.LastMission = kMaxListRows;
  Export(list);
  State = opened;
  ASSERT_EQ(Dialogs.Messages.size(), 1u);
  EXPECT_TRUE(Dialogs.Messages[0].Text.contains(list)) << Dialogs.Messages[0].Text.toStdString();
  EXPECT_FALSE(Dialogs.Messages[0].Text.contains("List Saved to:"));
  EXPECT_EQ(test::ReadBytes(Lists.File("keep.BRL")), old);

#ifndef _WIN32
  // A disk that fills up: writes past 40 bytes fail.
  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  const auto previous = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 40;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  Export(list);
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);
  ASSERT_EQ(Dialogs.Messages.size(), 2u);
  EXPECT_TRUE(Dialogs.Messages[1].Text.contains(list));
  EXPECT_TRUE(Dialogs.Messages[1].Text.contains("File too large"));
  EXPECT_EQ(test::ReadBytes(Lists.File("keep.BRL")), old);
#endif
}

TEST_F(ListExchangeWindowTest, AListThatCannotBeReadIsNamedAndChangesNothing) {
  Open();
  std::vector<MissionEntry> rows = State.Missions;
  rows[0].Enabled = kFalse;
  const sample::Bytes whole = EncodeListFile(rows).Bytes;
  Lists.Write("cut.BRL", sample::Bytes(whole.begin(), whole.begin() + 20));
  std::vector<MissionEntry> gone = State.Missions;
  gone[0].SourceFile = Game.File("gone.pff");
  Lists.Write("gone.BRL", EncodeListFile(gone).Bytes);
  Window->OpenFolder(Lists.Path());  // so that a refresh by the import would show
  const std::string folder = State.GameDirectory;

  struct Case {
    const char* File;
    QString Names;  // the file the message must name
  };
  const Case cases[] = {
      {"cut.BRL", List("cut.BRL")},          // ends inside its first row
      {"missing.BRL", List("missing.BRL")},  // not there
      {"gone.BRL", QDir::toNativeSeparators(QString::fromStdString(Game.File("gone.pff")))},
  };
  for (const Case& c : cases) {
    Dialogs.Messages.clear();
    Import(List(c.File));
    ASSERT_EQ(Dialogs.Messages.size(), 1u) << c.File;
    EXPECT_TRUE(Dialogs.Messages[0].Text.contains(c.Names))
        << Dialogs.Messages[0].Text.toStdString();
    EXPECT_EQ(SignatureOfOne(), "BMS") << c.File;
    EXPECT_EQ(State.GameDirectory, folder) << c.File;
  }
}

TEST_F(ListExchangeWindowTest, CancelledDialogsEndSilently) {
  Open();
  QTest::mouseClick(Window->findChild<QPushButton*>("Command3"), Qt::LeftButton);
  QTest::mouseClick(Window->findChild<QPushButton*>("Command4"), Qt::LeftButton);
  EXPECT_EQ(Dialogs.FileDialogs.size(), 2u);
  EXPECT_TRUE(Dialogs.Messages.empty());
  EXPECT_TRUE(std::filesystem::is_empty(Lists.Path()));
  EXPECT_EQ(State.LastImported, -1);
}

}  // namespace
}  // namespace brieflist
