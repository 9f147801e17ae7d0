#pragma once

#include <gtest/gtest.h>

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <memory>
#include <string>
#include <vector>

#include "app/Form1.h"
#include "gui/GuiTestSupport.h"
#include "platform/FileSystem.h"
#include "support/DataFolder.h"
#include "support/TestSupport.h"
#include "view/MissionGrid.h"

namespace brieflist::test {

// A window over six missions, with a fresh undo journal of its own:
//   a.pff: 0 ALPHA.BMS (mission name c010001, Hawk, Desert, game type "DM," where the others
//          have "COOP,KOTH,"), 1 BRAVO.BMS (NightOp, Ann, Jungle,
//          disabled), 2 DUP.BMS (DupOne, Kim, Arctic), and a text resource naming c010001
//          "Operation Dawn";
//   b.pff: 3 CHARLIE.BMS (DawnPatrol, Zed, Jungle), 4 dup.bms (DupTwo, Hawk, Desert, disabled);
//   loose: 5 DUP.BMS (DupLoose, Ann, Island).
// DUP.BMS is one name held three times, letter case ignored.
class SixMissionWindow : public testing::Test {
 protected:
  static sample::Bytes Mission(const std::string& Name, const std::string& Creator,
                               const std::string& Terrain, bool Disabled = false,
                               uint8_t Flags = 0x05) {
    sample::MissionSpec m;
    m.MissionName = Name;
    m.Creator = Creator;
    m.Terrain = Terrain;
    m.FlagLow = Flags;
    m.Disabled = Disabled;
    m.Signature = Disabled ? "VyK" : "BMS";
    return sample::BuildMission(m);
  }

  void SetUp() override {
    ArchiveA = {{"ALPHA.BMS", Mission("c010001", "Hawk", "Desert", false, 0x02)},
                {"BRAVO.BMS", Mission("NightOp", "Ann", "Jungle", true)},
                {"DUP.BMS", Mission("DupOne", "Kim", "Arctic")},
                {"TEXT.BIN", sample::BuildRtxt({{"STR_VC010001", "Operation Dawn"},
                                                {"STR_VC010002", "Operation Dusk"}})}};
    ArchiveB = {{"CHARLIE.BMS", Mission("DawnPatrol", "Zed", "Jungle")},
                {"dup.bms", Mission("DupTwo", "Hawk", "Desert", true)}};
    Folder.Write("a.pff", sample::BuildArchive(ArchiveA));
    Folder.Write("b.pff", sample::BuildArchive(ArchiveB));
    Folder.Write("DUP.BMS", Mission("DupLoose", "Ann", "Island"));
    Window = std::make_unique<Form1>(State, *Files, Dialogs);
    Dialogs.Watched = Window.get();
    Window->show();
  }

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
    for (int r = 0; r < Grid().Model().rowCount(); ++r)
      if (Grid().Model().CatalogueIndex(r) == CatalogueIndex) return r;
    return -1;
  }

  template <typename T>
  T* Control(const char* Name) {
    return Window->findChild<T*>(QString::fromLatin1(Name));
  }
  void Filter(const char* Text) { Control<QLineEdit>("FilterText")->setText(QString(Text)); }
  void ShowState(int Choice) { Control<QComboBox>("ShowState")->setCurrentIndex(Choice); }
  QString Summary() { return Control<QLabel>("Summary")->text(); }
  void Click(const char* Button) {
    QTest::mouseClick(Control<QPushButton>(Button), Qt::LeftButton);
  }
  void ClickTitle(int Column) {
    QHeaderView* titles = Grid().horizontalHeader();
    const int x = titles->sectionViewportPosition(Column) + titles->sectionSize(Column) / 2;
    QTest::mouseClick(titles->viewport(), Qt::LeftButton, {}, QPoint(x, titles->height() / 2));
  }
  void ClickCell(int Row, int Column) {
    const QModelIndex at = Grid().model()->index(Row, Column);
    Grid().scrollTo(at);
    QTest::mouseClick(Grid().viewport(), Qt::LeftButton, {}, Grid().visualRect(at).center());
  }

  // The signature of a packed mission (Entry of Archive in File) or of the loose DUP.BMS.
  std::string Signature(const std::string& File, const std::vector<sample::ArchiveEntry>& Archive,
                        size_t Entry) {
    return SignatureAt(File, sample::ArchiveDataOffsets(Archive)[Entry]);
  }
  std::string SignatureAt(const std::string& File, int32_t Offset) {
    const sample::Bytes bytes = ReadBytes(Folder.File(File));
    return std::string(bytes.begin() + Offset, bytes.begin() + Offset + 3);
  }

  ScopedDataFolder Data;  // before the window, which opens its journal there
  TempFolder Folder;
  std::vector<sample::ArchiveEntry> ArchiveA;
  std::vector<sample::ArchiveEntry> ArchiveB;
  std::unique_ptr<FileSystem> Files = MakeNativeFileSystem();
  CatalogueState State;
  ScriptedDialogs Dialogs;
  std::unique_ptr<Form1> Window;
};

}  // namespace brieflist::test
