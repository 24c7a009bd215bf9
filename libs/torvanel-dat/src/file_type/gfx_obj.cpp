#include "torvanel/dat/file_type/gfx_obj.hpp"

#include <utility>

#include "torvanel/dat/utils.hpp"

namespace torvanel::dat {

namespace {

// Id, vertex count, flags, sides and the two surfaces.
constexpr uint64_t kMinPolygonEntrySize = 2 + 1 + 1 + 4 + 2 + 2;

ReadResult<common::FlatMap<uint16_t, Polygon>> read_polygon_map(Reader& r) {
  using Entry = std::pair<uint16_t, Polygon>;
  TV_TRY(uint32_t count, read_compressed_u32(r));
  TV_TRY(auto entries, common::read_list<Entry>(r, count, kMinPolygonEntrySize,
                                                [](Reader& in) -> ReadResult<Entry> {
                                                  TV_TRY(uint16_t id, in.u16());
                                                  TV_TRY(Polygon polygon, Polygon::read(in));
                                                  return Entry{id, std::move(polygon)};
                                                }));
  return common::FlatMap<uint16_t, Polygon>::from_entries(std::move(entries));
}

}  // namespace

ReadResult<GfxObj> GfxObj::unpack(Reader& r) {
  GfxObj g;
  TV_TRY(g.id, r.u32());
  TV_TRY(g.flags, r.u32());
  TV_TRY(g.surfaces, read_smart_vec(r));
  TV_TRY(g.vertex_array, CVertexArray::read(r));
  if (g.flags & kHasPhysics) {
    TV_TRY(g.physics_polygons, read_polygon_map(r));
    TV_TRY(g.physics_bsp, BspNode::read(r, BspTreeKind::Physics));
  }
  TV_TRY(g.center, Vector3::read(r));
  if (g.flags & kHasDrawing) {
    TV_TRY(g.polygons, read_polygon_map(r));
    TV_TRY(g.drawing_bsp, BspNode::read(r, BspTreeKind::Drawing));
  }
  if (g.flags & kHasDegrade) {
    TV_TRY(g.degrade_id, r.u32());
  }
  return g;
}

}  // namespace torvanel::dat
