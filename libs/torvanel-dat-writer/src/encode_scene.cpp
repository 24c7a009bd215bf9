#include "torvanel/writer/encode_scene.hpp"

#include <numbers>

#include "require.hpp"
#include "torvanel/writer/encode_math.hpp"

namespace torvanel::writer {

std::vector<uint8_t> encode(const dat::Scene& scene) {
  ByteWriter w;
  w.u32(scene.id);
  w.u32(checked_count<uint32_t>(scene.objects.size(), "too many scene objects"));
  for (const auto& object : scene.objects) write(w, object);
  return w.take();
}

void write(ByteWriter& w, const dat::ObjectDesc& d) {
  w.u32(d.obj_id);
  write(w, d.frame);
  w.f32(d.frequency);
  w.f32(d.displace_x);
  w.f32(d.displace_y);
  w.f32(d.min_scale);
  w.f32(d.max_scale);
  w.f32(d.max_rotation);
  w.f32(d.min_slope);
  w.f32(d.max_slope);
  w.u32(d.extra_value_1);
  w.u32(d.extra_value_2);
  w.u32(d.skip_flag);
}

dat::ObjectDesc object_desc_at(uint32_t obj_id, common::Vector3 origin) {
  dat::ObjectDesc d;
  d.obj_id = obj_id;
  d.frame.origin = origin;
  d.frame.orientation = {1, 0, 0, 0};
  d.frequency = 1;
  d.min_scale = 1;
  d.max_scale = 1;
  d.max_slope = std::numbers::pi_v<float> / 2;
  return d;
}

}  // namespace torvanel::writer
