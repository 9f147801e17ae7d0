#include "platform/qt/WindowHost.h"

#include <QCoreApplication>

#include "platform/qt/Dialogs.h"
#include "platform/qt/QtText.h"

namespace brieflist {
namespace {

// Often enough to look alive, seldom enough to cost nothing beside the work.
constexpr qint64 kShowEveryMs = 100;

}  // namespace

bool WindowHost::AskYesNo(const std::string& Text) {
  if (Quiet) {
    const auto answered = Answers_.find(Text);
    return answered == Answers_.end() || answered->second;
  }
  const bool yes = Dialogs_.AskYesNo(FromEngineMessage(Text));
  Answers_[Text] = yes;
  // The time spent waiting for the answer is not the work's.
  if (Work_.isValid()) Work_.start();
  return yes;
}

void WindowHost::StartWork() {
  Work_.start();
  ShownAt_ = -1;
}

void WindowHost::EndWork() {
  Work_.invalidate();
}

void WindowHost::Progress(size_t Done, size_t Total) {
  if (!Work_.isValid()) StartWork();
  const qint64 now = Work_.elapsed();
  if (now < ShowAfterMs || (ShownAt_ >= 0 && now - ShownAt_ < kShowEveryMs)) return;
  ShownAt_ = now;
  if (ShowProgress) ShowProgress(Done, Total);
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace brieflist
