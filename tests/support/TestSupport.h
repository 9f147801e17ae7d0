#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <deque>
#include <filesystem>
#include <fstream>
#include <optional>

#include "catalogue/CatalogueState.h"
#include "catalogue/MissionEntry.h"
#include "catalogue/RefreshCatalogue.h"
#include "cli/Commands.h"
#include "editing/Patching.h"
#include "exchange/ListFile.h"
#include "platform/EngineHost.h"
#include "platform/FileSystem.h"
#include "platform/NativeNames.h"
#include "platform/Paths.h"
#include "sample/SampleWriter.h"

namespace brieflist::test {

using sample::Bytes;

inline bool Has(const std::string& Text, const std::string& Part) {
  return Text.find(Part) != std::string::npos;
}

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempFolder {
 public:
  TempFolder() {
    static std::atomic<int> counter{0};
    const auto base = std::filesystem::temp_directory_path();
    const auto nonce = std::chrono::steady_clock::now().time_since_epoch().count();
    do {
      Path_ = base / ("brieflist-test-" + std::to_string(nonce) + "-" + std::to_string(counter++));
    } while (!std::filesystem::create_directory(Path_));
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
  void Write(const std::string& Name, const Bytes& Data) const {
    sample::WriteFile(File(Name), Data);
  }

 private:
  std::filesystem::path Path_;
};

inline Bytes ReadBytes(const std::string& Path) {
  std::ifstream in(NativePath(Path), std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The three signature bytes of the mission at Offset.
inline std::string SignatureAt(const Bytes& File, size_t Offset) {
  return std::string(File.begin() + static_cast<std::ptrdiff_t>(Offset),
                     File.begin() + static_cast<std::ptrdiff_t>(Offset + 3));
}

// Takes write access away: the permission bits on POSIX systems, the read-only mark on Windows.
inline void MakeReadOnly(const std::string& Path) {
  namespace fs = std::filesystem;
  fs::permissions(NativePath(Path),
                  fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
}

// True when a read-only mark refuses this user's writes: on Windows always, elsewhere not root.
inline bool ReadOnlyBinds(const std::string& File) {
#ifdef _WIN32
  (void)File;
  return true;
#else
  return !std::ofstream(NativePath(File), std::ios::binary | std::ios::app);
#endif
}

// Puts an archive no user can read, root included, into Folder and returns its name: a link to
// itself on POSIX systems; on Windows a name outside Windows-1252, which the engine cannot open.
inline std::string PutUnreadableArchive(const TempFolder& Folder) {
#ifdef _WIN32
  std::ofstream(NativePath(Folder.Path()) / std::wstring(L"\u4E2D.pff")) << "x";
  return "?.pff";
#else
  std::filesystem::create_symlink("loop.pff", Folder.File("loop.pff"));
  return "loop.pff";
#endif
}

// How the system words a refused write; Windows has its own wording.
#ifdef _WIN32
inline constexpr const char* kAccessDenied = "Access";  // "Access is denied", "Access denied"
#else
inline constexpr const char* kAccessDenied = "Permission denied";
#endif

// A file of the memory folder "/g", joined as the system joins paths.
inline std::string GamePath(const std::string& Name) {
  return JoinPath("/g", Name);
}

// A mission whose flag block and modified word are easy to recognise in a byte comparison.
inline Bytes MissionBytes(const std::string& Signature = "BMS", uint8_t FlagHigh = 0x80,
                          uint8_t FlagLow = 0x01, uint32_t ModifiedWord = 0, size_t Size = 300) {
  sample::MissionSpec m;
  m.Signature = Signature;
  m.MissionName = "Mission";
  m.FlagHigh = FlagHigh;
  m.FlagLow = FlagLow;
  m.ModifiedWord = ModifiedWord;
  m.Size = Size;
  return sample::BuildMission(m);
}

// An archive of the named entries, in this order.
inline Bytes ArchiveBytes(const std::vector<std::pair<std::string, Bytes>>& Entries,
                          const sample::ArchiveOptions& Options = {}) {
  std::vector<sample::ArchiveEntry> entries;
  for (const auto& [name, data] : Entries) entries.push_back({name, data, false, 0});
  return sample::BuildArchive(entries, Options);
}

// A list row asking for state On of mission Name in SourceFile at Offset (loose at 0).
inline MissionEntry ListRow(std::string SourceFile, std::string Name, int32_t Offset, bool On) {
  MissionEntry row;
  row.SourceFile = std::move(SourceFile);
  row.FileName = std::move(Name);
  row.DataOffset = Offset;
  row.Enabled = ToFlag(On);
  return row;
}

// File with the mission header at Offset switched to Enabled, and nothing else changed.
inline Bytes Switched(Bytes File, size_t Offset, bool Enabled) {
  WriteMissionState(std::span(File).subspan(Offset, 128), Enabled);
  return File;
}

// Writes Rows as a list file at Path.
inline void WriteList(const std::string& Path, const std::vector<MissionEntry>& Rows) {
  sample::WriteFile(Path, EncodeListFile(Rows).Bytes);
}

// Positions of the bytes where A and B differ; a length difference counts from the shorter end.
inline std::vector<size_t> DifferingBytes(const Bytes& A, const Bytes& B) {
  std::vector<size_t> out;
  for (size_t i = 0; i < std::max(A.size(), B.size()); ++i)
    if (i >= A.size() || i >= B.size() || A[i] != B[i]) out.push_back(i);
  return out;
}

// The 11 bytes a patch may change for a mission at Offset.
inline std::vector<size_t> PatchedBytes(size_t Offset) {
  std::vector<size_t> out;
  for (size_t i : {0, 1, 2, 120, 121, 122, 123, 124, 125, 126, 127}) out.push_back(Offset + i);
  return out;
}

// A host that records the engine's questions and answers them from a script.
class RecordingHost : public EngineHost {
 public:
  bool AskYesNo(const std::string& Text) override {
    Questions.push_back(Text);
    const bool answer = Answers.empty() || Answers.front();
    if (!Answers.empty()) Answers.pop_front();
    return answer;
  }

  std::deque<bool> Answers;  // answers to AskYesNo, in order; Yes when empty
  std::vector<std::string> Questions;
};

// The codes of problems, to compare with a list of them.
using Codes = std::vector<ProblemCode>;
inline std::vector<ProblemCode> CodesOf(const std::vector<Problem>& Problems) {
  std::vector<ProblemCode> out;
  for (const Problem& p : Problems) out.push_back(p.Code);
  return out;
}

// A catalogue read through the native file system, with a recording host.
struct NativeGame {
  RefreshReport Refresh(const std::string& Folder) {
    State.GameDirectory = Folder;
    return RefreshCatalogue(State, P);
  }
  std::unique_ptr<FileSystem> Files = MakeNativeFileSystem();
  RecordingHost Host;
  CatalogueState State;
  Platform P{*Files, Host};
};

// Points the per-user data folder (the undo journal's) at a fresh temporary folder while it lives;
// each test program holds one for its whole run, so no test writes the user's own journal.
class ScopedDataFolder {
 public:
  ScopedDataFolder() : Old_(Get()) { Set(Folder_.Path()); }
  ~ScopedDataFolder() { Set(Old_); }
  ScopedDataFolder(const ScopedDataFolder&) = delete;
  ScopedDataFolder& operator=(const ScopedDataFolder&) = delete;

  std::string Path() const { return Folder_.Path(); }

  static void Set(const std::optional<std::string>& Value) {
#ifdef _WIN32
    _wputenv_s(L"APPDATA", Value ? NativePath(*Value).c_str() : L"");
#else
    if (Value)
      setenv("XDG_DATA_HOME", Value->c_str(), 1);
    else
      unsetenv("XDG_DATA_HOME");
#endif
  }

 private:
  static std::optional<std::string> Get() {
#ifdef _WIN32
    const wchar_t* value = _wgetenv(L"APPDATA");
    if (!value) return std::nullopt;
    return NativeNameShown(std::filesystem::path(value));
#else
    const char* value = std::getenv("XDG_DATA_HOME");
    if (!value) return std::nullopt;
    return std::string(value);
#endif
  }

  TempFolder Folder_;
  std::optional<std::string> Old_;
};

// One in-process run of a brieflist-cli command, with what it printed.
struct CliRun {
  int Exit = -1;
  std::string Out;
  std::string Err;
};

// A command run in-process: its output through a sink of its own, stderr captured.
inline CliRun RunCli(cli::CommandFunction Command, std::vector<std::string> Args) {
  testing::internal::CaptureStderr();
  CliRun r;
  r.Exit = Command(Args, cli::StringSink(r.Out));
  r.Err = testing::internal::GetCapturedStderr();
  return r;
}

// RunCli, checking the exit code and that the output and stderr hold Out and Err.
inline CliRun CheckCli(cli::CommandFunction Command, std::vector<std::string> Args, int Exit,
                       const std::string& Out = "", const std::string& Err = "") {
  CliRun r = RunCli(Command, std::move(Args));
  EXPECT_EQ(r.Exit, Exit) << r.Err;
  EXPECT_TRUE(Has(r.Out, Out)) << r.Out;
  EXPECT_TRUE(Has(r.Err, Err)) << r.Err;
  return r;
}

}  // namespace brieflist::test
