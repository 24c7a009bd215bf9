#pragma once

#include <cstdint>
#include <vector>

#include "torvanel/common/math.hpp"
#include "torvanel/dat/file_type/object_desc.hpp"
#include "torvanel/dat/file_type/scene.hpp"
#include "torvanel/writer/byte_writer.hpp"

namespace torvanel::writer {

// Scene records byte for byte, so that unpack(encode(x)) == x.
std::vector<uint8_t> encode(const dat::Scene& scene);

void write(ByteWriter& w, const dat::ObjectDesc& object);

// An object that is always a candidate: frequency 1, scale 1, no
// displacement or rotation, any slope from 0 to 90 degrees accepted, at
// `origin` with the identity orientation.
dat::ObjectDesc object_desc_at(uint32_t obj_id, common::Vector3 origin = {});

}  // namespace torvanel::writer
