#pragma once

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QStringList>
#include <QWidget>
#include <deque>
#include <vector>

#include "platform/qt/Dialogs.h"

namespace brieflist::test {

// Answers the window's dialogs from a script and records what was asked.
class ScriptedDialogs : public Dialogs {
 public:
  struct Shown {
    QString Text;
    bool WindowEnabled = true;  // the watched window's state while the message was up
  };
  struct PoppedUp {
    QString MenuName;
    QStringList Items;  // captions, in order
    std::vector<bool> ItemsEnabled;
  };

  void ShowMessage(const QString& Text) override {
    Messages.push_back({Text, Watched == nullptr || Watched->isEnabled()});
  }
  bool AskYesNo(const QString& Text) override {
    Questions.push_back(Text);
    BusyWhileAsked.push_back(QApplication::overrideCursor() != nullptr &&
                             QApplication::overrideCursor()->shape() == Qt::WaitCursor);
    if (YesNoAnswers.empty()) return true;
    const bool answer = YesNoAnswers.front();
    YesNoAnswers.pop_front();
    return answer;
  }
  // Chooses the item named by the next entry of MenuChoices; an empty entry, or none left,
  // dismisses the menu. A greyed item cannot be chosen.
  QAction* PopUpMenu(QMenu& Menu, const QPoint&) override {
    PoppedUp shown{Menu.objectName(), {}, {}};
    for (QAction* item : Menu.actions()) {
      shown.Items.push_back(item->text());
      shown.ItemsEnabled.push_back(item->isEnabled());
    }
    PopUps.push_back(shown);
    if (MenuChoices.empty()) return nullptr;
    const QString name = MenuChoices.front();
    MenuChoices.pop_front();
    for (QAction* item : Menu.actions())
      if (item->objectName() == name && item->isEnabled()) return item;
    return nullptr;
  }
  QString ChooseFolder(const QString&) override { return Folder; }

  QWidget* Watched = nullptr;
  std::deque<bool> YesNoAnswers;
  std::deque<QString> MenuChoices;
  QString Folder;

  std::vector<Shown> Messages;
  QStringList Questions;
  std::vector<bool> BusyWhileAsked;
  std::vector<PoppedUp> PopUps;
};

}  // namespace brieflist::test
