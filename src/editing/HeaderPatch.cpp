#include "editing/HeaderPatch.h"

#include <string_view>

#include "catalogue/MissionHeader.h"
#include "catalogue/TextHelpers.h"
#include "editing/MissionPosition.h"
#include "editing/Patching.h"

namespace brieflist {

std::vector<Problem> HeaderPatchResult::Problems(const std::string& File) const {
  std::vector<Problem> out;
  if (JournalError) {
    Problem p = FileProblem(ProblemCode::JournalUnwritable, *JournalError);
    p.Journal = JournalError->Path;
    p.File = File;
    out.push_back(std::move(p));
  } else if (FileError) {
    out.push_back(FileProblem(ProblemCode::Unwritable, *FileError));
    if (MarkerError) {
      Problem p = FileProblem(ProblemCode::JournalUnmarked, *MarkerError);
      p.Journal = MarkerError->Path;
      p.File = FileError->Path;
      out.push_back(std::move(p));
    }
  }
  return out;
}

HeaderPatchResult PatchHeaders(FileSystem& Files, PatchJournal* Journal, const std::string& File,
                               std::vector<HeaderChange>& Changes) {
  HeaderPatchResult result;
  std::vector<FileBlock> blocks;
  std::vector<size_t> changeOf;
  bool packed = false;
  for (size_t i = 0; i < Changes.size(); ++i) {
    Changes[i].Decision = HeaderDecision::NoSignature;
    Changes[i].Written = false;
    Changes[i].Refusal.clear();
    if (Changes[i].Offset < 0) continue;  // no file position holds it
    packed = packed || Changes[i].Offset != 0;
    FileBlock block;
    block.Offset = static_cast<uint64_t>(Changes[i].Offset);
    block.Bytes.resize(static_cast<size_t>(MissionOffset::HeaderSize));
    blocks.push_back(std::move(block));
    changeOf.push_back(i);
  }
  if (blocks.empty()) return result;
  // Other programs' switches and undos wait from the reading of the headers until they are on
  // disk, so the journal's order is the order in which patches reached the disk.
  std::optional<PatchJournal::WriterLock> lock;
  if (Journal) {
    auto locked = Journal->LockWriters();
    if (!locked) {
      result.JournalError = locked.Error();
      return result;
    }
    lock.emplace(std::move(*locked));
  }

  std::vector<JournalRecord> records;
  std::vector<size_t> blockOf;  // the block of each record
  bool journalled = false;
  bool opened = false;
  // Reads the headers and decides each change; false when a read failed.
  const auto decide = [&](OpenFile& Open) {
    records.clear();
    blockOf.clear();
    const MissionPlaces places = MissionPlaces::Read(Open, File, packed);
    for (FileBlock& block : blocks)
      if (!Open.Read(block)) return false;
    for (size_t k = 0; k < blocks.size(); ++k) {
      HeaderChange& change = Changes[changeOf[k]];
      change.Found = PatchedBytesOf(blocks[k].Bytes);
      const PlaceCheck place = places.Check(change.FileName, change.Offset);
      if (place.Place == MissionPlace::NotListed) {
        change.Decision = HeaderDecision::NotListed;
        continue;
      }
      change.Decision = change.Decide(blocks[k].Bytes);
      change.Modified = ModifiedMark(PatchedBytesOf(blocks[k].Bytes));
      if (change.Decision != HeaderDecision::Write) continue;
      if (place.Place == MissionPlace::Misplaced) {
        change.Decision = HeaderDecision::Misplaced;
        change.Refusal = place.Why;
        continue;
      }
      blocks[k].Write = true;
      JournalRecord r;
      r.SourceFile = File;
      r.DataOffset = change.Offset;
      r.FileName = change.FileName;
      r.Before = change.Found;
      r.After = PatchedBytesOf(blocks[k].Bytes);
      r.Reverses = change.Reverses;
      records.push_back(std::move(r));
      blockOf.push_back(k);
    }
    return true;
  };
  auto done = Files.PatchBlocks(File, blocks, [&](OpenFile& Open) {
    opened = true;
    if (!decide(Open) || records.empty()) return false;
    if (Journal) {
      auto appended = Journal->Append(records);
      if (!appended) {
        result.JournalError = appended.Error();
        return false;
      }
      journalled = true;
    }
    return true;
  });
  if (!done && !opened) {
    // It would not open for writing (a read-only file, disc or share; another program's hold):
    // missions already as wanted need no write, so they are decided on a look that only reads.
    bool decided = false;
    const auto looked = Files.InspectFile(File, [&](OpenFile& Open) { decided = decide(Open); });
    if (looked && decided && records.empty()) done = true;
    if (!looked || !decided)
      for (const size_t i : changeOf) Changes[i].Decision = HeaderDecision::NoSignature;
  }
  for (size_t k = 0; k < blocks.size(); ++k) Changes[changeOf[k]].Written = blocks[k].Written;
  if (!done) result.FileError = done.Error();
  if (journalled && !done) {
    // Journalled but not written: say so, or an undo would take the record for done. Should
    // this fail too, an undo still finds the old bytes on disk and reports "not applied". A
    // header that may be torn keeps its record: an undo looks at what it holds.
    std::vector<JournalRecord> markers;
    for (size_t i = 0; i < records.size(); ++i) {
      if (blocks[blockOf[i]].Written || blocks[blockOf[i]].Unsure) continue;
      JournalRecord marker = records[i];
      marker.Kind = JournalKind::NotApplied;
      marker.After = marker.Before;
      marker.Reverses = records[i].Id;
      marker.Id.clear();
      marker.Time.clear();
      markers.push_back(std::move(marker));
    }
    if (auto marked = Journal->Append(markers); !marked) result.MarkerError = marked.Error();
  }
  return result;
}

HeaderDecision DecideMissionState(std::span<uint8_t> Header, std::optional<bool> Wanted,
                                  bool& NowEnabled) {
  const std::string_view signature(reinterpret_cast<const char*>(Header.data()), 3);
  if (!IsMissionSignature(signature)) return HeaderDecision::NoSignature;
  const bool enabled = IsEnabledSignature(signature);
  NowEnabled = Wanted.value_or(!enabled);
  if (NowEnabled == enabled) return HeaderDecision::AlreadySo;
  WriteMissionState(Header, NowEnabled);
  return HeaderDecision::Write;
}

}  // namespace brieflist
