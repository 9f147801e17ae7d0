#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/IoResult.h"

namespace brieflist {

// True when A and B are the same text, ASCII letter case ignored: the one case fold of file
// names, suffixes and signatures.
bool EqualsIgnoringCase(std::string_view A, std::string_view B);

// True when Name ends with Suffix, ASCII letter case ignored.
bool EndsWithIgnoringCase(std::string_view Name, std::string_view Suffix);

// Orders names ignoring ASCII letter case; equal names by raw bytes, so the order is total.
bool NameOrderLess(std::string_view A, std::string_view B);

// Regular files of Folder whose names end with Suffix, in NameOrderLess order, and those whose
// names the engine cannot hold.
IoResult<FolderFiles> ListMatchingFolder(const std::string& Folder, const std::string& Suffix);

// The names of ListMatchingFolder alone.
IoResult<std::vector<std::string>> ListMatchingFiles(const std::string& Folder,
                                                     const std::string& Suffix);

}  // namespace brieflist
