#include "editing/MissionPosition.h"

#include <algorithm>

#include "catalogue/MissionHeader.h"
#include "catalogue/PffArchive.h"
#include "catalogue/TextHelpers.h"
#include "editing/Patching.h"
#include "platform/FolderListing.h"

namespace brieflist {
namespace {

constexpr int64_t kHeader = MissionOffset::HeaderSize;

bool SameMissionName(std::string_view A, std::string_view B) {
  return EqualsIgnoringCase(StripNulsAndSpaces(A), StripNulsAndSpaces(B));
}

PlaceCheck Misplaced(std::string Why) {
  return {MissionPlace::Misplaced, std::move(Why)};
}

}  // namespace

MissionPlaces MissionPlaces::Read(OpenFile& File, const std::string& Path, bool Packed) {
  MissionPlaces places;
  places.FileNameOfPath_ = NameOfPath(Path);
  places.Length_ = static_cast<int64_t>(File.Size());
  if (!Packed) return places;
  FileBlock head;
  head.Bytes.resize(static_cast<size_t>(PffLayout::HeaderBytes));
  if (!File.Read(head)) return places;
  const PffHeader header = ParsePffHeader(ByteReader(head.Bytes));
  places.ValidHeader_ = IsValidPffHeader(header);
  const int64_t count = ComputeDirectoryCount(header, places.Length_);
  if (count <= 0) return places;
  const int64_t entrySize = header.EntrySize;
  places.DirectoryBegin_ = header.DirectoryOffset;
  places.DirectoryEnd_ = header.DirectoryOffset + (count - 1) * entrySize +
                         std::max<int64_t>(entrySize, PffLayout::EntryBytes);
  // The directory in parts of at most a megabyte: one read for any real archive, bounded
  // memory for any file.
  ForEachPffEntry(header, File, [&](PffEntry&& Entry) {
    if (EndsWithIgnoringCase(Entry.Name, ".BMS"))
      places.Missions_.push_back({Entry.DataOffset, std::move(Entry.Name)});
  });
  std::sort(places.Missions_.begin(), places.Missions_.end(),
            [](const Record& a, const Record& b) { return a.Offset < b.Offset; });
  return places;
}

PlaceCheck MissionPlaces::Check(std::string_view FileName, int64_t Offset) const {
  const auto fits = [&]() -> PlaceCheck {
    if (Offset + kHeader <= Length_) return {MissionPlace::Listed, {}};
    return Misplaced("its 128-byte header does not fit in the file (" + std::to_string(Length_) +
                     " bytes)");
  };
  if (Offset < 0) return {};
  if (Offset == 0) {
    if (!EqualsIgnoringCase(FileNameOfPath_, FileName)) return {};
    return fits();
  }
  const auto byOffset = [](const Record& r, int64_t o) { return r.Offset < o; };
  auto at = std::lower_bound(Missions_.begin(), Missions_.end(), Offset, byOffset);
  const Record* self = nullptr;
  for (auto it = at; it != Missions_.end() && it->Offset == Offset && !self; ++it)
    if (SameMissionName(it->Name, FileName)) self = &*it;
  if (!self) return {};
  if (PlaceCheck fit = fits(); fit.Place != MissionPlace::Listed) return fit;
  if (Offset < PffLayout::HeaderBytes) return Misplaced("its header overlaps the archive's header");
  if (Offset < DirectoryEnd_ && Offset + kHeader > DirectoryBegin_)
    return Misplaced("its header overlaps the archive's directory");
  // Any other record whose header starts less than a header's length away shares bytes with it.
  for (auto it =
           std::lower_bound(Missions_.begin(), Missions_.end(), Offset - kHeader + 1, byOffset);
       it != Missions_.end() && it->Offset < Offset + kHeader; ++it)
    if (&*it != self) return Misplaced("its header overlaps the header of " + it->Name);
  return {MissionPlace::Listed, {}};
}

ProbedPosition ProbeMissionPosition(OpenFile& File, const std::string& Path, int32_t Offset,
                                    std::string_view FileName) {
  ProbedPosition out;
  const MissionPlaces places = MissionPlaces::Read(File, Path, Offset != 0);
  // A list row is untrusted: an archive is only one when its header says so.
  if (Offset != 0 && !places.ValidArchiveHeader()) return out;
  PlaceCheck place = places.Check(FileName, Offset);
  if (place.Place == MissionPlace::NotListed) return out;
  FileBlock signature;
  signature.Offset = static_cast<uint64_t>(Offset);
  signature.Bytes.resize(3);
  if (!File.Read(signature)) return out;
  const std::string_view bytes(reinterpret_cast<const char*>(signature.Bytes.data()), 3);
  if (!IsMissionSignature(bytes)) return out;
  out.Place = std::move(place);
  out.Enabled = IsEnabledSignature(bytes);
  return out;
}

IoResult<ProbedPosition> ProbeImportPosition(FileSystem& Files, const std::string& File,
                                             int32_t Offset, std::string_view FileName) {
  ProbedPosition out;
  const bool archive = EndsWithIgnoringCase(File, ".pff") && Offset > 0;
  const bool loose = EndsWithIgnoringCase(File, ".bms") && Offset == 0;
  if (!archive && !loose) return out;
  auto read = Files.InspectFile(
      File, [&](OpenFile& Open) { out = ProbeMissionPosition(Open, File, Offset, FileName); });
  if (!read) return read.Error();
  return out;
}

}  // namespace brieflist
