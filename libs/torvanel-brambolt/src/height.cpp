#include "torvanel/brambolt/height.hpp"

#include <algorithm>
#include <cmath>
#include <tuple>

#include "cell_index.hpp"

// All arithmetic below is single precision, in exactly the order written:
// placements must agree bit for bit with every other baker of the world.

namespace torvanel::brambolt {
namespace {

float at(const HeightGrid& heights, int32_t column, int32_t row) {
  return heights[static_cast<size_t>(column * 9 + row)];
}

struct Corner {
  float x, y, z;
};

// Height at (x, y) on the plane through the triangle (o, a, b).
float plane_height(Corner o, Corner a, Corner b, float x, float y) {
  float ux = a.x - o.x, uy = a.y - o.y, uz = a.z - o.z;
  float vx = b.x - o.x, vy = b.y - o.y, vz = b.z - o.z;
  float nx = uy * vz - uz * vy;
  float ny = uz * vx - ux * vz;
  float nz = ux * vy - uy * vx;
  float d = (o.x * nx + o.y * ny) + o.z * nz;
  return ((d - x * nx) - y * ny) / nz;
}

// Corner column of the cell under a bilinear or slope query, and the column
// of its far side; both 8 on the landblock's far edge. `cell` is the
// coordinate in cells, already clamped to [0, 8], or NaN: its floor is its
// truncation, and NaN reads column 0.
struct Span {
  int32_t near, far;
};

Span span_of(float cell) {
  int32_t near = cell >= 0.0f ? static_cast<int32_t>(cell) : 0;
  return {near, std::min(near, 7) + 1};
}

}  // namespace

HeightGrid vertex_heights(const dat::Region& region, const dat::CellLandblock& cell) {
  // Height codes are bytes, and the table has an entry for every byte value.
  static_assert(std::tuple_size_v<decltype(dat::Region::land_height_table)> == 256);
  static_assert(std::tuple_size_v<decltype(dat::CellLandblock::height)> ==
                std::tuple_size_v<HeightGrid>);
  HeightGrid heights{};
  for (size_t i = 0; i < heights.size(); ++i) {
    heights[i] = region.land_height_table[cell.height[i]];
  }
  return heights;
}

float triangle_plane_height_from_grid(const HeightGrid& heights, uint32_t landblock_id, float x,
                                      float y) {
  int32_t cx = std::clamp(cell_of(x), 0, 7);
  int32_t cy = std::clamp(cell_of(y), 0, 7);
  int32_t x0i = 24 * cx, x1i = 24 * cx + 24;
  int32_t y0i = 24 * cy, y1i = 24 * cy + 24;
  float x0 = static_cast<float>(x0i), x1 = static_cast<float>(x1i);
  float y0 = static_cast<float>(y0i), y1 = static_cast<float>(y1i);
  float h00 = at(heights, cx, cy), h01 = at(heights, cx, cy + 1);
  float h10 = at(heights, cx + 1, cy), h11 = at(heights, cx + 1, cy + 1);

  uint32_t gx = ((landblock_id >> 8) & 0xFF) * 8 + static_cast<uint32_t>(cx);
  uint32_t gy = (landblock_id & 0xFF) * 8 + static_cast<uint32_t>(cy);
  uint32_t split = (gx * 0x0CCAC033u + 0x6C1AC587u) * gy + gx * 0xBDE41C43u + 0xAE6470DBu;
  // Set: the diagonal runs from (x0, y0) to (x1, y1); clear: (x0, y1) to (x1, y0).
  bool rising = (split & 0x80000000u) != 0;

  Corner c00{x0, y0, h00}, c01{x0, y1, h01}, c10{x1, y0, h10}, c11{x1, y1, h11};
  Corner o1 = c00, a1 = rising ? c11 : c01, b1 = c10;
  Corner o2 = rising ? c01 : c10, a2 = rising ? c11 : c01, b2 = rising ? c00 : c11;

  // Barycentric coordinates of (x, y) in the first triangle; twice its
  // signed area is -576 for every cell.
  const float inv = 1.0f / -576.0f;
  float xa = a1.x;
  float x0y1 = static_cast<float>(x0i * y1i);
  float x1y1 = static_cast<float>(x1i * y1i);
  float s = (y * (xa - x0) + ((x0y1 - xa * y0) - 24.0f * x)) * inv;
  float t = (y * (x1 - xa) + (24.0f * x + (xa * y0 - x1y1))) * inv;
  bool outside_first = s < 0.0f || t < 0.0f || t > 1.0f - s;
  return outside_first ? plane_height(o2, a2, b2, x, y) : plane_height(o1, a1, b1, x, y);
}

float bilinear_height_from_grid(const HeightGrid& heights, float x, float y) {
  float fx = std::clamp(x / 24.0f, 0.0f, 8.0f);
  float fy = std::clamp(y / 24.0f, 0.0f, 8.0f);
  Span col = span_of(fx), row = span_of(fy);
  float tx = fx - static_cast<float>(col.near);
  float ty = fy - static_cast<float>(row.near);
  float h00 = at(heights, col.near, row.near), h10 = at(heights, col.far, row.near);
  float h01 = at(heights, col.near, row.far), h11 = at(heights, col.far, row.far);
  float a = (h00 * (1.0f - tx)) * (1.0f - ty);
  float b = (h10 * tx) * (1.0f - ty);
  float c = (h01 * (1.0f - tx)) * ty;
  float e = (h11 * tx) * ty;
  return ((a + b) + c) + e;
}

float slope_at(const HeightGrid& heights, float x, float y) {
  float fx = std::max(x / 24.0f, 0.0f);
  float fy = std::max(y / 24.0f, 0.0f);
  Span col = span_of(fx > 8.0f ? 8.0f : fx), row = span_of(fy > 8.0f ? 8.0f : fy);
  float h00 = at(heights, col.near, row.near), h10 = at(heights, col.far, row.near);
  float h01 = at(heights, col.near, row.far), h11 = at(heights, col.far, row.far);
  float gx = (((h11 - h01) + (h10 - h00)) * 0.5f) / 24.0f;
  float gy = (((h11 - h10) + (h01 - h00)) * 0.5f) / 24.0f;
  return atanf(sqrtf(gx * gx + gy * gy));
}

}  // namespace torvanel::brambolt
