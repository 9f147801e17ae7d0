#pragma once

#include <QElapsedTimer>
#include <functional>
#include <map>
#include <string>

#include "platform/EngineHost.h"

namespace brieflist {

class Dialogs;

// The engine's host inside the desktop program: the skip question becomes a dialog, and long
// work shows how far it is while the window keeps painting.
class WindowHost : public EngineHost {
 public:
  explicit WindowHost(Dialogs& D) : Dialogs_(D) {}

  // While quiet (a refresh nobody asked for) nothing is asked: a question gets the answer the
  // person gave it last time, or Yes when never asked.
  bool Quiet = false;
  // Shows Done of Total; called only once the work has lasted ShowAfterMs, a few times a second.
  std::function<void(size_t Done, size_t Total)> ShowProgress;
  int ShowAfterMs = 500;

  bool AskYesNo(const std::string& Text) override;
  // Progress of the work begun by the last StartWork (or by this call, when none is under way).
  // Lets paint and timer events through, never the person's clicks and keys: the program stays
  // on one thread, and nothing else starts while the work runs.
  void Progress(size_t Done, size_t Total) override;
  void StartWork();
  void EndWork();

 private:
  Dialogs& Dialogs_;
  std::map<std::string, bool> Answers_;  // by question
  QElapsedTimer Work_;
  qint64 ShownAt_ = -1;  // ms into the work when progress was last shown; -1: not yet
};

}  // namespace brieflist
