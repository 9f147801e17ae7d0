#include "platform/CommandLine.h"

#include "platform/Windows1252.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
// shellapi.h needs windows.h first.
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#endif

namespace brieflist {

std::optional<std::vector<std::string>> ArgumentsFromWide(const std::vector<std::wstring>& Wide,
                                                          std::string& Error) {
  std::vector<std::string> out;
  out.reserve(Wide.size());
  for (const std::wstring& argument : Wide) {
    std::string text;
    std::string shown;  // UTF-8, for the error
    bool lost = false;
    for (size_t i = 0; i < argument.size(); ++i) {
      auto unit = static_cast<char32_t>(argument[i]);
      if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < argument.size()) {
        const auto low = static_cast<char32_t>(argument[i + 1]);
        if (low >= 0xDC00 && low <= 0xDFFF) {
          unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
          ++i;
        }
      }
      const auto byte = CodePointToWindows1252(unit);
      if (byte) {
        text += static_cast<char>(*byte);
        shown += Windows1252ToUtf8(std::string(1, static_cast<char>(*byte)));
      } else {
        lost = true;
        shown += '?';
      }
    }
    if (lost) {
      Error =
          "'" + shown + "' has characters outside Windows-1252, which file names here cannot use";
      return std::nullopt;
    }
    out.push_back(std::move(text));
  }
  return out;
}

#ifdef _WIN32

std::optional<std::vector<std::string>> ProgramArguments(int, char**, std::string& Error) {
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!wide) {
    Error = "cannot read the command line";
    return std::nullopt;
  }
  std::vector<std::wstring> arguments;
  for (int i = 1; i < count; ++i) arguments.emplace_back(wide[i]);
  LocalFree(wide);
  return ArgumentsFromWide(arguments, Error);
}

namespace {
UINT gConsoleCodePage = 0;
}

void UseUtf8StandardStreams() {
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  // The console belongs to the shell that started us: give it back its code page at exit.
  gConsoleCodePage = GetConsoleOutputCP();
  if (gConsoleCodePage != 0 && gConsoleCodePage != CP_UTF8 && SetConsoleOutputCP(CP_UTF8))
    std::atexit([] { SetConsoleOutputCP(gConsoleCodePage); });
}

#else

std::optional<std::vector<std::string>> ProgramArguments(int Argc, char** Argv, std::string&) {
  return std::vector<std::string>(Argv + (Argc > 0 ? 1 : 0), Argv + Argc);
}

void UseUtf8StandardStreams() {}

#endif

}  // namespace brieflist
