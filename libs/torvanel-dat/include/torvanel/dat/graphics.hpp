#pragma once

// Vertex arrays and polygons of graphics objects.

#include <cstdint>
#include <vector>

#include "torvanel/common/flat_map.hpp"
#include "torvanel/common/math.hpp"
#include "torvanel/common/reader.hpp"

namespace torvanel::dat {

using common::Frame;
using common::ReadResult;
using common::Reader;
using common::Vector3;

// A texture coordinate, 8 bytes.
struct Vec2Duv {
  float u = 0;
  float v = 0;

  static ReadResult<Vec2Duv> read(Reader& r);
  bool operator==(const Vec2Duv&) const = default;
};

// A vertex: a u16 count of texture coordinates, origin, normal, then the
// coordinates. The count is not kept apart from `uvs.size()`.
struct SWVertex {
  Vector3 origin;  // in the object's own frame
  Vector3 normal;
  std::vector<Vec2Duv> uvs;

  static ReadResult<SWVertex> read(Reader& r);
  bool operator==(const SWVertex&) const = default;
};

// A u32 vertex type and a u32 count. Only type 1 is followed by its
// vertices (u16 id, SWVertex); for any other type the array ends after the
// count and `vertices` is empty. A repeated id replaces the earlier vertex.
struct CVertexArray {
  static constexpr uint32_t kSWVertexType = 1;

  uint32_t vertex_type = 0;
  common::FlatMap<uint16_t, SWVertex> vertices;

  static ReadResult<CVertexArray> read(Reader& r);
  bool operator==(const CVertexArray&) const = default;
};

// A polygon. `vertex_count` sizes every list; a list the flags or sides
// leave out is empty.
struct Polygon {
  static constexpr uint8_t kNoFrontUvs = 0x4;  // `front_uv_indices` absent
  static constexpr uint8_t kNoBackUvs = 0x8;   // `back_uv_indices` absent
  static constexpr uint32_t kTwoSided = 2;     // `sides` value that admits back indices

  uint8_t vertex_count = 0;
  uint8_t flags = 0;
  uint32_t sides = 0;
  int16_t front_surface = 0;
  int16_t back_surface = 0;
  std::vector<uint16_t> vertex_ids;
  std::vector<uint8_t> front_uv_indices;  // unless flags has kNoFrontUvs
  std::vector<uint8_t> back_uv_indices;   // when two-sided and flags lack kNoBackUvs

  bool has_front_uvs() const { return (flags & kNoFrontUvs) == 0; }
  bool has_back_uvs() const { return sides == kTwoSided && (flags & kNoBackUvs) == 0; }

  static ReadResult<Polygon> read(Reader& r);
  bool operator==(const Polygon&) const = default;
};

}  // namespace torvanel::dat
