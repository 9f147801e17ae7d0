#include "platform/qt/WindowHost.h"

#include "platform/qt/Dialogs.h"
#include "platform/qt/QtText.h"

namespace brieflist {

bool WindowHost::AskYesNo(const std::string& Text) {
  if (Quiet) {
    const auto answered = Answers_.find(Text);
    return answered == Answers_.end() || answered->second;
  }
  const bool yes = Dialogs_.AskYesNo(FromEngineMessage(Text));
  Answers_[Text] = yes;
  return yes;
}

}  // namespace brieflist
