// undo and history: the journal of every patch, and taking the latest ones back.
#include <charconv>
#include <set>

#include "cli/CliArgs.h"
#include "cli/CliHost.h"
#include "cli/CliJournal.h"
#include "cli/Commands.h"
#include "cli/Output.h"
#include "editing/Undo.h"
#include "platform/Windows1252.h"

namespace brieflist::cli {
namespace {

const char* StatusText(UndoStatus Status) {
  switch (Status) {
    case UndoStatus::Restored:
      return "restored";
    case UndoStatus::NotApplied:
      return "not applied";
    case UndoStatus::ChangedSince:
      return "refused: changed since";
    case UndoStatus::Failed:
      return "failed";
  }
  return "";
}

// What an undo made of each patch record: "undone", "refused", "not applied" or nothing.
std::string UndoStateOf(const JournalRecord& Record, const std::vector<JournalRecord>& Records) {
  if (IsUndoKind(Record.Kind)) return {};
  for (auto r = Records.rbegin(); r != Records.rend(); ++r) {
    if (r->Reverses != Record.Id) continue;
    if (r->Kind == JournalKind::Undo) return "undone";
    if (r->Kind == JournalKind::Refused) return "refused";
    return "not applied";
  }
  return {};
}

}  // namespace

int RunUndo(const std::vector<std::string>& Args) {
  std::string error;
  const auto args = ParseArgs(Args, {"--count", kWaitOption}, {}, error);
  if (!args) return UsageError(error);
  if (!args->Positional.empty()) return UsageError("undo takes no arguments but options");
  const auto wait = LockWaitOf(*args, error);
  if (!wait) return UsageError(error);
  int32_t count = 1;
  if (const auto text = args->Value("--count")) {
    const auto [end, failed] = std::from_chars(text->data(), text->data() + text->size(), count);
    if (failed != std::errc() || end != text->data() + text->size() || count < 1)
      return UsageError("--count takes a whole number from 1 up, not '" + *text + "'");
  }

  auto files = MakeNativeFileSystem();
  const auto journal = OpenUserJournal(*files, *wait);
  if (!journal) return kExitFailed;
  CliHost host;
  CatalogueState state;
  const UndoResult result = UndoLastPatches(state, Platform{*files, host, journal.get()}, count);
  if (const std::string said = result.Message(); !said.empty()) PrintMessage(said);
  // An unreadable journal is not an empty one.
  if (result.Unreadable) return kExitFailed;
  if (result.Operations == 0) {
    if (!WriteStdout("Nothing to undo.\n")) return kExitFailed;
    return result.Failed() ? kExitFailed : kExitOk;
  }
  TextTable table;
  table.Titles = {"Result", "FileName", "SourceFile", "DataOffset", "Patched"};
  for (const UndoneRecord& r : result.Records)
    table.Rows.push_back({StatusText(r.Status), NativeNameToUtf8(r.Record.FileName),
                          NativeNameToUtf8(r.Record.SourceFile),
                          std::to_string(r.Record.DataOffset), r.Record.Time});
  const std::string out = RenderAligned(table) + "Undid " + std::to_string(result.Operations) +
                          (result.Operations == 1 ? " operation: " : " operations: ") +
                          std::to_string(result.Count(UndoStatus::Restored)) + " restored, " +
                          std::to_string(result.Count(UndoStatus::NotApplied)) + " not applied, " +
                          std::to_string(result.Count(UndoStatus::ChangedSince)) + " refused, " +
                          std::to_string(result.Count(UndoStatus::Failed)) + " failed\n";
  if (!WriteStdout(out)) {
    PrintError("cannot write the output");
    return kExitFailed;
  }
  return result.Failed() ? kExitFailed : kExitOk;
}

int RunHistory(const std::vector<std::string>& Args) {
  std::string error;
  const auto args = ParseArgs(Args, {"--format"}, {}, error);
  if (!args) return UsageError(error);
  if (!args->Positional.empty()) return UsageError("history takes no arguments but --format");
  OutputFormat format = OutputFormat::Table;
  if (const auto text = args->Value("--format"); text && !ParseOutputFormat(*text, format))
    return UsageError("unknown format " + *text);

  auto files = MakeNativeFileSystem();
  const auto journal = OpenUserJournal(*files);
  if (!journal) return kExitFailed;
  auto contents = journal->Read();
  if (!contents) {
    PrintError("cannot read the undo journal " + contents.Error().Describe());
    return kExitFailed;
  }
  for (const std::string& problem : contents->Problems) PrintWarning(problem);
  const std::vector<JournalRecord>& records = contents->Records;

  std::string out;
  if (format == OutputFormat::Json) {
    std::vector<std::vector<JsonField>> objects;
    for (auto r = records.rbegin(); r != records.rend(); ++r)
      objects.push_back({JsonField::Str("Time", r->Time), JsonField::Str("Kind", r->Kind),
                         JsonField::Str("FileName", NativeNameToUtf8(r->FileName)),
                         JsonField::Str("SourceFile", NativeNameToUtf8(r->SourceFile)),
                         JsonField::Int("DataOffset", r->DataOffset),
                         JsonField::Str("Before", PatchedBytesText(r->Before)),
                         JsonField::Str("After", PatchedBytesText(r->After)),
                         JsonField::Str("Undo", UndoStateOf(*r, records)),
                         JsonField::Str("Operation", r->Operation), JsonField::Str("Id", r->Id),
                         JsonField::Str("Reverses", r->Reverses)});
    out = RenderJson(objects);
  } else {
    TextTable table;
    table.Titles = {"Time",  "Kind", "FileName",  "SourceFile", "DataOffset", "Before",
                    "After", "Undo", "Operation", "Id",         "Reverses"};
    for (auto r = records.rbegin(); r != records.rend(); ++r)
      table.Rows.push_back({r->Time, r->Kind, NativeNameToUtf8(r->FileName),
                            NativeNameToUtf8(r->SourceFile), std::to_string(r->DataOffset),
                            PatchedBytesText(r->Before), PatchedBytesText(r->After),
                            UndoStateOf(*r, records), r->Operation, r->Id, r->Reverses});
    out = format == OutputFormat::Table && records.empty() ? "The journal is empty.\n"
                                                           : RenderText(table, format);
  }
  if (!WriteStdout(out)) {
    PrintError("cannot write the output");
    return kExitFailed;
  }
  return kExitOk;
}

}  // namespace brieflist::cli
