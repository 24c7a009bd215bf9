#pragma once

#include <cstdint>
#include <type_traits>

#include "torvanel/common/math.hpp"
#include "torvanel/common/reader.hpp"

namespace torvanel::dat {

using common::Frame;
using common::ReadResult;
using common::Reader;

// One object template of a scene, 76 bytes on the wire in field order.
// Nothing is validated: frequencies, scale and slope ranges are kept as
// stored, whatever their values.
struct ObjectDesc {
  uint32_t obj_id = 0;  // graphics object (0x01...) or setup model (0x02...)
  Frame frame;          // relative to the terrain vertex
  float frequency = 0;
  float displace_x = 0;    // <= 0: no displacement along x
  float displace_y = 0;    // <= 0: no displacement along y
  float min_scale = 0;
  float max_scale = 0;
  float max_rotation = 0;  // degrees; <= 0: heading 0
  float min_slope = 0;     // radians
  float max_slope = 0;     // radians
  uint32_t extra_value_1 = 0;
  uint32_t extra_value_2 = 0;
  uint32_t skip_flag = 0;  // nonzero: never placed

  // Adds no context of its own; a failure inside `frame` carries the
  // geometry readers' contexts only.
  static ReadResult<ObjectDesc> unpack(Reader& r);
  bool operator==(const ObjectDesc&) const = default;
};

// Object lists are copied as one block.
static_assert(std::is_trivially_copyable_v<ObjectDesc>);

}  // namespace torvanel::dat
