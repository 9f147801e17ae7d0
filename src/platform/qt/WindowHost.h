#pragma once

#include <map>
#include <string>

#include "platform/EngineHost.h"

namespace brieflist {

class Dialogs;

// The engine's host inside the desktop program: the skip question becomes a dialog.
class WindowHost : public EngineHost {
 public:
  explicit WindowHost(Dialogs& D) : Dialogs_(D) {}

  // While quiet (a refresh nobody asked for) nothing is asked: a question gets the answer the
  // person gave it last time, or Yes when never asked.
  bool Quiet = false;

  bool AskYesNo(const std::string& Text) override;

 private:
  Dialogs& Dialogs_;
  std::map<std::string, bool> Answers_;  // by question
};

}  // namespace brieflist
