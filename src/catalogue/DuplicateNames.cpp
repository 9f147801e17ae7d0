#include "catalogue/DuplicateNames.h"

#include <unordered_map>

#include "platform/Windows1252.h"

namespace brieflist {

DuplicateNames FindDuplicateNames(const CatalogueState& State) {
  DuplicateNames out;
  const size_t count = State.LastMission < 0 ? 0
                                             : std::min(State.Missions.size(),
                                                        static_cast<size_t>(State.LastMission) + 1);
  out.GroupOfRow.assign(count, -1);
  // First row of each name, by its upper-cased spelling; a group is made at the second row.
  std::unordered_map<std::string, int32_t> firstRow;
  firstRow.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    const MissionEntry& row = State.Missions[i];
    const auto [it, added] =
        firstRow.try_emplace(UpperCase1252(row.FileName), static_cast<int32_t>(i));
    if (added) continue;
    const auto first = static_cast<size_t>(it->second);
    int32_t group = out.GroupOfRow[first];
    if (group < 0) {
      group = static_cast<int32_t>(out.Groups.size());
      DuplicateName made;
      made.FileName = State.Missions[first].FileName;
      made.Rows.push_back(it->second);
      made.Sources.push_back(State.Missions[first].SourceFile);
      out.Groups.push_back(std::move(made));
      out.GroupOfRow[first] = group;
    }
    DuplicateName& g = out.Groups[static_cast<size_t>(group)];
    g.Rows.push_back(static_cast<int32_t>(i));
    g.Sources.push_back(row.SourceFile);
    out.GroupOfRow[i] = group;
  }
  return out;
}

std::string DuplicateSourcesText(const DuplicateName& Group) {
  std::string text;
  for (const std::string& source : Group.Sources) {
    if (!text.empty()) text += "\n";
    text += source;
  }
  return text;
}

}  // namespace brieflist
