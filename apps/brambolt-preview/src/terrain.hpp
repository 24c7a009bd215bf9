#pragma once

#include <array>
#include <cstdint>

// What the picture needs to know about the terrain grid beyond heights.

namespace torvanel::preview {

using TerrainWords = std::array<uint16_t, 81>;

// Whether the terrain word carries road bits.
constexpr bool is_road(uint16_t word) { return (word & 0x3) != 0; }

// Whether the bake drops objects standing in cell (cx, cy), 0-7 each. Its
// road test reads terrain word cx * 8 + cy, a stride of 8 over a grid
// stored with a stride of 9, so the word it reads is mostly not one of the
// cell's own corners; the picture shows the test as the bake makes it.
constexpr bool is_road_cell(const TerrainWords& terrain, uint32_t cx, uint32_t cy) {
  return is_road(terrain[cx * 8 + cy]);
}

// Which diagonal splits cell (cx, cy) of landblock `lb` into the two
// terrain triangles that heights are taken from in ace-compat mode: true
// for the one from the cell's (x0, y0) corner to (x1, y1), false for the
// one from (x0, y1) to (x1, y0). The sign bit of a hash of the cell's
// global position decides, in 32-bit arithmetic that wraps.
constexpr bool split_rises(uint16_t lb, uint32_t cx, uint32_t cy) {
  const uint32_t gx = (uint32_t{lb} >> 8) * 8 + cx;
  const uint32_t gy = (uint32_t{lb} & 0xFF) * 8 + cy;
  const uint32_t hash = (gx * 0x0CCAC033u + 0x6C1AC587u) * gy + gx * 0xBDE41C43u + 0xAE6470DBu;
  return (hash & 0x80000000u) != 0;
}

}  // namespace torvanel::preview
