#include "torvanel/brambolt/height.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "torvanel/writer/encode_region.hpp"

namespace torvanel::brambolt {
namespace {

// Small integer heights that no plane holds: every height computed from
// them below is exact in single precision.
float curved(int c, int r) { return static_cast<float>(c * c + 3 * r + (c * r) % 5); }

HeightGrid grid_of(float (*height)(int, int)) {
  HeightGrid g{};
  for (int c = 0; c < 9; ++c) {
    for (int r = 0; r < 9; ++r) g[static_cast<size_t>(c * 9 + r)] = height(c, r);
  }
  return g;
}

float h(const HeightGrid& g, int c, int r) { return g[static_cast<size_t>(c * 9 + r)]; }

TEST(VertexHeights, LooksEveryCodeUpInTheRegionTable) {
  dat::Region region = writer::minimal_region();  // code i -> 2 * i
  region.land_height_table[255] = -7.5f;
  dat::CellLandblock cell;
  for (size_t i = 0; i < cell.height.size(); ++i) cell.height[i] = static_cast<uint8_t>(i * 3);
  cell.height[80] = 255;

  HeightGrid heights = vertex_heights(region, cell);
  for (size_t i = 0; i < 80; ++i) EXPECT_EQ(heights[i], static_cast<float>(i * 6)) << i;
  EXPECT_EQ(heights[80], -7.5f);
}

TEST(BilinearHeight, IsTheVertexHeightAtEveryVertex) {
  HeightGrid g = grid_of(curved);
  for (int c = 0; c <= 8; ++c) {
    for (int r = 0; r <= 8; ++r) {
      EXPECT_EQ(bilinear_height_from_grid(g, 24.0f * c, 24.0f * r), h(g, c, r)) << c << "," << r;
    }
  }
}

TEST(BilinearHeight, InterpolatesInsideTheCellAndClampsOutside) {
  HeightGrid g = grid_of(curved);
  // Centre of cell (1, 2), whose corners are 9, 14 (row 2) and 13, 14 (row 3).
  EXPECT_EQ(bilinear_height_from_grid(g, 36.0f, 60.0f), (9.0f + 14.0f + 13.0f + 14.0f) / 4);
  EXPECT_EQ(bilinear_height_from_grid(g, -5.0f, -70.0f), h(g, 0, 0));
  EXPECT_EQ(bilinear_height_from_grid(g, 500.0f, 1e30f), h(g, 8, 8));
}

TEST(TrianglePlaneHeight, CellCentreLiesOnTheDiagonalTheHashPicks) {
  HeightGrid g = grid_of(curved);
  struct Case {
    uint32_t landblock;
    int cx, cy;
    bool rising;  // split from (x0, y0) to (x1, y1)
  };
  const Case cases[] = {
      {0x0000, 0, 0, true},
      {0x0000, 1, 0, false},
      {0x0000, 0, 2, true},
      {0x0100, 0, 2, false},  // the same local cell one landblock east
      {0x0000, 7, 7, false},
      {0x0100, 7, 7, false},
      {0x0100, 4, 4, true},
  };
  for (const Case& c : cases) {
    float centre = c.rising ? (h(g, c.cx, c.cy) + h(g, c.cx + 1, c.cy + 1)) / 2
                            : (h(g, c.cx, c.cy + 1) + h(g, c.cx + 1, c.cy)) / 2;
    EXPECT_EQ(triangle_plane_height_from_grid(g, c.landblock, 24.0f * c.cx + 12, 24.0f * c.cy + 12),
              centre)
        << std::hex << c.landblock << " cell " << c.cx << "," << c.cy;
  }
}

TEST(TrianglePlaneHeight, VerticesEdgesAndPointsOutsideUseTheClampedCell) {
  HeightGrid g = grid_of(curved);
  for (int c = 0; c <= 8; ++c) {
    for (int r = 0; r <= 8; ++r) {
      EXPECT_EQ(triangle_plane_height_from_grid(g, 0xA9B4, 24.0f * c, 24.0f * r), h(g, c, r))
          << c << "," << r;
    }
  }
  // x = 192 lies on the far edge of cell column 7.
  EXPECT_EQ(triangle_plane_height_from_grid(g, 0, 192.0f, 12.0f), (h(g, 8, 0) + h(g, 8, 1)) / 2);
  EXPECT_EQ(triangle_plane_height_from_grid(g, 0, 12.0f, 192.0f), (h(g, 0, 8) + h(g, 1, 8)) / 2);

  // Negative coordinates extend the plane of cell 0: flat there, whatever
  // the rest of the landblock does.
  HeightGrid flat_corner = g;
  for (int i : {0, 1, 9, 10}) flat_corner[static_cast<size_t>(i)] = 10.0f;
  EXPECT_EQ(triangle_plane_height_from_grid(flat_corner, 0, -30.0f, -5.0f), 10.0f);
}

TEST(TrianglePlaneHeight, NanPointReadsCellZeroWithoutFault) {
  HeightGrid g = grid_of(curved);
  const float nan = std::numeric_limits<float>::quiet_NaN();
  EXPECT_TRUE(std::isnan(triangle_plane_height_from_grid(g, 0xFFFF, nan, 5.0f)));
  EXPECT_TRUE(std::isnan(bilinear_height_from_grid(g, 5.0f, nan)));
}

TEST(Slope, IsTheAngleOfTheCellsMeanGradient) {
  HeightGrid flat = grid_of([](int, int) { return 42.0f; });
  HeightGrid ramp = grid_of([](int c, int) { return 12.0f * c; });  // rises 0.5 per unit of x
  HeightGrid g = grid_of(curved);

  EXPECT_EQ(slope_at(flat, 100.0f, 37.0f), 0.0f);
  EXPECT_EQ(bilinear_height_from_grid(flat, 100.0f, 37.0f), 42.0f);
  EXPECT_EQ(slope_at(ramp, 100.0f, 37.0f), atanf(0.5f));
  EXPECT_EQ(slope_at(ramp, 0.0f, 192.0f), atanf(0.5f));
  // On the far column both sides of the cell are column 8: no x component.
  EXPECT_EQ(slope_at(ramp, 192.0f, 37.0f), 0.0f);

  // Cell (1, 2) of the curved grid, corners h00 = 9, h10 = 14, h01 = 13,
  // h11 = 14; the same anywhere in the cell.
  float gx = (((14.0f - 13.0f) + (14.0f - 9.0f)) * 0.5f) / 24.0f;
  float gy = (((14.0f - 14.0f) + (13.0f - 9.0f)) * 0.5f) / 24.0f;
  float expected = atanf(sqrtf(gx * gx + gy * gy));
  EXPECT_EQ(slope_at(g, 30.0f, 50.0f), expected);
  EXPECT_EQ(slope_at(g, 47.9f, 71.9f), expected);

  // Negative and NaN coordinates read cell 0.
  const float nan = std::numeric_limits<float>::quiet_NaN();
  EXPECT_EQ(slope_at(g, -50.0f, -1.0f), slope_at(g, 10.0f, 10.0f));
  EXPECT_EQ(slope_at(g, nan, nan), slope_at(g, 10.0f, 10.0f));
}

}  // namespace
}  // namespace torvanel::brambolt
