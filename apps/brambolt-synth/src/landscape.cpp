#include "landscape.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <span>
#include <utility>
#include <vector>

#include "biomes.hpp"
#include "rng.hpp"

namespace torvanel::synth {
namespace {

enum Stream : uint64_t {
  kHeightStream = 101,
  kDetailStream,
  kBumpStream,
  kMoistureStream,
  kVarietyStream,
  kRoadXStream,
  kRoadYStream,
  kVertexStream,
  kObjectsStream,
};

constexpr uint32_t kRoadSpacing = 64;  // vertices between parallel roads: 8 landblocks

// Terrain types by biome, in kTerrainKinds order.
std::span<const uint8_t> types_of(Biome biome) {
  static const auto table = [] {
    std::array<std::vector<uint8_t>, kBiomes> t;
    for (size_t i = 0; i < kTerrainKinds.size(); ++i) {
      t[static_cast<size_t>(kTerrainKinds[i].biome)].push_back(static_cast<uint8_t>(i));
    }
    return t;
  }();
  return table[static_cast<size_t>(biome)];
}

Biome biome_at(int height, double moisture) {
  if (height > 205) return Biome::Snow;
  if (height > 178) return Biome::Rock;
  if (height < 70 && moisture < 0.55) return Biome::Sand;  // beaches
  if (moisture < 0.25) return Biome::Sand;
  if (moisture < 0.55) return Biome::Meadow;
  if (moisture < 0.85) return Biome::Forest;
  return Biome::Marsh;
}

// Quarter and eighth turns about the vertical axis, (w, x, y, z).
constexpr std::array<common::Quaternion, 6> kHeadings{{
    {1.0f, 0.0f, 0.0f, 0.0f},
    {0.70710677f, 0.0f, 0.0f, 0.70710677f},
    {0.0f, 0.0f, 0.0f, 1.0f},
    {0.70710677f, 0.0f, 0.0f, -0.70710677f},
    {0.9238795f, 0.0f, 0.0f, 0.38268343f},
    {0.38268343f, 0.0f, 0.0f, 0.9238795f},
}};

// The terrain height under landblock-local (x, y) in [0, 192], from the
// nearest vertex.
float height_near(const Catalog& c, const GroundGrid& ground, float x, float y) {
  const auto cx = static_cast<uint32_t>(x / 24 + 0.5f), cy = static_cast<uint32_t>(y / 24 + 0.5f);
  return c.region.land_height_table[ground[cx * 9 + cy].height_code];
}

dat::PortalInternal portal(Rng& rng, uint16_t& next_cell) {
  dat::PortalInternal p;
  p.flags = static_cast<uint16_t>(rng.below(4));
  p.other_cell_id = next_cell;
  p.other_portal_id = static_cast<uint16_t>(rng.below(4));
  for (uint32_t n = rng.between(1, 5); n > 0; --n) p.stab_list.push_back(next_cell++);
  return p;
}

}  // namespace

Ground ground_at(uint64_t seed, uint32_t gx, uint32_t gy) {
  const double x = gx, y = gy;
  const double h = 20.0 + 140.0 * value_noise(seed, kHeightStream, x, y, 128) +
                   36.0 * value_noise(seed, kDetailStream, x, y, 32) +
                   6.0 * value_noise(seed, kBumpStream, x, y, 8);
  const int height = std::clamp(static_cast<int>(std::floor(h + 0.5)), 0, 255);

  uint8_t type;
  if (height < 62) {
    type = height < 50 ? 0 : 1;  // deep, shallow water
  } else {
    const double moisture = value_noise(seed, kMoistureStream, x, y, 80);
    const auto types = types_of(biome_at(height, moisture));
    const double variety = value_noise(seed, kVarietyStream, x, y, 20);
    type = types[std::min(types.size() - 1, static_cast<size_t>(variety * types.size()))];
  }

  // Roads run every kRoadSpacing vertices in both directions, meandering
  // by up to 7 vertices.
  const auto meander_x = static_cast<uint32_t>(8 * value_noise(seed, kRoadXStream, 0, y, 24));
  const auto meander_y = static_cast<uint32_t>(8 * value_noise(seed, kRoadYStream, x, 0, 24));
  const bool on_road = type > 1 && ((gx + meander_x) % kRoadSpacing == 0 ||
                                    (gy + meander_y) % kRoadSpacing == 0);
  const uint8_t road =
      on_road ? static_cast<uint8_t>(1 + hash64(seed, kVertexStream, gx, gy) % 3) : 0;
  return {static_cast<uint8_t>(height), type, road};
}

GroundGrid ground_of(uint64_t seed, uint16_t lb) {
  GroundGrid grid;
  for (uint32_t cx = 0; cx < 9; ++cx) {
    for (uint32_t cy = 0; cy < 9; ++cy) {
      grid[cx * 9 + cy] = ground_at(seed, (lb >> 8) * 8u + cx, (lb & 0xFFu) * 8 + cy);
    }
  }
  return grid;
}

dat::CellLandblock make_terrain(uint64_t seed, const Catalog& c, uint16_t lb,
                                const GroundGrid& ground, bool has_objects) {
  dat::CellLandblock cell;
  cell.id = uint32_t{lb} << 16 | 0xFFFF;
  cell.has_objects = has_objects ? 1 : 0;
  const auto& types = c.region.terrain_desc.terrain_types;
  for (uint32_t cx = 0; cx < 9; ++cx) {
    for (uint32_t cy = 0; cy < 9; ++cy) {
      const uint32_t gx = (lb >> 8) * 8u + cx, gy = (lb & 0xFFu) * 8 + cy;
      const Ground& g = ground[cx * 9 + cy];
      const uint64_t h = hash64(seed, kVertexStream, gx, gy) >> 8;
      const auto slots = static_cast<uint32_t>(types[g.terrain_type].scene_types.size());
      const uint32_t slot = slots == 0 ? 0 : static_cast<uint32_t>(h % slots);
      const uint32_t unused_bits = static_cast<uint32_t>(h >> 32) & 0xF;  // bits 7-10
      cell.terrain[cx * 9 + cy] =
          static_cast<uint16_t>(slot << 11 | unused_bits << 7 | g.terrain_type << 2 | g.road);
      cell.height[cx * 9 + cy] = g.height_code;
    }
  }
  return cell;
}

std::optional<dat::LandblockInfo> make_static_objects(uint64_t seed, const Catalog& c,
                                                      uint16_t lb, const GroundGrid& ground) {
  Rng rng(seed, kObjectsStream << 16 | lb);
  const bool road =
      std::any_of(ground.begin(), ground.end(), [](const Ground& g) { return g.road != 0; });
  const bool water = ground[4 * 9 + 4].terrain_type <= 1;
  if (water || !rng.chance(road ? 0.45 : 0.12)) return std::nullopt;

  dat::LandblockInfo info;
  info.id = uint32_t{lb} << 16 | 0xFFFE;
  uint16_t next_cell = 0x0100;

  // At most one building per quadrant, within 20 units of its centre, so
  // that buildings neither overlap nor leave the landblock.
  std::array<uint32_t, 4> quadrants{0, 1, 2, 3};
  for (uint32_t i = 3; i > 0; --i) std::swap(quadrants[i], quadrants[rng.below(i + 1)]);
  const uint32_t buildings = rng.between(road ? 1 : 0, 4);
  for (uint32_t q = 0; q < buildings; ++q) {
    dat::BuildInfo b;
    b.model_id = rng.chance(0.03)
                     ? c.buildings.back()  // the model that is missing
                     : c.buildings[rng.below(static_cast<uint32_t>(c.buildings.size() - 1))];
    const float x = 48.0f + 96.0f * static_cast<float>(quadrants[q] % 2) + rng.uniform(-20, 20);
    const float y = 48.0f + 96.0f * static_cast<float>(quadrants[q] / 2) + rng.uniform(-20, 20);
    b.frame = {{x, y, height_near(c, ground, x, y)}, kHeadings[rng.below(kHeadings.size())]};
    b.num_leaves = rng.between(1, 6);
    for (uint32_t n = rng.between(1, 3); n > 0; --n) b.portals.push_back(portal(rng, next_cell));
    info.buildings.push_back(std::move(b));
  }
  for (uint32_t n = rng.between(buildings == 0 ? 1 : 0, 5); n > 0; --n) {
    const float x = rng.uniform(4, 188), y = rng.uniform(4, 188);
    info.objects.push_back(
        {c.static_objects[rng.below(static_cast<uint32_t>(c.static_objects.size()))],
         {{x, y, height_near(c, ground, x, y)}, kHeadings[rng.below(kHeadings.size())]}});
  }
  info.num_cells = next_cell - 0x0100u;
  if (rng.chance(0.1)) {
    std::vector<std::pair<uint32_t, uint32_t>> pairs;
    for (uint32_t i = 0, n = rng.between(1, 4); i < n; ++i) {
      pairs.emplace_back(uint32_t{lb} << 16 | (0x0100 + i), 0x7D000000 + rng.below(64));
    }
    info.pack_mask = dat::LandblockInfo::kHasRestrictionTable;
    info.restriction_tables =
        dat::RestrictionTable{common::FlatMap<uint32_t, uint32_t>::from_entries(std::move(pairs))};
  }
  return info;
}

}  // namespace torvanel::synth
