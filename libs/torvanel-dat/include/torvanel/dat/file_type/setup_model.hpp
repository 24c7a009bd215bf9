#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "torvanel/common/flat_map.hpp"
#include "torvanel/common/math.hpp"
#include "torvanel/common/reader.hpp"

namespace torvanel::dat {

using common::Frame;
using common::ReadResult;
using common::Reader;
using common::Sphere;
using common::Vector3;

// 32 bytes.
struct LocationType {
  int32_t part_id = 0;
  Frame frame;

  static ReadResult<LocationType> unpack(Reader& r);
  bool operator==(const LocationType&) const = default;
};

// 20 bytes.
struct CylSphere {
  Vector3 origin;
  float radius = 0;
  float height = 0;

  static ReadResult<CylSphere> unpack(Reader& r);
  bool operator==(const CylSphere&) const = default;
};

// 44 bytes.
struct LightInfo {
  Frame viewer_space_location;
  uint32_t color = 0;
  float intensity = 0;
  float falloff = 0;
  float cone_angle = 0;

  static ReadResult<LightInfo> unpack(Reader& r);
  bool operator==(const LightInfo&) const = default;
};

// A u32 type (0 to 26), a u32 value, then the payload the type fixes and
// the padding that brings the hook, counted from its type, to a multiple
// of 4 bytes. Type 5 is the only variable payload: a byte, a u16, and a
// second u16 only when the first has 0x8000 set.
struct AnimationHook {
  static constexpr uint32_t kMaxType = 26;
  static constexpr uint32_t kVariableType = 5;

  uint32_t hook_type = 0;
  uint32_t hook_value = 0;
  std::vector<uint8_t> data;  // payload and padding, as read

  // A type above kMaxType is the custom failure "Unsupported AnimationHook
  // type: 0x{:08X}" at the position after `hook_value`.
  static ReadResult<AnimationHook> unpack(Reader& r);
  bool operator==(const AnimationHook&) const = default;
};

// One frame per part of the owning setup (no count on the wire), then a
// u32 count of hooks.
struct PlacementType {
  std::vector<Frame> frames;
  std::vector<AnimationHook> hooks;

  static ReadResult<PlacementType> read(Reader& r, uint32_t part_count);
  bool operator==(const PlacementType&) const = default;
};

// A setup model record (ids 0x02...): a model made of graphics-object
// parts. The bake reads only `parts`; everything else is kept as stored.
struct SetupModel {
  static constexpr uint32_t kHasPartValues = 0x1;
  static constexpr uint32_t kHasPartVectors = 0x2;

  uint32_t id = 0;
  uint32_t flags = 0;  // other bits kept, no effect
  std::vector<uint32_t> parts;
  std::vector<uint32_t> part_values;  // parts.size() entries when kHasPartValues
  std::vector<Vector3> part_vectors;  // parts.size() entries when kHasPartVectors
  common::FlatMap<uint32_t, LocationType> location_map_a;
  common::FlatMap<uint32_t, LocationType> location_map_b;
  common::FlatMap<uint32_t, PlacementType> placements;
  std::vector<CylSphere> cyl_spheres;
  std::vector<Sphere> spheres;
  uint32_t extra_value_1 = 0;
  uint32_t extra_value_2 = 0;
  uint32_t extra_value_3 = 0;
  uint32_t extra_value_4 = 0;
  Sphere sphere_a;
  Sphere sphere_b;
  common::FlatMap<uint32_t, LightInfo> lights;
  // Stored as u32; 0 means absent.
  std::optional<uint32_t> optional_value_1;
  std::optional<uint32_t> optional_value_2;
  std::optional<uint32_t> optional_value_3;
  std::optional<uint32_t> optional_value_4;
  std::optional<uint32_t> optional_value_5;

  // Maps are a u32 count of (u32 key, value) entries, a repeated key
  // replacing the earlier entry. The placement count is signed: a negative
  // one is the custom failure "SetupModel 0x{:08X} declared negative
  // placement count {}" at the position after the count. Bytes after the
  // last optional value are ignored.
  static ReadResult<SetupModel> unpack(Reader& r);
  bool operator==(const SetupModel&) const = default;
};

}  // namespace torvanel::dat
