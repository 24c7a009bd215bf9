#pragma once

#include <span>

#include "torvanel/common/math.hpp"

namespace torvanel::brambolt {

// An axis-aligned box in landblock-local units. Boxes that only touch
// overlap.
struct Footprint {
  float min_x = 0, min_y = 0, max_x = 0, max_y = 0;

  bool operator==(const Footprint&) const = default;
};

// The box around `vertices` (their z unused) scaled by `scale`, turned by
// the heading whose sine and cosine are given, and moved to (x, y). An
// empty list, or one of NaN vertices only, gives the inverted box
// (+inf, +inf, -inf, -inf), which overlaps nothing.
Footprint place_footprint(std::span<const common::Vector3> vertices, float scale, float sin_h,
                          float cos_h, float x, float y);

}  // namespace torvanel::brambolt
