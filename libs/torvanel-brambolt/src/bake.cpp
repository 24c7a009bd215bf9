#include "torvanel/brambolt/bake.hpp"

#include <cmath>
#include <limits>

#include "cell_index.hpp"
#include "obstacles.hpp"
#include "torvanel/brambolt/height.hpp"
#include "torvanel/brambolt/noise.hpp"

// Positions, heights, headings and scales are single precision; noise values
// and the products that involve them are double precision and are narrowed
// exactly where written. Hashes wrap modulo 2^32. Every comparison is written
// so that NaN takes the same branch as in every other baker of the world.

namespace torvanel::brambolt {
namespace {

// Degrees to radians as the single-precision constant 0.0174533 widened.
constexpr double kDegreesToRadians = static_cast<double>(0.0174533f);

constexpr float kLandblockSize = 192.0f;
constexpr float kCellSize = 24.0f;

// Enough for a densely planted landblock, so that one allocation serves.
constexpr size_t kExpectedObjects = 256;

// Truncates toward zero; negative and NaN give 0, too large the maximum.
uint64_t saturating_u64(double v) {
  if (!(v > 0.0)) return 0;
  if (v >= 18446744073709551616.0) return std::numeric_limits<uint64_t>::max();
  return static_cast<uint64_t>(v);
}

bool is_finite(const Placement& p) {
  for (float v : {p.x, p.y, p.z, p.qw, p.qx, p.qy, p.qz, p.scale}) {
    if (!std::isfinite(v)) return false;
  }
  return true;
}

// The candidate scene ids of terrain word `word`, or nullptr when its terrain
// type, scene slot or scene type lies outside the region's tables.
const std::vector<uint32_t>* scene_list(const dat::Region& region, uint16_t word) {
  const auto& terrain_types = region.terrain_desc.terrain_types;
  uint32_t terrain_type = (word >> 2) & 0x1F;
  if (terrain_type >= terrain_types.size()) return nullptr;
  const auto& slots = terrain_types[terrain_type].scene_types;
  uint32_t slot = word >> 11;
  if (slot >= slots.size()) return nullptr;
  const auto& scene_types = region.scene_desc->scene_types;
  uint32_t scene_type = slots[slot];
  if (scene_type >= scene_types.size()) return nullptr;
  return &scene_types[scene_type].scenes;
}

}  // namespace

std::vector<Placement> bake_landblock_impl(const dat::Region& region,
                                           const dat::CellLandblock& cell, uint32_t key,
                                           SceneLookup scenes, ModelLookup models,
                                           std::span<const Footprint> buildings, BakeMode mode) {
  if (!region.scene_desc) return {};
  const HeightGrid heights = vertex_heights(region, cell);
  const auto& terrain = cell.terrain;
  const uint32_t landblock_id = key >> 16;
  const uint32_t lb_x = key >> 24;
  const uint32_t lb_y = (key >> 16) & 0xFF;

  // The buildings, then every accepted object's footprint in acceptance
  // order: the order in which candidates are tested against them.
  Obstacles obstacles(buildings.size() + kExpectedObjects);
  for (const Footprint& building : buildings) obstacles.add(building);
  std::vector<Placement> out;
  out.reserve(kExpectedObjects);

  for (uint32_t i = 0; i < terrain.size(); ++i) {
    const std::vector<uint32_t>* candidates = scene_list(region, terrain[i]);
    if (candidates == nullptr || candidates->empty()) continue;

    const uint32_t cx = i / 9, cy = i % 9;
    const uint32_t gx = lb_x * 8 + cx, gy = lb_y * 8 + cy;

    const uint32_t n = static_cast<uint32_t>(candidates->size());
    uint64_t j = saturating_u64(static_cast<double>(n) * noise(scene_hash(gx, gy)));
    if (j >= n) j = 0;
    const dat::Scene* scene = scenes((*candidates)[j]);
    if (scene == nullptr || scene->objects.empty()) continue;

    const VertexNoise vertex = VertexNoise::at(gx, gy);
    const float ox = kCellSize * static_cast<float>(cx);
    const float oy = kCellSize * static_cast<float>(cy);

    for (uint32_t k = 0; k < scene->objects.size(); ++k) {
      const dat::ObjectDesc& d = scene->objects[k];
      if (!(static_cast<double>(d.frequency) > vertex.frequency)) continue;
      if (d.skip_flag != 0) continue;

      // Displacement within the cell; a NaN range counts as positive.
      float dx = d.frame.origin.x;
      if (!(d.displace_x <= 0.0f)) {
        const double offset = static_cast<double>(d.displace_x) * vertex.object(k, kSaltDisplaceX);
        dx = static_cast<float>(static_cast<double>(d.frame.origin.x) + offset);
      }
      float dy = d.frame.origin.y;
      if (!(d.displace_y <= 0.0f)) {
        const double offset = static_cast<double>(d.displace_y) * vertex.object(k, kSaltDisplaceY);
        dy = static_cast<float>(static_cast<double>(d.frame.origin.y) + offset);
      }

      // The vertex turns all its objects by the same quarter turns.
      float ex, ey;
      if (vertex.quadrant < 0.25) {
        ex = dx, ey = dy;
      } else if (vertex.quadrant < 0.5) {
        ex = -dy, ey = dx;
      } else if (vertex.quadrant < 0.75) {
        ex = -dx, ey = -dy;
      } else {
        ex = dy, ey = -dx;
      }

      const float px = ex + ox;
      const float py = ey + oy;
      if (px > kLandblockSize || px < 0.0f || py < 0.0f || py > kLandblockSize) continue;

      // The road bits are looked up with a stride of 8, not the grid's 9.
      const int64_t rx = cell_of(px), ry = cell_of(py);
      if (rx >= 0 && ry >= 0) {
        const int64_t r = rx * 8 + ry;
        if (r < static_cast<int64_t>(terrain.size()) &&
            (terrain[static_cast<size_t>(r)] & 3) != 0) {
          continue;
        }
      }

      float z;
      if (mode == BakeMode::Strict) {
        const float slope = slope_at(heights, px, py);
        if (slope < d.min_slope || slope > d.max_slope) continue;
        z = bilinear_height_from_grid(heights, px, py);
      } else {
        z = triangle_plane_height_from_grid(heights, landblock_id, px, py);
      }

      float heading = 0.0f;
      if (!(d.max_rotation <= 0.0f)) {
        heading = static_cast<float>((static_cast<double>(d.max_rotation) *
                                      vertex.object(k, kSaltHeading)) *
                                     kDegreesToRadians);
      }
      const float qw = cosf(heading * 0.5f);
      const float qz = sinf(heading * 0.5f);

      float scale = d.max_scale;
      if (d.min_scale != d.max_scale) {
        scale = static_cast<float>(
            std::pow(static_cast<double>(d.max_scale) / static_cast<double>(d.min_scale),
                     vertex.object(k, kSaltScale)) *
            static_cast<double>(d.min_scale));
      }

      const std::vector<common::Vector3>* model = models(d.obj_id);
      if (model == nullptr) continue;
      const Footprint box = place_footprint(*model, scale, sinf(heading), cosf(heading), px, py);
      if (obstacles.overlaps(box)) continue;

      obstacles.add(box);
      const Placement placement{d.obj_id, px, py, z, qw, 0.0f, 0.0f, qz, scale, cx, cy, k};
      // The object still blocks later ones, but a non-finite value has no
      // place in the output.
      if (is_finite(placement)) out.push_back(placement);
    }
  }
  return out;
}

}  // namespace torvanel::brambolt
