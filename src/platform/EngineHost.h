#pragma once

#include <cstdint>
#include <string>

namespace brieflist {

struct RefreshReport;

// What the engine needs from whoever drives it: the window, the command line or a test.
// Texts are the engine's raw single-byte strings; the host converts them for display.
class EngineHost {
 public:
  virtual ~EngineHost() = default;

  // A Yes/No question; Yes is the default answer. Returns true for Yes.
  virtual bool AskYesNo(const std::string& Text) = 0;
  // A message with an OK button only.
  virtual void ShowMessage(const std::string& Text) = 0;
  // The main window takes no input while disabled.
  virtual void SetWindowEnabled(bool Enabled) = 0;
  // A refresh has rebuilt the catalogue: refill the grid and report the problems.
  virtual void CatalogueRefreshed(const RefreshReport& Report) = 0;
  // A toggle has switched the mission shown in grid row GridRow.
  virtual void EnabledCellChanged(int64_t GridRow, bool Enabled) = 0;
};

// Passes everything on to another host; a wrapper overrides only what it watches.
class ForwardingHost : public EngineHost {
 public:
  explicit ForwardingHost(EngineHost& Inner) : Inner_(Inner) {}
  bool AskYesNo(const std::string& Text) override { return Inner_.AskYesNo(Text); }
  void ShowMessage(const std::string& Text) override { Inner_.ShowMessage(Text); }
  void SetWindowEnabled(bool Enabled) override { Inner_.SetWindowEnabled(Enabled); }
  void CatalogueRefreshed(const RefreshReport& Report) override {
    Inner_.CatalogueRefreshed(Report);
  }
  void EnabledCellChanged(int64_t GridRow, bool Enabled) override {
    Inner_.EnabledCellChanged(GridRow, Enabled);
  }

 private:
  EngineHost& Inner_;
};

// A host that answers every question with its default and shows nothing: for tools and tests
// that need no interaction.
class QuietHost : public EngineHost {
 public:
  bool AskYesNo(const std::string&) override { return true; }
  void ShowMessage(const std::string&) override {}
  void SetWindowEnabled(bool) override {}
  void CatalogueRefreshed(const RefreshReport&) override {}
  void EnabledCellChanged(int64_t, bool) override {}
};

}  // namespace brieflist
