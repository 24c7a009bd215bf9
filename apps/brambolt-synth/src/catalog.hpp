#pragma once

#include <cstdint>
#include <vector>

#include "torvanel/dat/file_type/gfx_obj.hpp"
#include "torvanel/dat/file_type/region.hpp"
#include "torvanel/dat/file_type/scene.hpp"
#include "torvanel/dat/file_type/setup_model.hpp"

// The content of the synthetic portal archive: the Region with its terrain
// and scene tables, a few hundred scenes, and the scenery and building
// models they name. It depends on the seed alone, never on which
// landblocks are written.

namespace torvanel::synth {

// Record ids of the portal archive.
inline constexpr uint32_t kRegionId = 0x13000000;
inline constexpr uint32_t kFirstSceneId = 0x12000001;
inline constexpr uint32_t kBroadleafIds = 0x01000100;
inline constexpr uint32_t kPineIds = 0x01000180;
inline constexpr uint32_t kBushIds = 0x01000200;
inline constexpr uint32_t kRockIds = 0x01000300;
inline constexpr uint32_t kHouseIds = 0x01000400;
inline constexpr uint32_t kAnnexIds = 0x01000480;
inline constexpr uint32_t kGroveIds = 0x02000100;
inline constexpr uint32_t kRockPileIds = 0x02000200;
inline constexpr uint32_t kHomesteadIds = 0x02000400;
// Ids that scenes, setups and buildings name but the archive does not
// hold, as worn data does: those objects are never placed.
inline constexpr uint32_t kMissingGfxIds = 0x0100E000;
inline constexpr uint32_t kMissingSetupIds = 0x0200E000;

struct Catalog {
  dat::Region region;
  std::vector<dat::Scene> scenes;
  std::vector<dat::GfxObj> gfx_objs;
  std::vector<dat::SetupModel> setups;
  // Models of buildings, each reaching at most 18 units from its origin;
  // the last one is missing from the archive.
  std::vector<uint32_t> buildings;
  // Models the landblocks' static-object lists name.
  std::vector<uint32_t> static_objects;
};

Catalog make_catalog(uint64_t seed);

}  // namespace torvanel::synth
