#include "torvanel/writer/encode_gfx_obj.hpp"

#include <algorithm>
#include <cmath>
#include <memory>
#include <type_traits>
#include <utility>
#include <variant>

#include "require.hpp"
#include "torvanel/writer/encode_math.hpp"

namespace torvanel::writer {
namespace {

using dat::BspTreeKind;

void write_u16_list(ByteWriter& w, std::span<const uint16_t> values) {
  for (uint16_t v : values) w.u16(v);
}

// A u32 count, then the u16 polygon ids.
void write_poly_ids(ByteWriter& w, std::span<const uint16_t> ids) {
  w.u32(checked_count<uint32_t>(ids.size(), "too many polygon ids"));
  write_u16_list(w, ids);
}

void write_polygon_map(ByteWriter& w, const common::FlatMap<uint16_t, dat::Polygon>& polygons) {
  w.compressed_u32(checked_count<uint32_t>(polygons.size(), "too many polygons"));
  for (const auto& [id, polygon] : polygons) {
    w.u16(id);
    write(w, polygon);
  }
}

void write_child(ByteWriter& w, const std::unique_ptr<dat::BspNode>& child, BspTreeKind kind) {
  if (child) write(w, *child, kind);
}

void write_leaf(ByteWriter& w, const dat::BspLeaf& leaf, BspTreeKind kind) {
  w.u32(leaf.leaf_index);
  if (kind == BspTreeKind::Physics) {
    w.u32(leaf.solid.value_or(0));
    write(w, leaf.sphere.value_or(common::Sphere{}));
    write_poly_ids(w, leaf.poly_ids);
  }
}

void write_internal(ByteWriter& w, const dat::InternalNode& node, BspTreeKind kind) {
  write(w, node.splitting_plane);
  write_child(w, node.front, kind);
  write_child(w, node.back, kind);
  if (kind != BspTreeKind::Cell) write(w, node.sphere.value_or(common::Sphere{}));
  if (kind == BspTreeKind::Drawing) write_poly_ids(w, node.poly_ids);
}

// Builds the synthetic trees of gfx_obj_from_vertices.
class TreeBuilder {
 public:
  TreeBuilder(BspTreeKind kind, common::Sphere bounds) : kind_(kind), bounds_(bounds) {}

  // The subtree over polygon ids [first, first + count).
  dat::BspNode build(uint32_t first, uint32_t count) {
    if (count <= kBottomPolygons) return bottom(first, count);
    const uint32_t half = count / 2;
    dat::InternalNode node = split();
    node.front = std::make_unique<dat::BspNode>(build(first, half));
    node.back = std::make_unique<dat::BspNode>(build(first + half, count - half));
    return dat::BspNode(std::move(node));
  }

 private:
  static constexpr uint32_t kBottomPolygons = 8;

  static std::vector<uint16_t> ids(uint32_t first, uint32_t count) {
    std::vector<uint16_t> out(count);
    for (uint32_t i = 0; i < count; ++i) out[i] = static_cast<uint16_t>(first + i);
    return out;
  }

  dat::InternalNode split() {
    dat::InternalNode node;
    node.node_type = dat::bsp_tag("BPIN");
    node.splitting_plane = {{1, 0, 0}, -bounds_.center.x};
    if (kind_ != BspTreeKind::Cell) node.sphere = bounds_;
    return node;
  }

  dat::BspNode leaf(std::vector<uint16_t> poly_ids) {
    dat::BspLeaf leaf;
    leaf.leaf_index = next_leaf_++;
    if (kind_ == BspTreeKind::Physics) {
      leaf.solid = 1;
      leaf.sphere = bounds_;
      leaf.poly_ids = std::move(poly_ids);
    }
    return dat::BspNode(std::move(leaf));
  }

  // Physics trees keep their polygons in leaves, drawing trees in nodes.
  dat::BspNode bottom(uint32_t first, uint32_t count) {
    if (kind_ == BspTreeKind::Physics) return leaf(ids(first, count));
    if (count == 0) return leaf({});
    dat::InternalNode node = split();
    node.front = std::make_unique<dat::BspNode>(leaf({}));
    node.back = std::make_unique<dat::BspNode>(leaf({}));
    node.poly_ids = ids(first, count);
    return dat::BspNode(std::move(node));
  }

