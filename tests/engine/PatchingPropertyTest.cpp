// Random toggle sequences on random folders, checked byte for byte against a model of what each
// mission's header must hold.
#include <gtest/gtest.h>

#include <array>
#include <map>
#include <random>

#include "catalogue/RefreshCatalogue.h"
#include "editing/Patching.h"
#include "support/GameFolder.h"
#include "support/MemoryFileSystem.h"
#include "support/TestSupport.h"

namespace brieflist {
namespace {

using Block = std::array<uint8_t, 4>;

struct MissionModel {
  std::string Path;
  size_t Offset = 0;
  bool Enabled = true;
  bool Touched = false;
  Block Flags{};          // the flag block, wherever it stands now
  std::string FlagsText;  // MissionTypeFlags as the first refresh read it
};

Block BlockAt(const sample::Bytes& File, size_t At) {
  return {File[At], File[At + 1], File[At + 2], File[At + 3]};
}

// The file as the model says it must be: untouched missions as written, switched ones with
// exactly the signature and the two blocks of their state.
sample::Bytes Expected(const sample::Bytes& Original, const std::vector<MissionModel>& Missions,
                       const std::string& Path) {
  sample::Bytes out = Original;
  for (const MissionModel& m : Missions) {
    if (m.Path != Path || !m.Touched) continue;
    const char* signature = m.Enabled ? "BMS" : "VyK";
    for (size_t i = 0; i < 3; ++i) out[m.Offset + i] = static_cast<uint8_t>(signature[i]);
    const Block zero{};
    const Block& at120 = m.Enabled ? m.Flags : zero;
    const Block& at124 = m.Enabled ? zero : m.Flags;
    for (size_t i = 0; i < 4; ++i) {
      out[m.Offset + 120 + i] = at120[i];
      out[m.Offset + 124 + i] = at124[i];
    }
  }
  return out;
}

TEST(PatchingProperty, RandomToggleSequencesKeepEveryMissionsFlagsAndTouchNothingElse) {
  std::mt19937 rng(20240607);
  const auto pick = [&](uint32_t n) { return static_cast<uint32_t>(rng() % n); };
  const char* kEnabledSignatures[] = {"BMS", "bms", "bMs"};
  const char* kDisabledSignatures[] = {"VyK", "VYK", "vyk"};
  const char* kNames[] = {"A.BMS", "B.BMS", "C.bms", "SAME.BMS"};

  for (int sequence = 0; sequence < 2000; ++sequence) {
    test::MemoryFileSystem files;
    files.AddFolder("/g");
    std::map<std::string, sample::Bytes> originals;
    std::vector<MissionModel> models;

    const uint32_t archives = 1 + pick(3);
    for (uint32_t a = 0; a < archives; ++a) {
      std::vector<std::pair<std::string, sample::Bytes>> entries;
      const uint32_t count = 1 + pick(4);
      for (uint32_t m = 0; m < count; ++m) {
        const bool enabled = pick(3) != 0;
        sample::MissionSpec spec;
        spec.Signature = enabled ? kEnabledSignatures[pick(3)] : kDisabledSignatures[pick(3)];
        spec.Disabled = !enabled;
        spec.FlagHigh = static_cast<uint8_t>(rng());
        spec.FlagLow = static_cast<uint8_t>(rng());
        spec.ModifiedWord = pick(2) ? 0 : static_cast<uint32_t>(rng());
        spec.Size = 128 + pick(200);
        entries.emplace_back(kNames[pick(4)], BuildMission(spec));
      }
      const std::string path = test::GamePath("arc" + std::to_string(a) + ".pff");
      files.Files[path] = test::ArchiveBytes(entries);
    }
    if (pick(2))
      files.Files[test::GamePath("loose.bms")] = test::MissionBytes(pick(2) ? "BMS" : "vYk");
    for (const auto& [path, data] : files.Files) originals[path] = data;

    test::RecordingHost host;
    const Platform p{files, host};
    CatalogueState state;
    state.GameDirectory = "/g";
    RefreshCatalogue(state, p);
    ASSERT_GE(state.LastMission, 0);
    for (const MissionEntry& row : state.Missions) {
      MissionModel m;
      m.Path = row.SourceFile;
      m.Offset = static_cast<size_t>(row.DataOffset);
      m.Enabled = row.Enabled != kFalse;
      m.Flags = BlockAt(originals[m.Path], m.Offset + (m.Enabled ? 120 : 124));
      m.FlagsText = row.MissionTypeFlags;
      models.push_back(m);
    }

    const uint32_t toggles = 1 + pick(12);
    for (uint32_t t = 0; t < toggles; ++t) {
      const auto index = static_cast<int32_t>(pick(static_cast<uint32_t>(models.size())));
      files.ResetCounters();
      ASSERT_EQ(ToggleMissionEnabled(state, p, index, index), PatchOutcome::Patched);
      const IoCounters& c = files.Counters();
      // An archive's header and directory are read in the same open, to check the mission.
      const bool packed = state.Missions[static_cast<size_t>(index)].DataOffset != 0;
      ASSERT_EQ(c.Opens + c.Reads + c.Writes + c.Flushes + c.Closes, packed ? 7u : 5u);
      MissionModel& m = models[static_cast<size_t>(index)];
      m.Enabled = !m.Enabled;
      m.Touched = true;
      ASSERT_EQ(state.Missions[static_cast<size_t>(index)].Enabled, ToFlag(m.Enabled));
      for (const auto& [path, original] : originals)
        ASSERT_EQ(files.Files[path], Expected(original, models, path))
            << "sequence " << sequence << ", toggle " << t << ", " << path;

      if (pick(4) == 0) {
        // What the game and a refresh read back: state and flags survive every switch.
        RefreshCatalogue(state, p);
        ASSERT_EQ(state.Missions.size(), models.size());
        for (size_t i = 0; i < models.size(); ++i) {
          ASSERT_EQ(state.Missions[i].Enabled, ToFlag(models[i].Enabled));
          ASSERT_EQ(state.Missions[i].MissionTypeFlags, models[i].FlagsText);
        }
      }
    }
    ASSERT_TRUE(host.Messages.empty());
  }
}

}  // namespace
}  // namespace brieflist
