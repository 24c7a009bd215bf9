#include "torvanel/dat/file_type/object_desc.hpp"

namespace torvanel::dat {

ReadResult<ObjectDesc> ObjectDesc::unpack(Reader& r) {
  ObjectDesc d;
  TV_TRY(d.obj_id, r.u32());
  TV_TRY(d.frame, Frame::read(r));
  TV_TRY(d.frequency, r.f32());
  TV_TRY(d.displace_x, r.f32());
  TV_TRY(d.displace_y, r.f32());
  TV_TRY(d.min_scale, r.f32());
  TV_TRY(d.max_scale, r.f32());
  TV_TRY(d.max_rotation, r.f32());
  TV_TRY(d.min_slope, r.f32());
  TV_TRY(d.max_slope, r.f32());
  TV_TRY(d.extra_value_1, r.u32());
  TV_TRY(d.extra_value_2, r.u32());
  TV_TRY(d.skip_flag, r.u32());
  return d;
}

}  // namespace torvanel::dat