  BspTreeKind kind_;
  common::Sphere bounds_;
  uint32_t next_leaf_ = 0;
};

common::Sphere bounding_sphere(std::span<const common::Vector3> positions) {
  if (positions.empty()) return {};
  common::Vector3 lo = positions[0], hi = positions[0];
  for (const auto& p : positions) {
    lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
    hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
  }
  const common::Vector3 c{(lo.x + hi.x) / 2, (lo.y + hi.y) / 2, (lo.z + hi.z) / 2};
  float radius = 0;
  for (const auto& p : positions) {
    const float dx = p.x - c.x, dy = p.y - c.y, dz = p.z - c.z;
    radius = std::max(radius, std::sqrt(dx * dx + dy * dy + dz * dz));
  }
  return {c, radius};
}

}  // namespace

std::vector<uint8_t> encode(const dat::GfxObj& g) {
  ByteWriter w;
  w.u32(g.id);
  w.u32(g.flags);
  w.smart_vec(g.surfaces);
  write(w, g.vertex_array);
  if (g.flags & dat::GfxObj::kHasPhysics) {
    require(g.physics_bsp.has_value(), "physics section without physics tree");
    write_polygon_map(w, g.physics_polygons);
    write(w, *g.physics_bsp, BspTreeKind::Physics);
  }
  write(w, g.center);
  if (g.flags & dat::GfxObj::kHasDrawing) {
    require(g.drawing_bsp.has_value(), "drawing section without drawing tree");
    write_polygon_map(w, g.polygons);
    write(w, *g.drawing_bsp, BspTreeKind::Drawing);
  }
  if (g.flags & dat::GfxObj::kHasDegrade) {
    require(g.degrade_id.has_value(), "degrade flag without degrade id");
    w.u32(*g.degrade_id);
  }
  return w.take();
}

void write(ByteWriter& w, const dat::Vec2Duv& uv) {
  w.f32(uv.u);
  w.f32(uv.v);
}

void write(ByteWriter& w, const dat::SWVertex& v) {
  w.u16(checked_count<uint16_t>(v.uvs.size(), "too many texture coordinates"));
  write(w, v.origin);
  write(w, v.normal);
  for (const auto& uv : v.uvs) write(w, uv);
}

void write(ByteWriter& w, const dat::CVertexArray& a) {
  const bool has_vertices = a.vertex_type == dat::CVertexArray::kSWVertexType;
  w.u32(a.vertex_type);
  w.u32(has_vertices ? checked_count<uint32_t>(a.vertices.size(), "too many vertices") : 0);
  if (!has_vertices) return;
  for (const auto& [id, vertex] : a.vertices) {
    w.u16(id);
    write(w, vertex);
  }
}

void write(ByteWriter& w, const dat::Polygon& p) {
  w.u8(p.vertex_count);
  w.u8(p.flags);
  w.u32(p.sides);
  w.i16(p.front_surface);
  w.i16(p.back_surface);
  require(p.vertex_ids.size() == p.vertex_count, "polygon vertex ids differ from its count");
  write_u16_list(w, p.vertex_ids);
  if (p.has_front_uvs()) {
    require(p.front_uv_indices.size() == p.vertex_count, "polygon front uvs differ from its count");
    w.bytes(p.front_uv_indices);
  }
  if (p.has_back_uvs()) {
    require(p.back_uv_indices.size() == p.vertex_count, "polygon back uvs differ from its count");
    w.bytes(p.back_uv_indices);
  }
}

void write(ByteWriter& w, const dat::PortalPoly& p) {
  w.u16(p.portal_index);
  w.u16(p.poly_id);
}

void write(ByteWriter& w, const dat::BspNode& node, BspTreeKind kind) {
  std::visit(
      [&](const auto& n) {
        using N = std::decay_t<decltype(n)>;
        if constexpr (std::is_same_v<N, dat::BspLeaf>) {
          w.u32(dat::kBspLeafTag);
          write_leaf(w, n, kind);
        } else if constexpr (std::is_same_v<N, dat::BspPortal>) {
          w.u32(dat::kBspPortalTag);
          write(w, n, kind);
        } else {
          w.u32(n.node_type);
          write_internal(w, n, kind);
        }
      },
      node.value);
}

void write(ByteWriter& w, const dat::BspPortal& p, BspTreeKind kind) {
  require(p.front && p.back, "portal without both children");
  write(w, p.splitting_plane);
  write(w, *p.front, kind);
  write(w, *p.back, kind);
  if (kind != BspTreeKind::Drawing) return;
  write(w, p.sphere.value_or(common::Sphere{}));
  w.u32(checked_count<uint32_t>(p.poly_ids.size(), "too many portal polygon ids"));
  w.u32(checked_count<uint32_t>(p.portals.size(), "too many portals"));
  write_u16_list(w, p.poly_ids);
  for (const auto& portal : p.portals) write(w, portal);
}

dat::GfxObj gfx_obj_from_vertices(uint32_t id, std::span<const common::Vector3> positions) {
  require(positions.size() <= 0x10000, "more vertices than 16-bit ids");
  using VertexEntry = std::pair<uint16_t, dat::SWVertex>;
  using PolygonEntry = std::pair<uint16_t, dat::Polygon>;

  dat::GfxObj g;
  g.id = id;
  g.flags = dat::GfxObj::kHasPhysics | dat::GfxObj::kHasDrawing;
  g.surfaces = {0x08000000};

  std::vector<VertexEntry> vertices;
  vertices.reserve(positions.size());
  for (size_t i = 0; i < positions.size(); ++i) {
    vertices.emplace_back(static_cast<uint16_t>(i),
                          dat::SWVertex{positions[i], {0, 0, 1}, {dat::Vec2Duv{0, 0}}});
  }
  g.vertex_array.vertex_type = dat::CVertexArray::kSWVertexType;
  g.vertex_array.vertices =
      common::FlatMap<uint16_t, dat::SWVertex>::from_entries(std::move(vertices));

  const uint32_t polygon_count =
      positions.size() < 3 ? 0 : static_cast<uint32_t>(positions.size() - 2);
  std::vector<PolygonEntry> polygons;
  polygons.reserve(polygon_count);
  for (uint32_t i = 0; i < polygon_count; ++i) {
    dat::Polygon p;
    p.vertex_count = 3;
    p.sides = 1;
    p.vertex_ids = {0, static_cast<uint16_t>(i + 1), static_cast<uint16_t>(i + 2)};
    p.front_uv_indices = {0, 0, 0};
    polygons.emplace_back(static_cast<uint16_t>(i), std::move(p));
  }
  g.polygons = common::FlatMap<uint16_t, dat::Polygon>::from_entries(polygons);
  g.physics_polygons = common::FlatMap<uint16_t, dat::Polygon>::from_entries(std::move(polygons));

  const common::Sphere bounds = bounding_sphere(positions);
  g.center = bounds.center;
  g.physics_bsp = TreeBuilder(BspTreeKind::Physics, bounds).build(0, polygon_count);
  g.drawing_bsp = TreeBuilder(BspTreeKind::Drawing, bounds).build(0, polygon_count);
  return g;
}

}  // namespace torvanel::writer
