#include "torvanel/brambolt/footprint.hpp"

#include "obstacles.hpp"

namespace torvanel::brambolt {

Footprint place_footprint(std::span<const common::Vector3> vertices, float scale, float sin_h,
                          float cos_h, float x, float y) {
  // Four vertices at a time, each lane keeping its own extremes; the tail
  // and the lanes' extremes then go through the one-vertex rule. The rule is
  // written as comparisons, not min/max: a NaN coordinate changes nothing.
  // Lanes see the vertices in another order than one at a time would, so
  // where +0 and -0 tie either may be kept; no comparison tells them apart.
  Lanes min_x = {kInf, kInf, kInf, kInf}, min_y = min_x;
  Lanes max_x = -min_x, max_y = -min_x;
  size_t i = 0;
  for (; i + 4 <= vertices.size(); i += 4) {
    const common::Vector3* v = &vertices[i];
    const Lanes a = Lanes{v[0].x, v[1].x, v[2].x, v[3].x} * scale;
    const Lanes b = Lanes{v[0].y, v[1].y, v[2].y, v[3].y} * scale;
    const Lanes wx = (a * cos_h - b * sin_h) + x;
    const Lanes wy = (a * sin_h + b * cos_h) + y;
    min_x = wx < min_x ? wx : min_x;
    max_x = wx > max_x ? wx : max_x;
    min_y = wy < min_y ? wy : min_y;
    max_y = wy > max_y ? wy : max_y;
  }

  Footprint box{kInf, kInf, -kInf, -kInf};
  auto take = [&box](float lo_x, float lo_y, float hi_x, float hi_y) {
    if (lo_x < box.min_x) box.min_x = lo_x;
    if (hi_x > box.max_x) box.max_x = hi_x;
    if (lo_y < box.min_y) box.min_y = lo_y;
    if (hi_y > box.max_y) box.max_y = hi_y;
  };
  for (int lane = 0; lane < 4; ++lane) take(min_x[lane], min_y[lane], max_x[lane], max_y[lane]);
  for (; i < vertices.size(); ++i) {
    const float a = vertices[i].x * scale;
    const float b = vertices[i].y * scale;
    const float wx = (a * cos_h - b * sin_h) + x;
    const float wy = (a * sin_h + b * cos_h) + y;
    take(wx, wy, wx, wy);
  }
  return box;
}

}  // namespace torvanel::brambolt
