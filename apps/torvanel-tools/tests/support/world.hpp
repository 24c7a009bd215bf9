#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <vector>

#include "torvanel/dat/database.hpp"

namespace torvanel::test_support {

// Record ids of the test world.
inline constexpr uint32_t kRegionId = 0x13000000;
inline constexpr uint32_t kSceneId = 0x12000001;
inline constexpr uint32_t kRockSceneId = 0x12000002;
inline constexpr uint32_t kTreeId = 0x01000001;   // graphics object, about 1 x 1
inline constexpr uint32_t kRockId = 0x01000002;   // graphics object, about 2 x 1
inline constexpr uint32_t kShrubId = 0x02000001;  // setup whose one part is the tree
inline constexpr uint32_t kHouseId = 0x01000010;  // graphics object, 40 x 40

// The terrain record and the static-object record of landblock `lb`.
constexpr uint32_t terrain_id(uint16_t lb) { return uint32_t{lb} << 16 | 0xFFFF; }
constexpr uint32_t buildings_id(uint16_t lb) { return uint32_t{lb} << 16 | 0xFFFE; }

// How a landblock's terrain is covered.
enum class Ground {
  Scenery,  // every vertex plants the world's scene (a road vertex in the middle)
  Bare,     // a terrain type without scenes: nothing is placed
};

// A small world for running the tool: the records of the three archives by
// id, freely editable before they are written. The portal archive holds the
// Region (terrain type 0 plants one of two scenes, picked per vertex; type 1
// plants nothing), the scenes (kSceneId: a tree on every vertex, turned and
// scaled, and a displaced shrub on some; kRockSceneId: a rock on most
// vertices), and the tree, rock, shrub and house models; the local archive
// holds one record; the cell archive starts empty.
struct World {
  World();

  // Adds landblock `lb`'s terrain record; its heights differ from vertex to
  // vertex and from landblock to landblock.
  void add_landblock(uint16_t lb, Ground ground = Ground::Scenery);
  // Adds a static-object record with one house in the middle of `lb`.
  void add_house(uint16_t lb);

  // The portal records as an archive in memory.
  dat::DatDatabase open_portal() const;

  // Writes client_portal.dat, client_cell_1.dat and client_local_English.dat
  // into `dir`, creating it. Throws when a file cannot be written.
  void write(const std::filesystem::path& dir) const;

  std::map<uint32_t, std::vector<uint8_t>> portal;
  std::map<uint32_t, std::vector<uint8_t>> cell;
  std::map<uint32_t, std::vector<uint8_t>> local;
};

}  // namespace torvanel::test_support
