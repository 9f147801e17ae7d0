#include <memory>

#include "cli/CatalogueOutput.h"
#include "cli/CliCatalogue.h"
#include "cli/CommandSetup.h"
#include "cli/Commands.h"

namespace brieflist::cli {

int RunList(const std::vector<std::string>& Args, const TextSink& Out) {
  CommandSetup c;
  if (const int usage = c.Parse(Args, {{},
                                       {"--resolve-map-names", "--read-invalid"},
                                       1,
                                       1,
                                       "list takes one folder",
                                       false,
                                       true}))
    return usage;
  if (!c.Load()) return kExitFailed;
  std::unique_ptr<MapNameLookup> lookup;
  if (c.Args.Has("--resolve-map-names")) lookup = std::make_unique<MapNameLookup>(c.State.MapNames);
  if (!Printed(WriteTable(MissionTable(c.State.Missions, lookup.get()), c.Format, Out)))
    return kExitFailed;
  // What was read is shown; a script must still learn that it is not all.
  if (ReportUnread(c.Report.Problems, "the catalogue lacks the missions of")) return kExitFailed;
  return kExitOk;
}

int RunMapNames(const std::vector<std::string>& Args, const TextSink& Out) {
  CommandSetup c;
  if (const int usage =
          c.Parse(Args, {{}, {"--read-invalid"}, 1, 1, "map-names takes one folder", false, true}))
    return usage;
  if (!c.Load()) return kExitFailed;
  if (!Printed(WriteTable(MapNameTable(c.State.MapNames), c.Format, Out))) return kExitFailed;
  if (ReportUnread(c.Report.Problems, "the table lacks the map names of")) return kExitFailed;
  return kExitOk;
}

}  // namespace brieflist::cli
