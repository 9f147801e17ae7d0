#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "catalogue/CatalogueState.h"
#include "platform/EngineHost.h"
#include "platform/NativeNames.h"
#include "platform/Paths.h"
#include "sample/SampleWriter.h"

namespace brieflist::test {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempFolder {
 public:
  TempFolder() {
    static std::atomic<int> counter{0};
    const auto base = std::filesystem::temp_directory_path();
    for (;;) {
      Path_ =
          base / ("brieflist-test-" + std::to_string(Nonce()) + "-" + std::to_string(counter++));
      if (std::filesystem::create_directory(Path_)) break;
    }
  }
  ~TempFolder() {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::permissions(Path_, fs::perms::owner_all, fs::perm_options::add, ec);
    // Windows removes nothing marked read-only, files included.
    for (fs::recursive_directory_iterator it(Path_, ec), end; !ec && it != end; it.increment(ec))
      fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(Path_, ec);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // The folder as the engine takes it, without a trailing separator.
  std::string Path() const { return Path_.string(); }
  // Name is the engine's text: Windows-1252 on Windows.
  std::string File(const std::string& Name) const { return JoinPath(Path(), Name); }

  void Write(const std::string& Name, const sample::Bytes& Data) const {
    sample::WriteFile(File(Name), Data);
  }

 private:
  static uint64_t Nonce() {
    return static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  }
  std::filesystem::path Path_;
};

// Takes write access away: the permission bits on POSIX systems, the read-only mark on Windows.
inline void MakeReadOnly(const std::string& Path) {
  namespace fs = std::filesystem;
  fs::permissions(NativePath(Path),
                  fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
}

// True when a file marked read-only refuses writes from this user: always on Windows, whose
// mark binds every user; on POSIX systems for every user but root.
inline bool ReadOnlyBinds(const std::string& File) {
#ifdef _WIN32
  (void)File;
  return true;
#else
  return !std::ofstream(NativePath(File), std::ios::binary | std::ios::app);
#endif
}

// The system's reason for a write it refuses.
#ifdef _WIN32
inline constexpr const char* kAccessDenied = "Access";  // "Access is denied", "Access denied"
#else
inline constexpr const char* kAccessDenied = "Permission denied";
#endif

inline sample::Bytes ReadBytes(const std::string& Path) {
  std::ifstream in(NativePath(Path), std::ios::binary);
  return sample::Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A host that records everything the engine asks and answers from a script.
class RecordingHost : public EngineHost {
 public:
  bool AskYesNo(const std::string& Text) override {
    Questions.push_back(Text);
    if (Answers.empty()) return true;
    const bool answer = Answers.front();
    Answers.pop_front();
    return answer;
  }
  void ShowMessage(const std::string& Text) override { Messages.push_back(Text); }
  void SetWindowEnabled(bool Enabled) override { WindowStates.push_back(Enabled); }
  void CatalogueRefreshed(const RefreshReport& Report) override {
    ++Refreshes;
    LastReport = Report;
  }
  void EnabledCellChanged(int64_t GridRow, bool Enabled) override {
    CellChanges.emplace_back(GridRow, Enabled);
  }

  std::deque<bool> Answers;  // answers to AskYesNo, in order; Yes when empty
  std::vector<std::string> Questions;
  std::vector<std::string> Messages;
  std::vector<bool> WindowStates;
  int Refreshes = 0;
  RefreshReport LastReport;
  std::vector<std::pair<int64_t, bool>> CellChanges;
};

}  // namespace brieflist::test
