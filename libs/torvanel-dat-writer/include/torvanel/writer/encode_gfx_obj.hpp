#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "torvanel/common/math.hpp"
#include "torvanel/dat/file_type/gfx_obj.hpp"
#include "torvanel/dat/graphics.hpp"
#include "torvanel/dat/physics.hpp"
#include "torvanel/writer/byte_writer.hpp"

namespace torvanel::writer {

// Graphics-object records byte for byte, so that unpack(encode(x)) == x.
// `flags` decides which sections are written; a tree or degrade id it
// announces must be present. Values that cannot be written faithfully (a
// count too large for its field, a portal without both children) stop the
// program. A sphere or solid value that the tree's kind calls for and the
// node lacks is written as zeros.
std::vector<uint8_t> encode(const dat::GfxObj& gfx);

void write(ByteWriter& w, const dat::Vec2Duv& uv);
void write(ByteWriter& w, const dat::SWVertex& vertex);
// The vertices are written only for vertex type 1, as the reader reads them;
// for any other type the count is 0.
void write(ByteWriter& w, const dat::CVertexArray& array);
// `vertex_count` is written as stored; each list present by flags and sides
// must hold that many entries.
void write(ByteWriter& w, const dat::Polygon& polygon);
void write(ByteWriter& w, const dat::PortalPoly& portal);
// A node with its tag and its subtree. An internal node writes `node_type`
// and the children it holds, which must be those its tag announces.
void write(ByteWriter& w, const dat::BspNode& node, dat::BspTreeKind kind);
// The rest of a portal node after its tag.
void write(ByteWriter& w, const dat::BspPortal& portal, dat::BspTreeKind kind);

// A graphics object with physics and drawing sections made from vertex
// positions (at most 65536): vertex i has id i, a normal up and one texture
// coordinate; the polygons are the triangle fan around vertex 0, polygon i
// joining vertices 0, i + 1, i + 2, in both polygon maps. The trees are
// balanced over the polygon ids, at most 8 polygons per bottom node: only
// their shape and sizes are realistic, their planes and spheres are the
// bounding sphere's. `center` is the centre of the bounding box.
dat::GfxObj gfx_obj_from_vertices(uint32_t id, std::span<const common::Vector3> positions);

}  // namespace torvanel::writer
