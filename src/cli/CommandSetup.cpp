#include "cli/CommandSetup.h"

#include "cli/CliCatalogue.h"
#include "cli/CliJournal.h"
#include "cli/Commands.h"

namespace brieflist::cli {

int CommandSetup::Parse(const std::vector<std::string>& Arguments, const ArgumentRules& Rules) {
  std::string error;
  std::set<std::string> values = Rules.Values;
  if (Rules.Wait) values.insert(kWaitOption);
  if (Rules.Format) values.insert("--format");
  auto parsed = ParseArgs(Arguments, values, Rules.Flags, error);
  if (!parsed) return UsageError(error);
  Args = std::move(*parsed);
  if (Rules.Wait) {
    const auto wait = LockWaitOf(Args, error);
    if (!wait) return UsageError(error);
    Wait = *wait;
  }
  if (Args.Positional.size() < Rules.MinPositional || Args.Positional.size() > Rules.MaxPositional)
    return UsageError(Rules.CountError);
  if (const auto text = Args.Value("--format"); Rules.Format && text) {
    if (!ParseOutputFormat(*text, Format)) return UsageError("unknown format " + *text);
  }
  Host.emplace(Args.Has("--read-invalid"));
  return kExitOk;
}

bool CommandSetup::Load() {
  Folder = AbsoluteFolder(Args.Positional[0]);
  return LoadCatalogue(State, *Files, *Host, Folder, &Report);
}

bool Print(const TextSink& Out, std::string_view Text) {
  return Printed(Out(Text));
}

bool Printed(bool Written) {
  if (!Written) PrintError("cannot write the output");
  return Written;
}

}  // namespace brieflist::cli
