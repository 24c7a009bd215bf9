#include "torvanel/common/math.hpp"

namespace torvanel::common {

ReadResult<Vector3> Vector3::read(Reader& r) {
  static constexpr Fields F{"Vector3"};
  Vector3 v;
  TV_TRY(v.x, F("x", r.f32()));
  TV_TRY(v.y, F("y", r.f32()));
  TV_TRY(v.z, F("z", r.f32()));
  return v;
}

ReadResult<Quaternion> Quaternion::read(Reader& r) {
  static constexpr Fields F{"Quaternion"};
  Quaternion q;
  TV_TRY(q.w, F("w", r.f32()));
  TV_TRY(q.x, F("x", r.f32()));
  TV_TRY(q.y, F("y", r.f32()));
  TV_TRY(q.z, F("z", r.f32()));
  return q;
}

ReadResult<Plane> Plane::read(Reader& r) {
  static constexpr Fields F{"Plane"};
  Plane p;
  TV_TRY(p.normal, F("normal", Vector3::read(r)));
  TV_TRY(p.d, F("d", r.f32()));
  return p;
}

ReadResult<Sphere> Sphere::read(Reader& r) {
  static constexpr Fields F{"Sphere"};
  Sphere s;
  TV_TRY(s.center, F("center", Vector3::read(r)));
  TV_TRY(s.radius, F("radius", r.f32()));
  return s;
}

ReadResult<Frame> Frame::read(Reader& r) {
  static constexpr Fields F{"Frame"};
  Frame f;
  TV_TRY(f.origin, F("origin", Vector3::read(r)));
  TV_TRY(f.orientation, F("orientation", Quaternion::read(r)));
  return f;
}

}  // namespace torvanel::common
