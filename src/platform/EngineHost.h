#pragma once

#include <cstddef>
#include <string>

namespace brieflist {

// The one question the engine asks whoever drives it (the window, the command line or a test):
// skip an archive whose header is not valid? Everything else the engine says comes back in its
// results. Texts are the engine's raw single-byte strings; the host converts them for display.
class EngineHost {
 public:
  virtual ~EngineHost() = default;

  // A Yes/No question; Yes is the default answer. Returns true for Yes.
  virtual bool AskYesNo(const std::string& Text) = 0;

  // Long work under way: Done of Total steps (files read, missions or rows handled). Called
  // often and cheaply; the host decides whether to show it, and may let a window repaint.
  virtual void Progress(size_t Done, size_t Total) {
    (void)Done;
    (void)Total;
  }
};

// A host that answers every question with its default: for tools and tests that need no
// interaction.
class QuietHost : public EngineHost {
 public:
  bool AskYesNo(const std::string&) override { return true; }
};

}  // namespace brieflist
