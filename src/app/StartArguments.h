#pragma once

#include <QString>
#include <QStringList>

namespace brieflist {

// What the window is handed on its command line, as a desktop entry's %F hands files to it.
struct StartArguments {
  QString Folder;  // to open as if confirmed in the chooser: --folder DIR, or a folder alone
  QString List;    // a list file to import once the window shows, as ImportList would
  QString Error;   // why the arguments cannot be used; empty when they can
};

// Reads the arguments after the program's name. A name that is a folder is opened; any other
// name is a list, whose import says what is wrong with it.
StartArguments ReadStartArguments(const QStringList& Args);

// --help or --version among the arguments: answered before any window (or display) is needed.
enum class StartInfo { None, Help, Version };
StartInfo AskedForInfo(int Argc, const char* const* Argv);

inline constexpr const char* kStartUsage =
    "Usage: brieflist [--folder GAME_FOLDER] [GAME_FOLDER | LIST.BRL]\n"
    "Lists the missions of a Delta Force or Delta Force 2 folder and switches them on and off.\n"
    "\n  GAME_FOLDER  open this folder, as OpenPath does\n"
    "  LIST.BRL     import this list once the window shows, as ImportList does\n"
    "  --help       show this help\n"
    "  --version    show the version\n";

}  // namespace brieflist
