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
  // The closing message of an import: kept apart from the plain messages.
  void ShowReport(const QString& Text, const QString& CopyText) override {
    Reports.push_back({Text, CopyText});
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
  QString InputBox(const QString& Prompt, const QString& Default) override {
    Inputs.push_back({Prompt, Default});
    return Pop(InputAnswers);
  }
  QString SaveFileName(const QString& Filter, const QString& DefaultSuffix,
                       const QString& Start) override {
    FileDialogs.push_back({true, Filter, DefaultSuffix, Start});
    return Pop(FileNames);
  }
  QString OpenFileName(const QString& Filter, const QString& Start) override {
    FileDialogs.push_back({false, Filter, QString(), Start});
    return Pop(FileNames);
  }

  QWidget* Watched = nullptr;
  std::deque<bool> YesNoAnswers;
  std::deque<QString> MenuChoices;
  std::deque<QString> InputAnswers;  // an empty answer, or none left, cancels
  std::deque<QString> FileNames;     // an empty name, or none left, cancels the dialog

  std::vector<Shown> Messages;
  struct Report {
    QString Text, CopyText;
  };
  std::vector<Report> Reports;
  QStringList Questions;
  std::vector<bool> BusyWhileAsked;
  std::vector<PoppedUp> PopUps;
  struct Asked {
    QString Prompt;
    QString Default;
  };
  std::vector<Asked> Inputs;
  struct FileDialog {
    bool Save = false;
    QString Filter;
    QString DefaultSuffix;
    QString Start;
  };
  std::vector<FileDialog> FileDialogs;

 private:
  static QString Pop(std::deque<QString>& Answers) {
    if (Answers.empty()) return QString();
    QString answer = Answers.front();
    Answers.pop_front();
    return answer;
  }
};

}  // namespace brieflist::test
