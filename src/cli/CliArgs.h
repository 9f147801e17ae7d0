#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace brieflist::cli {

// Arguments of one command: options may stand before or after the positional arguments.
struct CliArgs {
  std::vector<std::string> Positional;
  std::map<std::string, std::string> Values;  // --name VALUE or --name=VALUE
  std::set<std::string> Flags;                // --name

  bool Has(const std::string& Flag) const { return Flags.count(Flag) > 0; }
  std::optional<std::string> Value(const std::string& Name) const;
};

// Parses Args against the options a command accepts; returns nothing and sets Error on a
// usage error ("unknown option '-f'"). Every word that starts with "-" is an option until "--".
std::optional<CliArgs> ParseArgs(const std::vector<std::string>& Args,
                                 const std::set<std::string>& ValueOptions,
                                 const std::set<std::string>& FlagOptions, std::string& Error);

}  // namespace brieflist::cli
