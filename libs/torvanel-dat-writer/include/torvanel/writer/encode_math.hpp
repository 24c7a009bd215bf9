#pragma once

#include "torvanel/common/math.hpp"
#include "torvanel/writer/byte_writer.hpp"

namespace torvanel::writer {

// The geometry values every record family embeds, in their wire order.
void write(ByteWriter& w, const common::Vector3& v);
void write(ByteWriter& w, const common::Quaternion& q);
void write(ByteWriter& w, const common::Plane& p);
void write(ByteWriter& w, const common::Sphere& s);
void write(ByteWriter& w, const common::Frame& f);

}  // namespace torvanel::writer
