#pragma once

#include <QPoint>
#include <QString>
#include <QStringList>

class QAction;
class QMenu;

namespace brieflist {

// Everything the windows ask a person: message boxes, the Yes/No question, pop-up menus, the
// input box and the file dialog. Tests answer through their own implementation, without a person.
class Dialogs {
 public:
  virtual ~Dialogs() = default;

  // A modal message with an OK button only, no icon, titled with the application's name.
  virtual void ShowMessage(const QString& Text) = 0;
  // A modal message as ShowMessage, with a Copy button, when CopyText is not empty, that puts
  // CopyText on the clipboard and leaves the message open (Ctrl+C copies the message itself).
  virtual void ShowReport(const QString& Text, const QString& CopyText) {
    (void)CopyText;
    ShowMessage(Text);
  }
  // A modal Yes/No question; Yes is the default answer. Returns true for Yes.
  virtual bool AskYesNo(const QString& Text) = 0;
  // A modal question with Answers as its buttons, left to right, and Cancel after them; Enter
  // gives Answers[Default]. The index of the answer; -1 for Cancel (or Escape).
  virtual int Choose(const QString& Text, const QStringList& Answers, int Default) {
    (void)Text;
    (void)Answers;
    return Default;
  }
  // Pops Menu up at GlobalPos and waits; the chosen item, or nullptr when dismissed.
  virtual QAction* PopUpMenu(QMenu& Menu, const QPoint& GlobalPos) = 0;
  // A modal input box with Prompt and the answer Default filled in; the typed answer, empty when
  // cancelled.
  virtual QString InputBox(const QString& Prompt, const QString& Default) = 0;
  // The file dialog for saving, with one filter ("Description (*.EXT)"), a suffix added to a name
  // typed without one, and Start as the proposed file. The chosen path; empty when cancelled.
  virtual QString SaveFileName(const QString& Filter, const QString& DefaultSuffix,
                               const QString& Start) = 0;
  // The file dialog for opening an existing file; as SaveFileName, without a suffix.
  virtual QString OpenFileName(const QString& Filter, const QString& Start) = 0;
};

// The real dialogs of the windowing system.
class WidgetDialogs : public Dialogs {
 public:
  void ShowMessage(const QString& Text) override;
  void ShowReport(const QString& Text, const QString& CopyText) override;
  bool AskYesNo(const QString& Text) override;
  int Choose(const QString& Text, const QStringList& Answers, int Default) override;
  QAction* PopUpMenu(QMenu& Menu, const QPoint& GlobalPos) override;
  QString InputBox(const QString& Prompt, const QString& Default) override;
  QString SaveFileName(const QString& Filter, const QString& DefaultSuffix,
                       const QString& Start) override;
  QString OpenFileName(const QString& Filter, const QString& Start) override;
};

}  // namespace brieflist
