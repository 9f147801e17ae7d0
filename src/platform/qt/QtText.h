#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace brieflist {

// Single-byte file text as display text: one character per byte, through Windows-1252.
QString FromWindows1252(std::string_view Text);

// A file name or path the system gave us, as display text.
QString FromNativeName(std::string_view Name);

// An engine message, whose lines are joined by CR LF; it may hold file names.
QString FromEngineMessage(std::string_view Text);

// A folder the user picked, as the engine's path text (the system's bytes; Windows-1252 on
// Windows). Empty when the path cannot be held as engine text.
std::string ToEnginePath(const QString& Path);

// The engine's path text as the system's file name, for Qt's file classes: ToEnginePath's
// inverse.
QString FromEnginePath(const std::string& Path);

}  // namespace brieflist
