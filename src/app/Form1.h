#pragma once

#include <QPoint>
#include <QString>
#include <QWidget>
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/DiskWatch.h"
#include "app/WindowPlacement.h"
#include "catalogue/CatalogueState.h"
#include "catalogue/GridText.h"
#include "editing/PatchJournal.h"
#include "editing/Patching.h"
#include "editing/Undo.h"
#include "platform/qt/WindowHost.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace brieflist {

class Dialogs;
class DriveSource;
class GridFilter;
class MissionGrid;
class PopUpMenus;
class SettingsStore;
struct BulkResult;

// The main window: the mission grid, the command buttons, the check box, the filter with its
// summary and the pop-up menus.
// It wires the user's actions to the engine; the grid, its fill and the menus live in src/view.
class Form1 : public QWidget {
  Q_OBJECT

 public:
  Form1(CatalogueState& State, FileSystem& Files, Dialogs& D, QWidget* Parent = nullptr);
  ~Form1() override;

  // The folder chooser reads and writes Settings and lists Drives; unless told otherwise, the
  // user's settings store and the system's drives.
  void UseChooserSources(SettingsStore& Settings, DriveSource& Drives);

  // Puts the window where Settings says it was when last closed, if that is on a screen there
  // is now, and remembers its place there when it is closed.
  void RememberPlacement(SettingsStore& Settings);

  // What confirming a folder in the chooser does: Folder becomes the game folder (with a
  // trailing separator), the catalogue is rebuilt and the commands that need one are enabled.
  // The grid shows map names and the sort as they were last chosen (see RememberGridView).
  void OpenFolder(const std::string& Folder);

  // The window's commands, as its buttons, check box, grid and menus run them.
  void OpenPath();
  void About();
  void ExportList();
  void ImportList();
  // ImportList with the list file already chosen (empty: none was).
  void ImportListNamed(const QString& Name);
  void UpDateList();
  void RefreshList();
  void ResolveMapNameClicked();
  void TitleClicked(int Column);
  void GridMouseUp(Qt::MouseButton Button, QPoint GlobalPos);
  void GridMenuKey(QPoint GlobalPos);
  void EnableDisable();
  void FillGrid();
  void ApplyFilter();
  void EnableShown();
  void DisableShown();
  // Ctrl+Z: takes back the newest command of the undo journal that patched the open folder, and
  // says in the summary what it took back.
  void UndoLastPatch();
  // One line in the summary area, in place of the counts, until the next command or refresh.
  void ShowNotice(const QString& Line);

  // A refresh of the open folder after someone else changed it: nothing is asked, and the
  // filter, the sort, the current mission and the scroll position stay as they were.
  void FollowDisk();

  WindowHost& Host() { return Host_; }
  MissionGrid& Grid() { return *FG_; }
  DiskWatch& Watch() { return *Watch_; }
  const PopUpMenus& Menus() const { return *Menus_; }
  const std::array<bool, kGridColumns>& SortAscending() const { return SortAscending_; }

  // The message that lists what a refresh could not read.
  static QString ProblemsText(const RefreshReport& Report);

 protected:
  void resizeEvent(QResizeEvent* Event) override;
  void closeEvent(QCloseEvent* Event) override;
  void dragEnterEvent(QDragEnterEvent* Event) override;
  void dragMoveEvent(QDragMoveEvent* Event) override;
  void dropEvent(QDropEvent* Event) override;
  bool eventFilter(QObject* Watched, QEvent* Event) override;

 private:
  // Held by every command for its length: the disk watch holds still until the last one ends
  // (commands nest). False once the window is closing: the command then does nothing more.
  class Command {
   public:
    explicit Command(Form1& Window) : Window_(Window), Pause_(*Window.Watch_) {
      if (!Window.Notice_.isEmpty()) Window.ShowNotice({});
    }
    explicit operator bool() const { return !Window_.Ending_; }

