#pragma once

#include <QPoint>
#include <QString>

class QAction;
class QMenu;

namespace brieflist {

// Everything the window asks a person: message boxes, the Yes/No question, pop-up menus and
// the folder. Tests answer through their own implementation, without a person.
class Dialogs {
 public:
  virtual ~Dialogs() = default;

  // A modal message with an OK button only, no icon, titled with the application's name.
  virtual void ShowMessage(const QString& Text) = 0;
  // A modal Yes/No question; Yes is the default answer. Returns true for Yes.
  virtual bool AskYesNo(const QString& Text) = 0;
  // Pops Menu up at GlobalPos and waits; the chosen item, or nullptr when dismissed.
  virtual QAction* PopUpMenu(QMenu& Menu, const QPoint& GlobalPos) = 0;
  // A folder chosen by the user starting from Start; empty when cancelled.
  virtual QString ChooseFolder(const QString& Start) = 0;
};

// The real dialogs of the windowing system.
class WidgetDialogs : public Dialogs {
 public:
  void ShowMessage(const QString& Text) override;
  bool AskYesNo(const QString& Text) override;
  QAction* PopUpMenu(QMenu& Menu, const QPoint& GlobalPos) override;
  QString ChooseFolder(const QString& Start) override;
};

}  // namespace brieflist
