#include "cli/CliArgs.h"

namespace brieflist::cli {

std::optional<std::string> CliArgs::Value(const std::string& Name) const {
  const auto it = Values.find(Name);
  if (it == Values.end()) return std::nullopt;
  return it->second;
}

std::optional<CliArgs> ParseArgs(const std::vector<std::string>& Args,
                                 const std::set<std::string>& ValueOptions,
                                 const std::set<std::string>& FlagOptions, std::string& Error) {
  CliArgs out;
  bool optionsEnded = false;
  for (size_t i = 0; i < Args.size(); ++i) {
    const std::string& arg = Args[i];
    // Every word that starts with "-" is an option, a short one too ("-f" is not a folder);
    // "--" lets a name that starts with "-" through.
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      out.Positional.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    std::string name = arg;
    std::optional<std::string> inlineValue;
    if (const auto eq = arg.find('='); eq != std::string::npos) {
      name = arg.substr(0, eq);
      inlineValue = arg.substr(eq + 1);
    }
    if (ValueOptions.count(name)) {
      if (inlineValue) {
        out.Values[name] = *inlineValue;
      } else if (i + 1 < Args.size()) {
        out.Values[name] = Args[++i];
      } else {
        Error = "option " + name + " needs a value";
        return std::nullopt;
      }
    } else if (FlagOptions.count(name) && !inlineValue) {
      out.Flags.insert(name);
    } else {
      Error = "unknown option '" + name + "'";
      return std::nullopt;
    }
  }
  return out;
}

}  // namespace brieflist::cli
