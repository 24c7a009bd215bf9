#pragma once

#include <cstdint>
#include <vector>

#include "torvanel/dat/landblock.hpp"
#include "torvanel/writer/byte_writer.hpp"

namespace torvanel::writer {

// The landblock records byte for byte, so that unpack(encode(x)) == x. A
// value that cannot be written faithfully (a list too long for its count)
// stops the program.

// 252 bytes, the padding byte zero.
std::vector<uint8_t> encode(const dat::CellLandblock& block);
// pack_mask bit 0 must agree with the presence of restriction_tables.
std::vector<uint8_t> encode(const dat::LandblockInfo& info);

void write(ByteWriter& w, const dat::Stab& stab);
// Zero padding after an odd number of stabs.
void write(ByteWriter& w, const dat::PortalInternal& portal);
void write(ByteWriter& w, const dat::BuildInfo& building);
// Pairs in key order, bucket size 0.
void write(ByteWriter& w, const dat::RestrictionTable& table);

}  // namespace torvanel::writer
