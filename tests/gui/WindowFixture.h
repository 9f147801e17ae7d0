#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/Form1.h"
#include "editing/PatchJournal.h"
#include "platform/FileSystem.h"
#include "platform/qt/Dialogs.h"
#include "platform/qt/Drives.h"
#include "platform/qt/SettingsStore.h"
#include "support/TestSupport.h"
#include "view/MissionGrid.h"

namespace brieflist::test {

// Answers the window's dialogs from a script and records what was asked.
class ScriptedDialogs : public Dialogs {
 public:
  struct PoppedUp {
    QString MenuName;
    QStringList Items;  // captions, in order
    std::vector<bool> ItemsEnabled;
  };

  void ShowMessage(const QString& Text) override {
    CheckLock(Text);
    Messages.push_back(Text);
    WatchedEnabled = Watched == nullptr || Watched->isEnabled();
  }
  // The closing message of an import: kept apart from the plain messages.
  void ShowReport(const QString& Text, const QString& CopyText) override {
    CheckLock(Text);
    Reports.push_back({Text, CopyText});
  }
  bool AskYesNo(const QString& Text) override {
    CheckLock(Text);
    Questions.push_back(Text);
    BusyWhileAsked.push_back(QApplication::overrideCursor() != nullptr &&
                             QApplication::overrideCursor()->shape() == Qt::WaitCursor);
    return Pop(YesNoAnswers, true);
  }
  int Choose(const QString& Text, const QStringList&, int Default) override {
    CheckLock(Text);
    Questions.push_back(Text);
    return Pop(Choices, Default);
  }
  // Chooses the next of MenuChoices (an empty entry, or none, dismisses), never a greyed item.
  QAction* PopUpMenu(QMenu& Menu, const QPoint&) override {
    PoppedUp shown{Menu.objectName(), {}, {}};
    for (QAction* item : Menu.actions()) {
      shown.Items.push_back(item->text());
      shown.ItemsEnabled.push_back(item->isEnabled());
    }
    PopUps.push_back(shown);
    const QString name = Pop(MenuChoices);
    for (QAction* item : Menu.actions())
      if (!name.isEmpty() && item->objectName() == name && item->isEnabled()) return item;
    return nullptr;
  }
  QString InputBox(const QString&, const QString& Default) override {
    Inputs.push_back(Default);
    return Pop(InputAnswers);
  }
  QString SaveFileName(const QString&, const QString&, const QString& Start) override {
    FileDialogs.push_back(Start);
    return Pop(FileNames);
  }
  QString OpenFileName(const QString&, const QString& Start) override {
    FileDialogs.push_back(Start);
    return Pop(FileNames);
  }

  QWidget* Watched = nullptr;
  std::deque<bool> YesNoAnswers;
  std::deque<int> Choices;  // none left: the default answer
  std::deque<QString> MenuChoices;
  std::deque<QString> InputAnswers;  // an empty answer, or none left, cancels
  std::deque<QString> FileNames;     // an empty name, or none left, cancels the dialog
  QStringList Messages;
  bool WatchedEnabled = true;  // the watched window's state while the last message was up
  struct Report {
    QString Text, CopyText;
  };
  std::vector<Report> Reports;
  QStringList Questions;
  std::vector<bool> BusyWhileAsked;
  std::vector<PoppedUp> PopUps;
  QStringList Inputs;       // each input box's default
  QStringList FileDialogs;  // where each file dialog opened
  // Shown while the journal was locked: each kept another program waiting for a person.
  QStringList ShownUnderLock;

