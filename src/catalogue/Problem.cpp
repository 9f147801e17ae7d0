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

std::string ProblemText(const Problem& P) {
  switch (P.Code) {
    case ProblemCode::Unreadable:
      return WithDetail("Could not read " + P.File, P);
    case ProblemCode::Unwritable:
    case ProblemCode::HeldElsewhere:
      return WithDetail("Could not switch the mission in " + P.File, P);
    case ProblemCode::JournalUnwritable:
      return WithDetail("Could not record the patch in the undo journal " + P.File, P);
    case ProblemCode::NotAMission:
      return "File InValid Or Not Found!";
    case ProblemCode::NotFound:
      return "The File Could Not Be Found!";
    case ProblemCode::StillInvalid:
      return "File Still Inavlid on Second Refresh!";
    case ProblemCode::Misplaced:
      return Named(P) + " was not switched: " + P.Detail;
    case ProblemCode::ChangedSince:
      return Named(P) + " was changed since; its undo was refused and nothing was written";
    case ProblemCode::NotApplied:
      return Named(P) + ": the patch was not applied; nothing to undo";
    case ProblemCode::Ambiguous:
      return Named(P) + ": held more than once in " + P.Detail;
    case ProblemCode::Missing:
      return Named(P) + ": not in the folder";
  }
  return {};
}

}  // namespace brieflist
