#pragma once

#include <span>
#include <string>
#include <vector>

#include "platform/IoResult.h"

namespace brieflist {

// The faults the engine knows. The engine reports them as values; the faces word them
// (ProblemText) and decide how to show them.
enum class ProblemCode {
  Unreadable,         // a file could not be opened or read
  Unwritable,         // a file could not be written or flushed
  HeldElsewhere,      // another program (the game) holds the file open
  JournalUnwritable,  // the undo journal could not be written: nothing was switched
  JournalUnmarked,    // after a failed write, the journal could not be told either
  NotAMission,        // the row names no mission position ("File InValid Or Not Found!")
  NotFound,           // the mission is not in its file any more ("The File Could Not Be Found!")
  StillInvalid,       // the retry found it invalid again ("File Still Inavlid on Second Refresh!")
  Misplaced,          // writing its header would touch other bytes of the file: not written
  ChangedSince,       // (undo) the bytes are no longer those the patch wrote: not restored
  NotApplied,         // (undo) the patch never reached the disk: nothing to restore
  Replaced,           // (undo) the file holds no such mission there any more: not restored
  Ambiguous,          // (list) the archive holds that file name more than once: not switched
  Missing,            // (list) no such mission in the folder
};

// One problem met by an engine call: what, which file and mission, and the system's own code
// and words where the system failed.
struct Problem {
  ProblemCode Code = ProblemCode::Unreadable;
  std::string File;     // the file concerned; may be empty
  std::string Mission;  // the mission's FileName; empty when the problem is the file's
  int SystemCode = 0;   // errno or GetLastError(); 0 when the system did not fail
  // The system's reason, what a misplaced header runs into, or for an undo the time of the
  // patch (ChangedSince, NotApplied) or its offset (Replaced).
  std::string Detail;
  std::string Journal;  // the journal's path, for JournalUnwritable and JournalUnmarked
};

// A file operation that failed, as a problem of the given code; a write refused because
// another program holds the file is HeldElsewhere.
Problem FileProblem(ProblemCode Code, const IoError& Error);

// The system's text for a problem, as the faces show it (raw single-byte text, lines joined by
// CR LF).
std::string ProblemText(const Problem& P);

// ProblemText line by line, for a face that shows lines on their own.
std::vector<std::string> ProblemLines(const Problem& P);

// The texts of problems that one message shows, joined by CR LF.
std::string ProblemsText(std::span<const Problem> Problems);

}  // namespace brieflist
