#include "app/StartArguments.h"

#include <QFileInfo>
#include <cstring>

namespace brieflist {

StartArguments ReadStartArguments(const QStringList& Args) {
  StartArguments out;
  const auto take = [&](QString& Into, const QString& Value, const char* What) {
    if (!Into.isEmpty() && out.Error.isEmpty())
      out.Error = QStringLiteral("more than one %1 given").arg(QLatin1String(What));
    Into = Value;
  };
  for (qsizetype i = 0; i < Args.size(); ++i) {
    const QString& arg = Args[i];
    if (arg == QLatin1String("--folder")) {
      if (i + 1 >= Args.size()) {
        out.Error = QStringLiteral("--folder needs a folder");
        break;
      }
      take(out.Folder, Args[++i], "folder");
    } else if (arg.startsWith(QLatin1String("--"))) {
      out.Error = QStringLiteral("unknown option %1").arg(arg);
      break;
    } else if (QFileInfo(arg).isDir()) {
      take(out.Folder, arg, "folder");
    } else {
      take(out.List, arg, "list");
    }
  }
  return out;
}

StartInfo AskedForInfo(int Argc, const char* const* Argv) {
  for (int i = 1; i < Argc; ++i) {
    if (std::strcmp(Argv[i], "--help") == 0 || std::strcmp(Argv[i], "-h") == 0)
      return StartInfo::Help;
    if (std::strcmp(Argv[i], "--version") == 0) return StartInfo::Version;
  }
  return StartInfo::None;
}

}  // namespace brieflist
