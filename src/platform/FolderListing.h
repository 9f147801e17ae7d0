#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/IoResult.h"

namespace brieflist {

// True when Name ends with Suffix, ASCII letter case ignored.
bool EndsWithIgnoringCase(std::string_view Name, std::string_view Suffix);

// Orders names ignoring ASCII letter case; equal names by raw bytes, so the order is total.
bool NameOrderLess(std::string_view A, std::string_view B);

// Regular files of Folder whose names end with Suffix, in NameOrderLess order.
IoResult<std::vector<std::string>> ListMatchingFiles(const std::string& Folder,
                                                     const std::string& Suffix);

}  // namespace brieflist
