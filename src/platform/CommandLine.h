#pragma once

#include <optional>
#include <string>
#include <vector>

namespace brieflist {

// A program's arguments after its name, as the engine's text: the system's own bytes on POSIX
// systems; on Windows the wide command line converted to Windows-1252, since the narrow argv
// there follows whatever code page the user's system has. Nothing, and Error naming the
// argument (as UTF-8), when an argument has a character Windows-1252 cannot hold.
std::optional<std::vector<std::string>> ProgramArguments(int Argc, char** Argv, std::string& Error);

// The same conversion for arguments already split, in UTF-16 (Windows) form.
std::optional<std::vector<std::string>> ArgumentsFromWide(const std::vector<std::wstring>& Wide,
                                                          std::string& Error);

// Standard output and error take the program's UTF-8 bytes as they are: on Windows without
// turning "\n" into "\r\n" (CSV already ends its lines with "\r\n"), and a console shows UTF-8.
void UseUtf8StandardStreams();

}  // namespace brieflist