 private:
  void CheckLock(const QString& Text) {
    const auto journal = UserJournalPath();
    if (!journal) return;
    const auto lock = MakeNativeFileSystem()->TryLockFile(*journal + kJournalLockSuffix);
    if (lock && !*lock) ShownUnderLock.push_back(Text);
  }
  template <typename T>
  static T Pop(std::deque<T>& Answers, T None = T()) {
    if (Answers.empty()) return None;
    T answer = Answers.front();
    Answers.pop_front();
    return answer;
  }
};

// The settings store in memory: entries (an empty one is missing), writes, failure on demand.
struct MemorySettings : SettingsStore {
  QString Read(const QString& A, const QString& S, const QString& K, const QString& D) override {
    const auto it = Entries.find(A + '/' + S + '/' + K);
    return it == Entries.end() || it->second.isEmpty() ? D : it->second;
  }
  QString Write(const QString& A, const QString& S, const QString& K, const QString& V) override {
    ++Writes;
    if (Failure.isEmpty()) Entries[A + '/' + S + '/' + K] = V;
    return Failure;
  }
  QString& Path() { return Entries[QStringLiteral("Brieflist/LastPath/Path")]; }
  std::map<QString, QString> Entries;
  QString Failure;  // when set, writes fail with this reason
  int Writes = 0;
};

// Drives for the folder chooser: none unless a test lists some.
struct FakeDrives : DriveSource {
  std::vector<Drive> Drives() override { return List; }
  std::vector<Drive> List;
};

inline QString Native(const std::string& Path) {
  return QDir::toNativeSeparators(QString::fromStdString(Path));
}

// The window over six missions, with a folder for lists:
//   a.pff: 0 ALPHA.BMS (mission name c010001, Hawk, Desert, game type "DM," where the others
//          have "COOP,KOTH,"), 1 BRAVO.BMS (NightOp, Ann, Jungle, disabled, version 1),
//          2 DUP.BMS (DupOne, Kim, Arctic), and a text resource naming c010001 "Operation Dawn";
//   b.pff: 3 CHARLIE.BMS (DawnPatrol, Zed, Jungle), 4 dup.bms (DupTwo, Hawk, Desert, disabled);
//   loose: 5 DUP.BMS (DupLoose, Ann, Island).
// DUP.BMS is one name held three times, letter case ignored.
class WindowTest : public testing::Test {
 protected:
  static Bytes Mission(const std::string& Name, const std::string& Creator,
                       const std::string& Terrain, bool Disabled = false, uint8_t Flags = 0x05,
                       uint8_t Version = 15) {
    return sample::BuildMission({.Signature = Disabled ? "VyK" : "BMS",
                                 .VersionByte = Version,
                                 .MissionName = Name,
                                 .Creator = Creator,
                                 .Terrain = Terrain,
                                 .FlagLow = Flags,
                                 .Disabled = Disabled});
  }

  void SetUp() override {
    ArchiveA = {{"ALPHA.BMS", Mission("c010001", "Hawk", "Desert", false, 0x02), false, 0},
                {"BRAVO.BMS", Mission("NightOp", "Ann", "Jungle", true, 0x05, 13), false, 0},
                {"DUP.BMS", Mission("DupOne", "Kim", "Arctic"), false, 0},
                {"TEXT.BIN",
                 sample::BuildRtxt(
                     {{"STR_VC010001", "Operation Dawn"}, {"STR_VC010002", "Operation Dusk"}}),
                 false, 0}};
    ArchiveB = {{"CHARLIE.BMS", Mission("DawnPatrol", "Zed", "Jungle"), false, 0},
                {"dup.bms", Mission("DupTwo", "Hawk", "Desert", true), false, 0}};
    Folder.Write("a.pff", sample::BuildArchive(ArchiveA));
    Folder.Write("b.pff", sample::BuildArchive(ArchiveB));
    Folder.Write("DUP.BMS", Mission("DupLoose", "Ann", "Island"));
    Window = std::make_unique<Form1>(State, *Files, Dialogs);
    Dialogs.Watched = Window.get();
    Window->show();
  }

  void TearDown() override { EXPECT_EQ(Dialogs.ShownUnderLock.join('\n').toStdString(), ""); }

