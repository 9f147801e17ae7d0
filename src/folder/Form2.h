#pragma once

#include <QDialog>
#include <QString>
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
// confirms, OK and Cancel. It answers through GameDirectory: OK stores the folder and writes it
// there; Cancel, Escape and the window's close button write "Canceled!".
class Form2 : public QDialog {
  Q_OBJECT

 public:
  // Loads at once: the remembered folder is read afresh for every chooser.
  Form2(std::string& GameDirectory, SettingsStore& Settings, DriveSource& DriveList, Dialogs& D);
  ~Form2() override;

  // The folder OK would confirm, always ending with the separator.
  const QString& SelectedPath() const { return SelectedPath_; }

  void Command1Click();  // OK
  void Command2Click();  // Cancel
  void Label1Click();

  void reject() override;

 protected:
  bool eventFilter(QObject* Watched, QEvent* Event) override;

 private:
  void CreateControls();
  void Load();
  void Drive1Change(int Index);
  void Dir1Change();
  void ShowDrive(int Index);
  void SetSelectedPath(const QString& Path);

  std::string& GameDirectory_;
  SettingsStore& Settings_;
  Dialogs& Dialogs_;
  std::vector<Drive> Drives_;
  QString SelectedPath_;

  QComboBox* Drive1_ = nullptr;
  FolderList* Dir1_ = nullptr;
  QLabel* Label1_ = nullptr;
  QPushButton* Command1_ = nullptr;
  QPushButton* Command2_ = nullptr;
};

}  // namespace brieflist
