#include "torvanel/writer/encode_math.hpp"

namespace torvanel::writer {

void write(ByteWriter& w, const common::Vector3& v) {
  w.f32(v.x);
  w.f32(v.y);
  w.f32(v.z);
}

void write(ByteWriter& w, const common::Quaternion& q) {
  w.f32(q.w);
  w.f32(q.x);
  w.f32(q.y);
  w.f32(q.z);
}

void write(ByteWriter& w, const common::Plane& p) {
  write(w, p.normal);
  w.f32(p.d);
}

void write(ByteWriter& w, const common::Sphere& s) {
  write(w, s.center);
  w.f32(s.radius);
}

void write(ByteWriter& w, const common::Frame& f) {
  write(w, f.origin);
  write(w, f.orientation);
}

}  // namespace torvanel::writer