   private:
    const Form1& Window_;
    DiskWatch::Pause Pause_;
  };
  // Runs an engine call under the busy cursor and returns what it returned.
  template <typename Call>
  auto Busy(Call&& C);

  void CreateControls();
  void CreateFilterControls();
  void CreateShortcuts();
  void EnsureChooserSources();
  void OpenDroppedFolder(const QString& Folder);
  WindowPlacement CurrentPlacement() const;
  void EnableCatalogueCommands(bool WithResolveMapName);
  // Writes whether map names are resolved and the sort to the chooser's settings store, where
  // OpenFolder finds them in the next run.
  void RememberGridView();
  void Load();
  void ApplyResizeRule();
  RefreshReport Refresh();
  bool RowStillShowsItsMission(int Row) const;
  // A refresh has rebuilt the catalogue: the grid shows it afresh.
  void Rebuilt(const RefreshReport& Report);
  // Shows what a switch did: its row's cell, or the rebuilt catalogue, then its problems.
  void ShowSwitched(const SwitchResult& Result);
  // The same for bulk switches made one after the other, as one command.
  void ShowBulkSwitched(std::initializer_list<const BulkResult*> Results);
  void ShowProblems(const std::vector<Problem>& Problems);
  GridFilter CurrentFilter() const;
  void UpdateSummary();
  static QString UndoNotice(const UndoResult& Result);
  void SwitchShown(bool Enabled);
  // Enable/Disable on a selection of several rows (grid rows, as SelectedRows gives them).
  void SwitchSelected(const std::vector<int>& Rows);
  // ImportList into the open folder, by name: for a list whose folder is not on this computer
  // (asked first when Ask), or at the person's word.
  void ApplyListToOpenFolder(std::vector<MissionEntry> Rows, bool Ask);
  bool SameFolder(const std::string& A, const std::string& B) const;

  CatalogueState& State_;
  Dialogs& Dialogs_;
  WindowHost Host_;
  // The engine's host: Host_, with the journal's lock given up while its question is up.
  LockFreeDialogsHost EngineHost_{Host_};
  // Before Platform_, whose file system it is.
  std::unique_ptr<DiskWatch> Watch_;
  Platform Platform_;

  MissionGrid* FG_ = nullptr;
  QPushButton* Command1_ = nullptr;
  QPushButton* Command2_ = nullptr;
  QPushButton* Command3_ = nullptr;
  QPushButton* Command4_ = nullptr;
  QPushButton* Command5_ = nullptr;
  QPushButton* Command6_ = nullptr;
  QCheckBox* ResolveMapName_ = nullptr;
  QLineEdit* FilterText_ = nullptr;
  QComboBox* ShowState_ = nullptr;
  QPushButton* EnableShown_ = nullptr;
  QPushButton* DisableShown_ = nullptr;
  QLabel* Summary_ = nullptr;
  std::unique_ptr<PopUpMenus> Menus_;
  std::unique_ptr<PatchJournal> Journal_;

  std::unique_ptr<SettingsStore> OwnSettings_;
  std::unique_ptr<DriveSource> OwnDrives_;
  SettingsStore* Settings_ = nullptr;
  DriveSource* Drives_ = nullptr;
  // The list file dialog proposes the name it last returned, to export and import alike.
  QString LastListFile_;
  RefreshReport LastRefresh_;
  // What the refresh that built the catalogue could not read, for the export.
  RefreshReport Catalogued_;
  // What the last refresh nobody asked for could not read, for the summary line; empty after
  // any other refresh.
  RefreshReport Unread_;
  QString Notice_;
  QString Working_;  // how far long work is, while it runs

  // Where the placement is remembered, and the placement the window started with.
  SettingsStore* PlacementStore_ = nullptr;
  WindowPlacement StartPlacement_;

  std::array<bool, kGridColumns> SortAscending_{};
  int SortColumn_ = -1;  // the column the grid is sorted by since the last fill; -1: none
  bool Ending_ = false;
};

}  // namespace brieflist
