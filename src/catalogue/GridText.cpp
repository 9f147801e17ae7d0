#include "catalogue/GridText.h"

namespace brieflist {

void AppendMissionTypeText(std::string& Out, std::string_view Flags) {
  struct Name {
    size_t Position;  // 1-based, from the left
    std::string_view Text;
  };
  static constexpr Name kNames[] = {{16, "COOP,"},  {15, "DM,"},  {14, "KOTH,"},
                                    {13, "FB,"},    {12, "CTF,"}, {11, "TDM,"},
                                    {10, "TKOTH,"}, {9, "S&D,"},  {1, "A&D,"}};
  for (const Name& n : kNames)
    if (n.Position <= Flags.size() && Flags[n.Position - 1] == '1') Out += n.Text;
}

std::string MissionTypeText(const std::string& Flags) {
  std::string out;
  AppendMissionTypeText(out, Flags);
  return out;
}

std::string GridCellText(const MissionEntry& Row, int Column, const MapNameLookup* Resolve) {
  switch (Column) {
    case GridColumn::FileName:
      return Row.FileName;
    case GridColumn::MissionName:
      return Resolve ? Resolve->LookUp(Row.MissionName) : Row.MissionName;
    case GridColumn::Creator:
      return Row.Creator;
    case GridColumn::MissionType:
      return MissionTypeText(Row.MissionTypeFlags);
    case GridColumn::Enabled:
      return TrueFalseText(Row.Enabled != kFalse);
    case GridColumn::Modified:
      return TrueFalseText(Row.Modified != kFalse);
    case GridColumn::MissionTypeFlags:
      return Row.MissionTypeFlags;
    case GridColumn::DF:
      return std::to_string(Row.GameVersion);
    case GridColumn::External:
      return ExternalText(Row);
    case GridColumn::Terrain:
      return Row.Terrain;
    default:
      return {};
  }
}

}  // namespace brieflist
