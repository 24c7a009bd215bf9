#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "torvanel/common/flat_map.hpp"
#include "torvanel/common/math.hpp"
#include "torvanel/common/reader.hpp"
#include "torvanel/dat/graphics.hpp"
#include "torvanel/dat/physics.hpp"

namespace torvanel::dat {

// A graphics object record (ids 0x01...). The bake uses only the vertex
// positions; every other field is decoded to reach the end of the record.
struct GfxObj {
  static constexpr uint32_t kHasPhysics = 0x1;  // physics polygons and tree
  static constexpr uint32_t kHasDrawing = 0x2;  // drawing polygons and tree
  static constexpr uint32_t kHasDegrade = 0x8;  // `degrade_id`

  uint32_t id = 0;
  uint32_t flags = 0;  // bits other than the three above are ignored
  std::vector<uint32_t> surfaces;
  CVertexArray vertex_array;
  common::FlatMap<uint16_t, Polygon> physics_polygons;  // when kHasPhysics
  std::optional<BspNode> physics_bsp;                   // when kHasPhysics
  Vector3 center;
  common::FlatMap<uint16_t, Polygon> polygons;  // when kHasDrawing
  std::optional<BspNode> drawing_bsp;           // when kHasDrawing
  std::optional<uint32_t> degrade_id;           // when kHasDegrade

  // Fields in wire order: id, flags, surfaces (smart vec), vertex array,
  // [physics polygons, physics tree], center, [polygons, drawing tree],
  // [degrade id]. Polygon maps are a packed u32 count of (u16 id, Polygon)
  // entries, a repeated id replacing the earlier polygon. Bytes after the
  // last field are ignored.
  static ReadResult<GfxObj> unpack(Reader& r);
  bool operator==(const GfxObj&) const = default;
};

}  // namespace torvanel::dat
