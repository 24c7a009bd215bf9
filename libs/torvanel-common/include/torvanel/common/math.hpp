#pragma once

#include "torvanel/common/reader.hpp"

namespace torvanel::common {

// Geometric values embedded in every record family. All components are
// little-endian f32 on the wire, in declaration order, without padding.
// Nothing is validated or normalised: NaNs and infinities pass through.

struct Vector3 {
  float x = 0, y = 0, z = 0;

  static ReadResult<Vector3> read(Reader& r);
  bool operator==(const Vector3&) const = default;
};

// `w` is the scalar part; a heading h about z is (cos h/2, 0, 0, sin h/2).
struct Quaternion {
  float w = 0, x = 0, y = 0, z = 0;

  static ReadResult<Quaternion> read(Reader& r);
  bool operator==(const Quaternion&) const = default;
};

struct Plane {
  Vector3 normal;
  float d = 0;

  static ReadResult<Plane> read(Reader& r);
  bool operator==(const Plane&) const = default;
};

struct Sphere {
  Vector3 center;
  float radius = 0;

  static ReadResult<Sphere> read(Reader& r);
  bool operator==(const Sphere&) const = default;
};

// A position with an orientation, 28 bytes on the wire.
struct Frame {
  Vector3 origin;
  Quaternion orientation;

  static ReadResult<Frame> read(Reader& r);
  bool operator==(const Frame&) const = default;
};

}  // namespace torvanel::common
