#include "torvanel/writer/encode_setup_model.hpp"

#include <optional>
#include <utility>

#include "require.hpp"
#include "torvanel/writer/encode_math.hpp"

namespace torvanel::writer {
namespace {

template <class V>
void write_map(ByteWriter& w, const common::FlatMap<uint32_t, V>& map, const char* what) {
  w.u32(checked_count<uint32_t>(map.size(), what));
  for (const auto& [key, value] : map) {
    w.u32(key);
    write(w, value);
  }
}

template <class T>
void write_list(ByteWriter& w, const std::vector<T>& list, const char* what) {
  w.u32(checked_count<uint32_t>(list.size(), what));
  for (const auto& value : list) write(w, value);
}

}  // namespace

std::vector<uint8_t> encode(const dat::SetupModel& s) {
  const size_t parts = s.parts.size();
  ByteWriter w;
  w.u32(s.id);
  w.u32(s.flags);
  w.u32(checked_count<uint32_t>(parts, "too many parts"));
  for (uint32_t part : s.parts) w.u32(part);
  if (s.flags & dat::SetupModel::kHasPartValues) {
    require(s.part_values.size() == parts, "part values differ from the parts");
    for (uint32_t value : s.part_values) w.u32(value);
  }
  if (s.flags & dat::SetupModel::kHasPartVectors) {
    require(s.part_vectors.size() == parts, "part vectors differ from the parts");
    for (const auto& v : s.part_vectors) write(w, v);
  }
  write_map(w, s.location_map_a, "too many locations");
  write_map(w, s.location_map_b, "too many locations");
  for (const auto& [key, placement] : s.placements) {
    require(placement.frames.size() == parts, "placement frames differ from the parts");
  }
  w.i32(checked_count<int32_t>(s.placements.size(), "too many placements"));
  for (const auto& [key, placement] : s.placements) {
    w.u32(key);
    write(w, placement);
  }
  write_list(w, s.cyl_spheres, "too many cylinder spheres");
  write_list(w, s.spheres, "too many spheres");
  w.u32(s.extra_value_1);
  w.u32(s.extra_value_2);
  w.u32(s.extra_value_3);
  w.u32(s.extra_value_4);
  write(w, s.sphere_a);
  write(w, s.sphere_b);
  write_map(w, s.lights, "too many lights");
  for (const auto& value : {s.optional_value_1, s.optional_value_2, s.optional_value_3,
                            s.optional_value_4, s.optional_value_5}) {
    w.u32(value.value_or(0));
  }
  return w.take();
}

void write(ByteWriter& w, const dat::LocationType& l) {
  w.i32(l.part_id);
  write(w, l.frame);
}

void write(ByteWriter& w, const dat::CylSphere& c) {
  write(w, c.origin);
  w.f32(c.radius);
  w.f32(c.height);
}

void write(ByteWriter& w, const dat::LightInfo& l) {
  write(w, l.viewer_space_location);
  w.u32(l.color);
  w.f32(l.intensity);
  w.f32(l.falloff);
  w.f32(l.cone_angle);
}

void write(ByteWriter& w, const dat::AnimationHook& h) {
  w.u32(h.hook_type);
  w.u32(h.hook_value);
  w.bytes(h.data);
}

void write(ByteWriter& w, const dat::PlacementType& p) {
  for (const auto& frame : p.frames) write(w, frame);
  write_list(w, p.hooks, "too many hooks");
}

dat::SetupModel setup_model_from_parts(uint32_t id, std::vector<uint32_t> parts) {
  dat::SetupModel s;
  s.id = id;
  dat::PlacementType resting;
  resting.frames.assign(parts.size(), common::Frame{{}, {1, 0, 0, 0}});
  s.placements = common::FlatMap<uint32_t, dat::PlacementType>::from_entries(
      {{0, std::move(resting)}});
  s.parts = std::move(parts);
  return s;
}

}  // namespace torvanel::writer
