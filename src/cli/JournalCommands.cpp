// undo and history: the journal of every patch, and taking the latest ones back.
#include <charconv>
#include <cstdint>
#include <optional>

#include "cli/CliJournal.h"
#include "cli/CommandSetup.h"
#include "cli/Commands.h"
#include "editing/History.h"
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

// "undone", "K of N undone" or nothing: what undos have taken back of a command.
std::string UndoneText(const JournalCommand& C) {
  if (C.Kind == "undo" || C.Undone == 0) return {};
  if (C.Undone == C.Missions) return "undone";
  return std::to_string(C.Undone) + " of " + std::to_string(C.Missions) + " undone";
}

}  // namespace

int RunUndo(const std::vector<std::string>& Args, const TextSink& Out) {
  CommandSetup setup;
  if (const int usage = setup.Parse(
          Args, {{"--count", kWaitOption}, {}, 0, 0, "undo takes no arguments but options"}))
    return usage;
  const CliArgs* args = &setup.Args;
  std::string error;
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
  // A message that comes with a failure ends the command: it is an error.
  if (const std::string said = result.Message(); !said.empty())
    (result.Unreadable || result.Failed() ? PrintError : PrintMessage)(said);
  // An unreadable journal is not an empty one.
  if (result.Unreadable) return kExitFailed;
  if (result.Operations == 0) {
    if (!Out("Nothing to undo.\n")) return kExitFailed;
    return result.Failed() ? kExitFailed : kExitOk;
  }
  const TypedTable table{{{"Result"}, {"FileName"}, {"SourceFile"}, {"DataOffset"}, {"Patched"}},
                         result.Records.size(),
                         [&result](size_t R, RowWriter& Row) {
                           const UndoneRecord& r = result.Records[R];
                           Row.Text(StatusText(r.Status));
                           Row.Name(r.Record.FileName);
                           Row.Name(r.Record.SourceFile);
                           Row.Int(r.Record.DataOffset);
                           Row.Text(r.Record.Time);
                         }};
  const std::string summary =
      "Undid " + std::to_string(result.Operations) +
      (result.Operations == 1 ? " operation: " : " operations: ") +
      std::to_string(result.Count(UndoStatus::Restored)) + " restored, " +
      std::to_string(result.Count(UndoStatus::NotApplied)) + " not applied, " +
      std::to_string(result.Count(UndoStatus::ChangedSince)) + " refused, " +
      std::to_string(result.Count(UndoStatus::Failed)) + " failed\n";
  if (!Printed(WriteTable(table, OutputFormat::Table, Out) && Out(summary))) return kExitFailed;
  return result.Failed() ? kExitFailed : kExitOk;
}

int RunHistory(const std::vector<std::string>& Args, const TextSink& Out) {
  CommandSetup setup;
  if (const int usage = setup.Parse(Args, {{"--count", "--since"},
                                           {"--missions"},
                                           0,
                                           0,
                                           "history takes no arguments but options",
                                           false,
                                           true}))
    return usage;
  size_t count = SIZE_MAX;
  if (const auto text = setup.Args.Value("--count")) {
    const auto [end, failed] = std::from_chars(text->data(), text->data() + text->size(), count);
    if (failed != std::errc() || end != text->data() + text->size() || count < 1)
      return UsageError("--count takes a whole number from 1 up, not '" + *text + "'");
  }
  std::optional<std::time_t> since;
  if (const auto text = setup.Args.Value("--since")) {
    if (!(since = ParseLocalTime(*text)))
      return UsageError(
          "--since takes a local date or date and time (2026-12-07 or "
          "2026-12-07T18:30), not '" +
          *text + "'");
  }
  const auto journal = OpenUserJournal(*setup.Files);
  if (!journal) return kExitFailed;
  auto contents = journal->Read();
  if (!contents) {
    PrintError("cannot read the undo journal " + contents.Error().Describe());
    return kExitFailed;
  }
  for (const std::string& problem : contents->Problems) PrintWarning(problem);
  const std::vector<JournalRecord>& records = contents->Records;

  // The commands asked for, newest first.
  const std::vector<JournalCommand> all = JournalCommands(records);
  std::vector<const JournalCommand*> commands;
  for (auto c = all.rbegin(); c != all.rend() && commands.size() < count; ++c) {
    const auto time = JournalTimeValue(c->Time);
    if (since && (!time || *time < *since)) continue;
    commands.push_back(&*c);
  }
  if (setup.Format == OutputFormat::Table && commands.empty())
    return Print(Out, records.empty() ? "The journal is empty.\n" : "No command matches.\n")
               ? kExitOk
               : kExitFailed;
  using enum ColumnKind;
  if (!setup.Args.Has("--missions")) {
    const TypedTable table{{{"Time"}, {"Kind"}, {"Folder"}, {"Missions", Integer}, {"Undone"}},
                           commands.size(),
                           [&commands](size_t R, RowWriter& Row) {
                             const JournalCommand& c = *commands[R];
                             const auto time = JournalTimeValue(c.Time);
                             Row.Text(time ? LocalTimeText(*time) : c.Time);
                             Row.Text(c.Kind);
                             Row.Name(c.Folder);
                             Row.Int(static_cast<int64_t>(c.Missions));
                             Row.Text(UndoneText(c));
                           }};
    return Printed(WriteTable(table, setup.Format, Out)) ? kExitOk : kExitFailed;
  }
  // Each mission patch of those commands, newest first, in the journal's own terms.
  const std::vector<std::string> undo = UndoStates(records);
  std::vector<size_t> rows;
  for (const JournalCommand* c : commands)
    rows.insert(rows.end(), c->Records.rbegin(), c->Records.rend());
  const TypedTable table{{{"Time"},
                          {"Kind"},
                          {"FileName"},
                          {"SourceFile"},
                          {"DataOffset", Integer},
                          {"Before"},
                          {"After"},
                          {"Undo"},
                          {"Operation"},
                          {"Id"},
                          {"Reverses"}},
                         rows.size(),
                         [&](size_t R, RowWriter& Row) {
                           const JournalRecord& r = records[rows[R]];
                           Row.Text(r.Time);
                           Row.Text(r.Kind);
                           Row.Name(r.FileName);
                           Row.Name(r.SourceFile);
                           Row.Int(r.DataOffset);
                           Row.Text(PatchedBytesText(r.Before));
                           Row.Text(PatchedBytesText(r.After));
                           Row.Text(undo[rows[R]]);
                           Row.Text(r.Operation);
                           Row.Text(r.Id);
                           Row.Text(r.Reverses);
                         }};
  return Printed(WriteTable(table, setup.Format, Out)) ? kExitOk : kExitFailed;
}

}  // namespace brieflist::cli
