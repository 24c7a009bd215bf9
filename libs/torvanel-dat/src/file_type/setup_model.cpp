#include "torvanel/dat/file_type/setup_model.hpp"

#include <fmt/format.h>

#include <array>
#include <utility>

namespace torvanel::dat {

namespace {

using common::BinReadError;
using common::Fields;
using common::FlatMap;
using common::read_list;

// Payload bytes by hook type; type 5 has 3 or 5 and is read apart.
constexpr std::array<uint8_t, AnimationHook::kMaxType + 1> kHookPayloadSize{
    0, 4, 4, 28, 0, 3, 4, 16, 12, 16, 12, 16, 8, 40, 4,
    4, 4, 0, 4, 8, 12, 16, 12, 8, 12, 4, 40};

// Smallest wire sizes, for capping reservations by the remaining bytes.
constexpr uint64_t kFrameSize = 28;
constexpr uint64_t kVector3Size = 12;
constexpr uint64_t kSphereSize = 16;
constexpr uint64_t kLocationTypeSize = 32;
constexpr uint64_t kCylSphereSize = 20;
constexpr uint64_t kLightInfoSize = 44;
constexpr uint64_t kMinHookSize = 8;

void append(std::vector<uint8_t>& out, std::span<const uint8_t> bytes) {
  out.insert(out.end(), bytes.begin(), bytes.end());
}

ReadResult<std::vector<uint32_t>> read_u32_list(Reader& r, uint64_t count) {
  return read_list<uint32_t>(r, count, 4, [](Reader& in) { return in.u32(); });
}

// A u32 count, then (u32 key, value) entries, each value of at least
// `min_value_size` bytes.
template <class V, class ReadValue>
ReadResult<FlatMap<uint32_t, V>> read_map(Reader& r, uint64_t count, uint64_t min_value_size,
                                          ReadValue&& read_value) {
  using Entry = std::pair<uint32_t, V>;
  TV_TRY(auto entries, read_list<Entry>(r, count, 4 + min_value_size,
                                        [&](Reader& in) -> ReadResult<Entry> {
                                          TV_TRY(uint32_t key, in.u32());
                                          TV_TRY(V value, read_value(in));
                                          return Entry{key, std::move(value)};
                                        }));
  return FlatMap<uint32_t, V>::from_entries(std::move(entries));
}

template <class V, class ReadValue>
ReadResult<FlatMap<uint32_t, V>> read_counted_map(Reader& r, uint64_t min_value_size,
                                                  ReadValue&& read_value) {
  TV_TRY(uint32_t count, r.u32());
  return read_map<V>(r, count, min_value_size, std::forward<ReadValue>(read_value));
}

template <class T, class ReadOne>
ReadResult<std::vector<T>> read_counted_list(Reader& r, uint64_t element_size,
                                             ReadOne&& read_one) {
  TV_TRY(uint32_t count, r.u32());
  return read_list<T>(r, count, element_size, std::forward<ReadOne>(read_one));
}

// A trailing u32 in which 0 stands for absent.
ReadResult<std::optional<uint32_t>> read_optional_u32(Reader& r) {
  TV_TRY(uint32_t value, r.u32());
  return value == 0 ? std::nullopt : std::optional<uint32_t>(value);
}

}  // namespace

ReadResult<LocationType> LocationType::unpack(Reader& r) {
  static constexpr Fields F{"LocationType"};
  LocationType l;
  TV_TRY(l.part_id, F("part_id", r.i32()));
  TV_TRY(l.frame, F("frame", Frame::read(r)));
  return l;
}

ReadResult<CylSphere> CylSphere::unpack(Reader& r) {
  static constexpr Fields F{"CylSphere"};
  CylSphere c;
  TV_TRY(c.origin, F("origin", Vector3::read(r)));
  TV_TRY(c.radius, F("radius", r.f32()));
  TV_TRY(c.height, F("height", r.f32()));
  return c;
}

ReadResult<LightInfo> LightInfo::unpack(Reader& r) {
  static constexpr Fields F{"LightInfo"};
  LightInfo l;
  TV_TRY(l.viewer_space_location, F("viewer_space_location", Frame::read(r)));
  TV_TRY(l.color, F("color", r.u32()));
  TV_TRY(l.intensity, F("intensity", r.f32()));
  TV_TRY(l.falloff, F("falloff", r.f32()));
  TV_TRY(l.cone_angle, F("cone_angle", r.f32()));
  return l;
}

ReadResult<AnimationHook> AnimationHook::unpack(Reader& r) {
  const uint64_t start = r.position();
  AnimationHook h;
  TV_TRY(h.hook_type, r.u32());
  TV_TRY(h.hook_value, r.u32());
  if (h.hook_type > kMaxType) {
    return std::unexpected(BinReadError::custom(
        fmt::format("Unsupported AnimationHook type: 0x{:08X}", h.hook_type), r.position()));
  }
  TV_TRY(auto payload, r.bytes(kHookPayloadSize[h.hook_type]));
  append(h.data, payload);
  if (h.hook_type == kVariableType && (payload[2] & 0x80) != 0) {
    // The u16 after the leading byte has 0x8000 set: a second u16 follows.
    TV_TRY(auto second, r.bytes(2));
    append(h.data, second);
  }
  TV_TRY(auto padding, r.bytes((start - r.position()) % 4));
  append(h.data, padding);
  return h;
}

ReadResult<PlacementType> PlacementType::read(Reader& r, uint32_t part_count) {
  PlacementType p;
  TV_TRY(p.frames, read_list<Frame>(r, part_count, kFrameSize, Frame::read));
  TV_TRY(p.hooks, read_counted_list<AnimationHook>(r, kMinHookSize, AnimationHook::unpack));
  return p;
}

ReadResult<SetupModel> SetupModel::unpack(Reader& r) {
  SetupModel s;
  TV_TRY(s.id, r.u32());
  TV_TRY(s.flags, r.u32());
  TV_TRY(uint32_t part_count, r.u32());
  TV_TRY(s.parts, read_u32_list(r, part_count));
  if (s.flags & kHasPartValues) {
    TV_TRY(s.part_values, read_u32_list(r, part_count));
  }
  if (s.flags & kHasPartVectors) {
    TV_TRY(s.part_vectors, read_list<Vector3>(r, part_count, kVector3Size, Vector3::read));
  }
  TV_TRY(s.location_map_a,
         read_counted_map<LocationType>(r, kLocationTypeSize, LocationType::unpack));
  TV_TRY(s.location_map_b,
         read_counted_map<LocationType>(r, kLocationTypeSize, LocationType::unpack));
  TV_TRY(int32_t placement_count, r.i32());
  if (placement_count < 0) {
    return std::unexpected(BinReadError::custom(
        fmt::format("SetupModel 0x{:08X} declared negative placement count {}", s.id,
                    placement_count),
        r.position()));
  }
  // Each placement holds one frame per part and a hook count.
  TV_TRY(s.placements,
         read_map<PlacementType>(r, static_cast<uint64_t>(placement_count),
                                 kFrameSize * part_count + 4,
                                 [&](Reader& in) { return PlacementType::read(in, part_count); }));
  TV_TRY(s.cyl_spheres, read_counted_list<CylSphere>(r, kCylSphereSize, CylSphere::unpack));
  TV_TRY(s.spheres, read_counted_list<Sphere>(r, kSphereSize, Sphere::read));
  TV_TRY(s.extra_value_1, r.u32());
  TV_TRY(s.extra_value_2, r.u32());
  TV_TRY(s.extra_value_3, r.u32());
  TV_TRY(s.extra_value_4, r.u32());
  TV_TRY(s.sphere_a, Sphere::read(r));
  TV_TRY(s.sphere_b, Sphere::read(r));
  TV_TRY(s.lights, read_counted_map<LightInfo>(r, kLightInfoSize, LightInfo::unpack));
  TV_TRY(s.optional_value_1, read_optional_u32(r));
  TV_TRY(s.optional_value_2, read_optional_u32(r));
  TV_TRY(s.optional_value_3, read_optional_u32(r));
  TV_TRY(s.optional_value_4, read_optional_u32(r));
  TV_TRY(s.optional_value_5, read_optional_u32(r));
  return s;
}

}  // namespace torvanel::dat