  void Open() { Window->OpenFolder(Folder.Path()); }
  MissionGrid& Grid() { return Window->Grid(); }
  QString Cell(int Row, int Column) { return Grid().Model().Cell(Row, Column); }
  // The catalogue rows the grid shows, in grid order.
  std::vector<int32_t> Shown() {
    std::vector<int32_t> rows;
    for (int r = 0; r < Grid().Model().rowCount(); ++r)
      rows.push_back(Grid().Model().CatalogueIndex(r));
    return rows;
  }
  int RowOf(int32_t CatalogueIndex) {
    const std::vector<int32_t> rows = Shown();
    return static_cast<int>(std::find(rows.begin(), rows.end(), CatalogueIndex) - rows.begin());
  }
  template <typename T = QWidget>
  T* Control(const char* Name) {
    return Window->findChild<T*>(QString::fromLatin1(Name));
  }
  void Filter(const char* Text) { Control<QLineEdit>("FilterText")->setText(QString(Text)); }
  void ShowState(int Choice) { Control<QComboBox>("ShowState")->setCurrentIndex(Choice); }
  // The summary's whole last line (the counts, or a notice); the first names the open folder.
  QString Summary(int Line = -1) {
    return Control<QLabel>("Summary")->accessibleDescription().section('\n', Line, Line);
  }
  void Click(const char* Button) {
    QTest::mouseClick(Control<QAbstractButton>(Button), Qt::LeftButton);
  }
  // Clicks the middle of the title's part in sight, scrolled to first when none is.
  void ClickTitle(int Column, Qt::MouseButton Button = Qt::LeftButton) {
    QHeaderView* titles = Grid().horizontalHeader();
    const auto inSight = [&] {
      return titles->viewport()->rect() & QRect(titles->sectionViewportPosition(Column), 0,
                                                titles->sectionSize(Column), titles->height());
    };
    const QModelIndex top = Grid().indexAt(QPoint(0, 0));
    if (inSight().isEmpty() && top.isValid()) Grid().scrollTo(top.siblingAtColumn(Column));
    QTest::mouseClick(titles->viewport(), Button, {}, inSight().center());
  }
  void ClickCell(int Row, int Column, Qt::MouseButton Button = Qt::LeftButton) {
    const QModelIndex at = Grid().model()->index(Row, Column);
    Grid().scrollTo(at);
    QTest::mouseClick(Grid().viewport(), Button, {}, Grid().visualRect(at).center());
  }
  // Clicks the "Enabled" cell of the grid row showing catalogue row Index and chooses Item.
  void ChooseOnEnabledCell(int32_t Index, const char* Item = "mnuEnableDisable") {
    Dialogs.MenuChoices.push_back(QString::fromLatin1(Item));
    ClickCell(RowOf(Index), GridColumn::Enabled);
  }
  // Each mission's signature, in catalogue order ("BMS VyK BMS BMS VyK BMS" as written).
  std::string OnDisk() {
    std::string out;
    for (const auto* archive : {&ArchiveA, &ArchiveB}) {
      const Bytes file = ReadBytes(Folder.File(archive == &ArchiveA ? "a.pff" : "b.pff"));
      const auto offsets = sample::ArchiveDataOffsets(*archive);
      for (size_t e = 0; e < archive->size(); ++e)
        if ((*archive)[e].Name.find(".BIN") == std::string::npos)
          out += SignatureAt(file, static_cast<size_t>(offsets[e])) + " ";
    }
    return out + SignatureAt(ReadBytes(Folder.File("DUP.BMS")), 0);
  }
  // What the grid shows: each row's catalogue index and its Enabled cell ("0T 1F ..."), and the
  // summary after "|".
  std::string Seen() {
    std::string out;
    for (int r = 0; r < Grid().Model().rowCount(); ++r)
      out += std::to_string(Grid().Model().CatalogueIndex(r)) +
             (Cell(r, GridColumn::Enabled) == "True" ? "T " : "F ");
    return out + "| " + Summary().toStdString();
  }
  // A list of Lists, as the list dialogs take it.
  QString List(const std::string& Name) { return Native(Lists.File(Name)); }
  // ExportList and ImportList, their dialog answered with Name.
  void Export(const QString& Name) {
    Dialogs.FileNames = {Name};
    Click("Command3");
  }
  void Import(const QString& Name) {
    Dialogs.FileNames = {Name};
    Click("Command4");
  }
  bool CatalogueCommandsEnabled() {
    bool all = true, none = true;
    for (const char* name : {"Command3", "Command5", "Command6", "ResolveMapName"}) {
      all = all && Control(name)->isEnabled();
      none = none && !Control(name)->isEnabled();
    }
    EXPECT_TRUE(all || none) << "the four catalogue controls disagree";
    return all;
  }

  TempFolder Folder, Lists;
  std::vector<sample::ArchiveEntry> ArchiveA;
  std::vector<sample::ArchiveEntry> ArchiveB;
  std::unique_ptr<FileSystem> Files = MakeNativeFileSystem();
  CatalogueState State;
  ScriptedDialogs Dialogs;
  MemorySettings Settings;  // the chooser's and the placement's store, once a test hands it over
  FakeDrives Drives;
  std::unique_ptr<Form1> Window;
};

}  // namespace brieflist::test
