#include "platform/qt/Dialogs.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <algorithm>
#include <vector>

namespace brieflist {
namespace {

// A question asked during a refresh must not show the busy cursor.
class ArrowWhileAsking {
 public:
  ArrowWhileAsking() : Busy_(QApplication::overrideCursor() != nullptr) {
    if (Busy_) QApplication::setOverrideCursor(Qt::ArrowCursor);
  }
  ~ArrowWhileAsking() {
    if (Busy_) QApplication::restoreOverrideCursor();
  }
  ArrowWhileAsking(const ArrowWhileAsking&) = delete;
  ArrowWhileAsking& operator=(const ArrowWhileAsking&) = delete;

 private:
  bool Busy_;
};

// Without a parent: the main window may be disabled while a message is shown, and a box owned
// by it would be disabled with it.
int RunBox(QMessageBox::StandardButtons Buttons, QMessageBox::StandardButton Default,
           const QString& Text) {
  ArrowWhileAsking arrow;
  QMessageBox box(QMessageBox::NoIcon, QApplication::applicationDisplayName(), Text, Buttons);
  box.setDefaultButton(Default);
  box.setTextFormat(Qt::PlainText);
  return box.exec();
}

// The list files' dialog, CD1. Cancelling returns an empty name, which the commands end on.
QString RunFileDialog(QFileDialog::AcceptMode Mode, const QString& Filter,
                      const QString& DefaultSuffix, const QString& Start) {
  ArrowWhileAsking arrow;
  QFileDialog dialog(QApplication::activeWindow(), QString(), QString(), Filter);
  dialog.setObjectName(QStringLiteral("CD1"));
  dialog.setAcceptMode(Mode);
  dialog.setFileMode(Mode == QFileDialog::AcceptSave ? QFileDialog::AnyFile
                                                     : QFileDialog::ExistingFile);
  dialog.setDefaultSuffix(DefaultSuffix);
  if (!Start.isEmpty()) dialog.selectFile(Start);
  if (dialog.exec() != QDialog::Accepted) return QString();
  const QStringList chosen = dialog.selectedFiles();
  return chosen.isEmpty() ? QString() : QDir::toNativeSeparators(chosen.front());
}

}  // namespace

void WidgetDialogs::ShowMessage(const QString& Text) {
  RunBox(QMessageBox::Ok, QMessageBox::Ok, Text);
}

void WidgetDialogs::ShowReport(const QString& Text, const QString& CopyText) {
  if (CopyText.isEmpty()) {
    ShowMessage(Text);
    return;
  }
  ArrowWhileAsking arrow;
  QMessageBox box(QMessageBox::NoIcon, QApplication::applicationDisplayName(), Text,
                  QMessageBox::Ok);
  box.setTextFormat(Qt::PlainText);
  QPushButton* copy = box.addButton(QStringLiteral("Copy"), QMessageBox::ActionRole);
  // Cut from the box's button handling, so a copy leaves the message open.
  copy->disconnect();
  QObject::connect(copy, &QPushButton::clicked, &box,
                   [CopyText] { QGuiApplication::clipboard()->setText(CopyText); });
  box.setDefaultButton(QMessageBox::Ok);
  box.setEscapeButton(QMessageBox::Ok);
  box.exec();
}

int WidgetDialogs::Choose(const QString& Text, const QStringList& Answers, int Default) {
  ArrowWhileAsking arrow;
  QMessageBox box(QMessageBox::NoIcon, QApplication::applicationDisplayName(), Text,
                  QMessageBox::Cancel);
  box.setTextFormat(Qt::PlainText);
  std::vector<QAbstractButton*> buttons;
  for (const QString& answer : Answers)
    buttons.push_back(box.addButton(answer, QMessageBox::AcceptRole));
  if (Default >= 0 && Default < Answers.size())
    box.setDefaultButton(static_cast<QPushButton*>(buttons[static_cast<size_t>(Default)]));
  box.setEscapeButton(QMessageBox::Cancel);
  box.exec();
  const auto chosen = std::find(buttons.begin(), buttons.end(), box.clickedButton());
  return chosen == buttons.end() ? -1 : static_cast<int>(chosen - buttons.begin());
}

bool WidgetDialogs::AskYesNo(const QString& Text) {
  return RunBox(QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes, Text) == QMessageBox::Yes;
}

QAction* WidgetDialogs::PopUpMenu(QMenu& Menu, const QPoint& GlobalPos) {
  return Menu.exec(GlobalPos);
}

QString WidgetDialogs::InputBox(const QString& Prompt, const QString& Default) {
  ArrowWhileAsking arrow;
  QInputDialog box;
  box.setWindowTitle(QApplication::applicationDisplayName());
  box.setLabelText(Prompt);
  box.setTextValue(Default);
  return box.exec() == QDialog::Accepted ? box.textValue() : QString();
}

QString WidgetDialogs::SaveFileName(const QString& Filter, const QString& DefaultSuffix,
                                    const QString& Start) {
  return RunFileDialog(QFileDialog::AcceptSave, Filter, DefaultSuffix, Start);
}

QString WidgetDialogs::OpenFileName(const QString& Filter, const QString& Start) {
  return RunFileDialog(QFileDialog::AcceptOpen, Filter, QString(), Start);
}

}  // namespace brieflist
