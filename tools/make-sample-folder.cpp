// Writes a deterministic game folder of archives and loose missions.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "sample/SampleWriter.h"

namespace {

void Usage() {
  std::fprintf(stderr,
               "Usage: make-sample-folder DIR [--archives N] [--missions M] [--keys K]\n"
               "                          [--loose L] [--seed S]\n"
               "Writes N archives of M missions and one text resource of K keys each, and L\n"
               "loose missions, into DIR. The same options always give the same bytes.\n");
}

}  // namespace

int main(int argc, char** argv) {
  brieflist::sample::FolderOptions options;
  std::string folder;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const auto number = [&](auto& field) {
      if (i + 1 >= argc) return false;
      char* end = nullptr;
      const long value = std::strtol(argv[++i], &end, 10);
      if (*end != '\0' || value < 0) return false;
      field = static_cast<std::remove_reference_t<decltype(field)>>(value);
      return true;
    };
    bool ok = true;
    if (arg == "--archives")
      ok = number(options.Archives);
    else if (arg == "--missions")
      ok = number(options.MissionsPerArchive);
    else if (arg == "--keys")
      ok = number(options.KeysPerArchive);
    else if (arg == "--loose")
      ok = number(options.LooseMissions);
    else if (arg == "--seed")
      ok = number(options.Seed);
    else if (arg == "--help") {
      Usage();
      return 0;
    } else if (!arg.empty() && arg[0] != '-' && folder.empty())
      folder = arg;
    else
      ok = false;
    if (!ok) {
      Usage();
      return 2;
    }
  }
  if (folder.empty()) {
    Usage();
    return 2;
  }
  brieflist::sample::FolderSummary summary;
  std::string error;
  if (!brieflist::sample::MakeSampleFolder(folder, options, summary, error)) {
    std::fprintf(stderr, "make-sample-folder: %s\n", error.c_str());
    return 1;
  }
  std::printf("%s: %d archives, %d missions (%d loose), %llu bytes\n", folder.c_str(),
              summary.Archives, summary.Missions, summary.LooseMissions,
              static_cast<unsigned long long>(summary.Bytes));
  return 0;
}
