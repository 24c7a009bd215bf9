#pragma once

#include <cstdint>
#include <vector>

#include "torvanel/dat/file_type/setup_model.hpp"
#include "torvanel/writer/byte_writer.hpp"

namespace torvanel::writer {

// Setup-model records byte for byte, so that unpack(encode(x)) == x. The
// lists `flags` announces and every placement's frames must hold one entry
// per part, or the program stops. A hook's `data` is written as stored: it
// must be the payload and padding its type gives. Absent optional values
// are written as 0.
std::vector<uint8_t> encode(const dat::SetupModel& setup);

void write(ByteWriter& w, const dat::LocationType& location);
void write(ByteWriter& w, const dat::CylSphere& cyl_sphere);
void write(ByteWriter& w, const dat::LightInfo& light);
void write(ByteWriter& w, const dat::AnimationHook& hook);
void write(ByteWriter& w, const dat::PlacementType& placement);

// A setup of the given graphics-object parts and nothing else but one
// placement (key 0) holding an identity frame per part and no hooks.
dat::SetupModel setup_model_from_parts(uint32_t id, std::vector<uint32_t> parts);

}  // namespace torvanel::writer
