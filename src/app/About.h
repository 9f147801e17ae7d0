#pragma once

#include <QString>

namespace brieflist {

// The About message: the program's name and version, what it does, and an empty third line.
QString AboutText();

}  // namespace brieflist
