#include "platform/qt/Dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>

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

}  // namespace

void WidgetDialogs::ShowMessage(const QString& Text) {
  RunBox(QMessageBox::Ok, QMessageBox::Ok, Text);
}

bool WidgetDialogs::AskYesNo(const QString& Text) {
  return RunBox(QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes, Text) == QMessageBox::Yes;
}

QAction* WidgetDialogs::PopUpMenu(QMenu& Menu, const QPoint& GlobalPos) {
  return Menu.exec(GlobalPos);
}

QString WidgetDialogs::ChooseFolder(const QString& Start) {
  ArrowWhileAsking arrow;
  return QFileDialog::getExistingDirectory(QApplication::activeWindow(), QString(), Start);
}

}  // namespace brieflist
