#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "catalog.hpp"
#include "torvanel/dat/landblock.hpp"

// The cell archive's records of one landblock: the terrain (rolling hills
// of smooth noise, terrain types by height and moisture, meandering roads)
// and, for some landblocks, the static objects with a few buildings. Both
// are functions of the seed, the catalog and the landblock id alone, so a
// landblock is the same whichever rectangle it is written with, and
// neighbouring landblocks agree on their shared edge vertices.

namespace torvanel::synth {

// What the world holds at global vertex (gx, gy) = (column * 8 + cx,
// row * 8 + cy).
struct Ground {
  uint8_t height_code;
  uint8_t terrain_type;  // index into kTerrainKinds
  uint8_t road;          // 0, or the road bits 1-3
};

Ground ground_at(uint64_t seed, uint32_t gx, uint32_t gy);

// The ground of a landblock's 81 vertices, entry cx * 9 + cy.
using GroundGrid = std::array<Ground, 81>;
GroundGrid ground_of(uint64_t seed, uint16_t landblock);

// The terrain record 0xXXYYFFFF. `has_objects` tells whether the landblock
// has a static-object record.
dat::CellLandblock make_terrain(uint64_t seed, const Catalog& catalog, uint16_t landblock,
                                const GroundGrid& ground, bool has_objects);

// The static-object record 0xXXYYFFFE, or nothing for a landblock without
// one (most of them). Landblocks crossed by a road are likelier to have
// buildings; open water has none.
std::optional<dat::LandblockInfo> make_static_objects(uint64_t seed, const Catalog& catalog,
                                                      uint16_t landblock,
                                                      const GroundGrid& ground);

}  // namespace torvanel::synth
