#include "folder/Form2.h"

#include <QComboBox>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>

#include "folder/FolderList.h"
#include "folder/FolderPaths.h"
#include "platform/qt/Dialogs.h"
#include "platform/qt/QtText.h"
#include "platform/qt/SettingsStore.h"
#include "platform/qt/Twips.h"

namespace brieflist {
namespace {

constexpr const char* kCaption = "Plese Select Your DeltaForce 1/2 Directory!";
constexpr const char* kManualPrompt = "Please Enter Path Manualy!";

// The client area, in twips.
constexpr int kClientWidth = 5670;
constexpr int kClientHeight = 4500;

QString Text(const char* Latin1) {
  return QString::fromLatin1(Latin1);
}

QPushButton* MakeButton(QWidget& Window, const char* Name, const char* Caption, int Left,
                        int Width) {
  auto* button = new QPushButton(Text(Caption), &Window);
  button->setObjectName(Text(Name));
  button->setGeometry(TwipsRect(Left, 4200, Width, 255, Window));
  // Only OK takes Enter, wherever the focus is.
  button->setAutoDefault(false);
  return button;
}

}  // namespace

Form2::Form2(SettingsStore& Settings, DriveSource& DriveList, Dialogs& D)
    : QDialog(nullptr, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                           Qt::MSWindowsFixedSizeDialogHint),
      Settings_(Settings),
      Dialogs_(D),
      Drives_(DriveList.Drives()) {
  // Without a parent: the main window is disabled while the chooser is open, and a child window
  // would be disabled with it.
  setObjectName(QStringLiteral("Form2"));
  setWindowTitle(Text(kCaption));
  setWindowModality(Qt::ApplicationModal);
  QFont font(QStringLiteral("MS Sans Serif"));
  font.setPointSizeF(8.25);
  setFont(font);
  CreateControls();
  setFixedSize(TwipsToPixelsX(kClientWidth, *this), TwipsToPixelsY(kClientHeight, *this));
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect frame(QPoint(), size());
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
  }
  Load();
}

Form2::~Form2() = default;

void Form2::CreateControls() {
  Drive1_ = new QComboBox(this);
  Drive1_->setObjectName(QStringLiteral("Drive1"));
  Drive1_->setGeometry(TwipsRect(120, 120, 5415, 315, *this));
  for (const Drive& drive : Drives_) Drive1_->addItem(drive.Text);

  Dir1_ = new FolderList(this);
  Dir1_->setObjectName(QStringLiteral("Dir1"));
  Dir1_->setGeometry(TwipsRect(120, 480, 5415, 3690, *this));

  Label1_ = new QLabel(this);
  Label1_->setObjectName(QStringLiteral("Label1"));
  Label1_->setGeometry(TwipsRect(120, 4200, 3975, 255, *this));
  Label1_->installEventFilter(this);

  Command1_ = MakeButton(*this, "Command1", "OK", 4200, 495);
  Command2_ = MakeButton(*this, "Command2", "Cancel", 4800, 735);

  setTabOrder(Drive1_, Dir1_);
  setTabOrder(Dir1_, Command1_);
  setTabOrder(Command1_, Command2_);

  connect(Drive1_, &QComboBox::currentIndexChanged, this, &Form2::Drive1Change);
  connect(Dir1_, &FolderList::PathChanged, this, &Form2::Dir1Change);
  // OK takes the folder the person highlighted, as a double click would have opened it.
  connect(Dir1_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* Item) {
    if (Item) SetSelectedPath(AddBackslash(Dir1_->HighlightedPath()));
  });
  // Enter confirms, also from the folder list, which passes the key on after opening the entry.
  Command1_->setDefault(true);
  connect(Command1_, &QPushButton::clicked, this, &Form2::Command1Click);
  connect(Command2_, &QPushButton::clicked, this, &Form2::Command2Click);
}

void Form2::Load() {
  const QString remembered = Settings_.Read(Text(kSettingsApplication), Text(kSettingsSection),
                                            Text(kSettingsKey), DefaultFolder());
  // Both lists start where the process is; a remembered folder or drive that is gone leaves
  // them there, without a message.
  Dir1_->SetPath(QDir::currentPath());
  ShowDrive(DriveIndexOf(Drives_, Dir1_->Path()));
  if (!Dir1_->SetPath(remembered)) {
    const int drive = DriveIndexOf(Drives_, remembered);
    if (drive >= 0 && Dir1_->SetPath(Drives_[static_cast<size_t>(drive)].Root)) ShowDrive(drive);
  }
  SetSelectedPath(AddBackslash(Dir1_->Path()));
}

void Form2::Drive1Change(int Index) {
  if (Index < 0 || static_cast<size_t>(Index) >= Drives_.size()) return;
  // A drive that cannot be read (a removable drive without a medium): the drive list goes back
  // to the folder list's drive and the chooser stays as it was.
  if (!Dir1_->SetPath(Drives_[static_cast<size_t>(Index)].Root)) {
    ShowDrive(DriveIndexOf(Drives_, Dir1_->Path()));
    return;
  }
  ShowDrive(Index);
}

void Form2::Dir1Change() {
  // A folder list that moves onto another volume takes the drive list along.
  const int drive = DriveIndexOf(Drives_, Dir1_->Path());
  if (drive >= 0) ShowDrive(drive);
  SetSelectedPath(AddBackslash(Dir1_->Path()));
}

void Form2::ShowDrive(int Index) {
  const QSignalBlocker quiet(Drive1_);
  Drive1_->setCurrentIndex(Index);
}

void Form2::SetSelectedPath(const QString& Path) {
  SelectedPath_ = Path;
  Label1_->setText(SelectedPath_);
  Label1_->setToolTip(SelectedPath_);
}

void Form2::Label1Click() {
  const QString answer = Dialogs_.InputBox(Text(kManualPrompt), SelectedPath_);
  // Not checked: a folder that does not exist yet is the refresh's concern.
  if (!answer.isEmpty()) SetSelectedPath(AddBackslash(answer));
}

std::string ConfirmFolder(const QString& Path, SettingsStore& Settings, Dialogs& D) {
  const std::string folder = ToEnginePath(Path);
  if (folder.empty()) {
    D.ShowMessage(QStringLiteral("The folder %1 cannot be used: its name has characters "
                                 "outside Windows-1252.")
                      .arg(Path));
    return folder;
  }
  const QString problem =
      Settings.Write(Text(kSettingsApplication), Text(kSettingsSection), Text(kSettingsKey), Path);
  if (!problem.isEmpty())
    D.ShowMessage(QStringLiteral("The folder %1 could not be remembered for the next run: %2")
                      .arg(Path, problem));
  return folder;
}

void Form2::Command1Click() {
  const std::string folder = ConfirmFolder(SelectedPath_, Settings_, Dialogs_);
  if (folder.empty()) return;
  Chosen_ = folder;
  accept();
}

void Form2::Command2Click() {
  reject();
}

bool Form2::eventFilter(QObject* Watched, QEvent* Event) {
  if (Watched == Label1_ && Event->type() == QEvent::MouseButtonRelease) {
    const auto* mouse = static_cast<QMouseEvent*>(Event);
    if (mouse->button() == Qt::LeftButton &&
        Label1_->rect().contains(mouse->position().toPoint())) {
      Label1Click();
      return true;
    }
  }
  return QDialog::eventFilter(Watched, Event);
}

}  // namespace brieflist
