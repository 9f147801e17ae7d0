// undo and history: the journal of every patch, and taking the latest ones back.
#include <charconv>
#include <set>

#include "cli/CliJournal.h"
#include "cli/CommandSetup.h"
#include "cli/Commands.h"
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
  // The host has said why; an unreadable journal is not an empty one.
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
  if (const int usage =
          setup.Parse(Args, {{}, {}, 0, 0, "history takes no arguments but --format", false, true}))
    return usage;
  const auto journal = OpenUserJournal(*setup.Files);
  if (!journal) return kExitFailed;
  auto contents = journal->Read();
  if (!contents) {
    PrintError("cannot read the undo journal " + contents.Error().Describe());
    return kExitFailed;
  }
  for (const std::string& problem : contents->Problems) PrintWarning(problem);
  const std::vector<JournalRecord>& records = contents->Records;

  if (setup.Format == OutputFormat::Table && records.empty())
    return Print(Out, "The journal is empty.\n") ? kExitOk : kExitFailed;
  using enum ColumnKind;
  // Newest first.
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
                         records.size(),
                         [&records](size_t R, RowWriter& Row) {
                           const JournalRecord& r = records[records.size() - 1 - R];
                           Row.Text(r.Time);
                           Row.Text(r.Kind);
                           Row.Name(r.FileName);
                           Row.Name(r.SourceFile);
                           Row.Int(r.DataOffset);
                           Row.Text(PatchedBytesText(r.Before));
                           Row.Text(PatchedBytesText(r.After));
                           Row.Text(UndoStateOf(r, records));
                           Row.Text(r.Operation);
                           Row.Text(r.Id);
                           Row.Text(r.Reverses);
                         }};
  if (!Printed(WriteTable(table, setup.Format, Out))) return kExitFailed;
  return kExitOk;
}

}  // namespace brieflist::cli
