#include "catalogue/Problem.h"

namespace brieflist {
namespace {

// The system's own words, on a line of their own, when it gave any.
std::string WithDetail(std::string Text, const Problem& P) {
  if (!P.Detail.empty()) Text += ":\r\n" + P.Detail;
  return Text;
}

std::string Named(const Problem& P) {
  return P.Mission.empty() ? P.File : P.Mission + " in " + P.File;
}

}  // namespace

Problem FileProblem(ProblemCode Code, const IoError& Error) {
  if (Code == ProblemCode::Unwritable && Error.Fault == IoFault::Held)
    Code = ProblemCode::HeldElsewhere;
  return Problem{Code, Error.Path, {}, Error.Code, Error.Reason, {}};
}

std::vector<std::string> ProblemLines(const Problem& P) {
  const std::string text = ProblemText(P);
  std::vector<std::string> lines;
  size_t from = 0;
  for (size_t at; (at = text.find("\r\n", from)) != std::string::npos; from = at + 2)
    lines.push_back(text.substr(from, at - from));
  lines.push_back(text.substr(from));
  return lines;
}

std::string ProblemsText(std::span<const Problem> Problems) {
  std::string text;
  for (const Problem& p : Problems) {
    if (!text.empty()) text += "\r\n";
    text += ProblemText(p);
  }
  return text;
}

std::string ProblemText(const Problem& P) {
  switch (P.Code) {
    case ProblemCode::Unreadable:
      return WithDetail("Could not read " + P.File, P);
    case ProblemCode::Unwritable:
    case ProblemCode::HeldElsewhere:
      return WithDetail("Could not switch the mission in " + P.File, P);
    case ProblemCode::JournalUnwritable:
      return WithDetail("Could not record the patch in the undo journal " + P.Journal, P) +
             "\r\nNothing was written to " + P.File + ".";
    case ProblemCode::JournalUnmarked:
      return "The undo journal could not record that either: " + P.Journal + ": " + P.Detail;
    case ProblemCode::NotAMission:
      return "File InValid Or Not Found!";
    case ProblemCode::NotFound:
      return "The File Could Not Be Found!";
    case ProblemCode::StillInvalid:
      return "File Still Inavlid on Second Refresh!";
    case ProblemCode::Misplaced:
      return Named(P) + " was not switched: " + P.Detail;
    case ProblemCode::ChangedSince:
      return P.File + ": " + P.Mission + " was changed since the patch of " + P.Detail +
             " (its bytes are not those that patch wrote); its undo was refused and nothing was "
             "written";
    case ProblemCode::NotApplied:
      // Either the patch never reached the disk or the file was put back since (a backup, a
      // reinstall): both leave the mission as it was, which is all that can be said for sure.
      return P.File + ": " + P.Mission + " is already as it was before the patch of " + P.Detail +
             "; nothing to undo";
    case ProblemCode::Replaced:
      return P.File + ": " + P.Mission + " is no longer a mission of that file at offset " +
             P.Detail +
             " (the file was changed or replaced since); its undo was refused and nothing was "
             "written";
    case ProblemCode::Ambiguous:
      return Named(P) + ": held more than once in " + P.Detail;
    case ProblemCode::Missing:
      return Named(P) + ": not in the folder";
  }
  return {};
}

}  // namespace brieflist
