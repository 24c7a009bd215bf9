#include "terrain.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "torvanel/brambolt/height.hpp"

namespace torvanel::preview {
namespace {

// The drawn split must be the one the bake takes heights from: at a cell's
// centre the triangle height is the mean of the two corners the diagonal
// joins.
TEST(SplitRises, AgreesWithTheTriangleHeightsOfTheBake) {
  brambolt::HeightGrid heights{};
  // Quadratic in the index: no cell's four corners lie in one plane.
  for (size_t i = 0; i < heights.size(); ++i) heights[i] = 0.25f * static_cast<float>(i * i);
  int rising = 0, falling = 0;
  for (uint16_t lb : {0x0000, 0x0001, 0xA9B4, 0x7F80, 0xFFFF}) {
    for (uint32_t cx = 0; cx < 8; ++cx) {
      for (uint32_t cy = 0; cy < 8; ++cy) {
        auto h = [&](uint32_t c, uint32_t r) { return heights[c * 9 + r]; };
        const float x = 24.0f * static_cast<float>(cx) + 12,
                    y = 24.0f * static_cast<float>(cy) + 12;
        const float centre = brambolt::triangle_plane_height_from_grid(heights, lb, x, y);
        const bool rises = split_rises(lb, cx, cy);
        const float joined =
            rises ? (h(cx, cy) + h(cx + 1, cy + 1)) / 2 : (h(cx, cy + 1) + h(cx + 1, cy)) / 2;
        const float other =
            rises ? (h(cx, cy + 1) + h(cx + 1, cy)) / 2 : (h(cx, cy) + h(cx + 1, cy + 1)) / 2;
        EXPECT_NEAR(centre, joined, 1e-3) << std::hex << lb << " " << cx << "," << cy;
        ASSERT_GT(std::abs(joined - other), 1.0f);
        (rises ? rising : falling) += 1;
      }
    }
  }
  EXPECT_GT(rising, 0);
  EXPECT_GT(falling, 0);
}

TEST(IsRoadCell, ReadsTheWordTheBakesRoadTestReads) {
  TerrainWords terrain{};
  terrain[8] = 0x0001;  // column 0, row 8 as a vertex
  EXPECT_TRUE(is_road_cell(terrain, 1, 0));
  terrain[8] = 0x0004;  // terrain type 1, no road bits
  EXPECT_FALSE(is_road_cell(terrain, 1, 0));
}

}  // namespace
}  // namespace torvanel::preview
