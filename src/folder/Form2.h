#pragma once

#include <QDialog>
#include <QString>
#include <optional>
#include <string>
#include <vector>

#include "platform/qt/Drives.h"

class QComboBox;
class QLabel;
class QPushButton;

namespace brieflist {

class Dialogs;
class FolderList;
class SettingsStore;

// The remembered folder's entry in the settings store.
inline constexpr const char* kSettingsApplication = "Brieflist";
inline constexpr const char* kSettingsSection = "LastPath";
inline constexpr const char* kSettingsKey = "Path";

// What the chooser's OK does with Path (ending with the separator): remembers it in Settings and
// returns it as the engine's path. Empty, after telling the person why, when the engine cannot
// hold the path.
std::string ConfirmFolder(const QString& Path, SettingsStore& Settings, Dialogs& D);

// The folder chooser: a drive list, a folder list, the label showing the folder that OK
// confirms, OK and Cancel. OK stores the folder and ends the chooser with it; Cancel, Escape and
// the window's close button end it without one.
class Form2 : public QDialog {
  Q_OBJECT

 public:
  // Loads at once: the remembered folder is read afresh for every chooser.
  Form2(SettingsStore& Settings, DriveSource& DriveList, Dialogs& D);
  ~Form2() override;

  // The folder confirmed with OK, as the engine's path; none while open or after a cancel.
  const std::optional<std::string>& Chosen() const { return Chosen_; }

  // The folder OK would confirm, always ending with the separator.
  const QString& SelectedPath() const { return SelectedPath_; }

  void Command1Click();  // OK
  void Command2Click();  // Cancel
  void Label1Click();

 protected:
  bool eventFilter(QObject* Watched, QEvent* Event) override;

 private:
  void CreateControls();
  void Load();
  void Drive1Change(int Index);
  void Dir1Change();
  void ShowDrive(int Index);
  void SetSelectedPath(const QString& Path);

  SettingsStore& Settings_;
  Dialogs& Dialogs_;
  std::vector<Drive> Drives_;
  QString SelectedPath_;
  std::optional<std::string> Chosen_;

  QComboBox* Drive1_ = nullptr;
  FolderList* Dir1_ = nullptr;
  QLabel* Label1_ = nullptr;
  QPushButton* Command1_ = nullptr;
  QPushButton* Command2_ = nullptr;
};

}  // namespace brieflist
