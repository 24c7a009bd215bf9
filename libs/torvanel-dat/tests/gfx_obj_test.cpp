#include "torvanel/dat/file_type/gfx_obj.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "torvanel/writer/byte_writer.hpp"
#include "torvanel/writer/encode_gfx_obj.hpp"

namespace torvanel::dat {
namespace {

using Bytes = std::vector<uint8_t>;
using common::BinReadError;
using Contexts = std::vector<std::string>;
using writer::ByteWriter;

constexpr const char* kEndOfData = "failed to fill whole buffer";
constexpr BspTreeKind kKinds[] = {BspTreeKind::Drawing, BspTreeKind::Physics, BspTreeKind::Cell};

ReadResult<GfxObj> unpack(const Bytes& bytes) {
  Reader r(bytes);
  return GfxObj::unpack(r);
}

template <class Node>
std::unique_ptr<BspNode> child(Node node) {
  return std::make_unique<BspNode>(std::move(node));
}

// Wire-layout writers of the tests' own, independent of the encoders.

void put_vector(ByteWriter& w, float x, float y, float z) {
  w.f32(x);
  w.f32(y);
  w.f32(z);
}

void put_plane(ByteWriter& w) {
  put_vector(w, 0, 0, 1);
  w.f32(-2);
}

void put_sphere(ByteWriter& w) {
  put_vector(w, 1, 2, 3);
  w.f32(4);
}

// A leaf without polygons in the form of the kind.
void put_leaf(ByteWriter& w, BspTreeKind kind, uint32_t index) {
  w.u32(kBspLeafTag);
  w.u32(index);
  if (kind == BspTreeKind::Physics) {
    w.u32(1);
    put_sphere(w);
    w.u32(0);
  }
}

// id 0x01000001, the flags, no surfaces, an empty type-1 vertex array.
ByteWriter head(uint32_t flags) {
  ByteWriter w;
  w.u32(0x01000001);
  w.u32(flags);
  w.compressed_u32(0);
  w.u32(1);
  w.u32(0);
  return w;
}

const std::vector<Vector3> kSquare{{0, 0, 0}, {2, 0, 0}, {2, 2, 1}, {0, 2, 1}};

TEST(GfxObj, ReadsTheFixedFieldsAndTheOptionalDegradeId) {
  for (uint32_t flags : {0u, 8u, 0xF4u}) {  // 0xF4: only ignored bits
    ByteWriter w;
    w.u32(0x01000ABC);
    w.u32(flags);
    w.smart_vec(std::vector<uint32_t>{0x08000001, 0x08000002});
    w.u32(1);  // vertex type
    w.u32(2);  // vertex count
    w.u16(7);
    w.u16(1);  // num_uvs
    put_vector(w, 1, 2, 3);
    put_vector(w, 0, 0, 1);
    w.f32(0.25f);
    w.f32(0.75f);
    w.u16(3);
    w.u16(0);
    put_vector(w, 4, 5, 6);
    put_vector(w, 0, 1, 0);
    put_vector(w, 9, 8, 7);  // center
    if (flags & 8) w.u32(0x01000DEF);
    const size_t end = w.size();
    w.u32(0xFFFFFFFF);  // trailing bytes are ignored

    Reader r(w.data());
    auto g = GfxObj::unpack(r);
    ASSERT_TRUE(g) << g.error().text();
    EXPECT_EQ(r.position(), end) << flags;
    EXPECT_EQ(g->id, 0x01000ABCu);
    EXPECT_EQ(g->surfaces, (std::vector<uint32_t>{0x08000001, 0x08000002}));
    ASSERT_EQ(g->vertex_array.vertices.size(), 2u);
    const SWVertex* v7 = g->vertex_array.vertices.find(7);
    ASSERT_NE(v7, nullptr);
    EXPECT_EQ(*v7, (SWVertex{{1, 2, 3}, {0, 0, 1}, {{0.25f, 0.75f}}}));
    EXPECT_EQ(*g->vertex_array.vertices.find(3), (SWVertex{{4, 5, 6}, {0, 1, 0}, {}}));
    EXPECT_EQ(g->center, (Vector3{9, 8, 7}));
    EXPECT_TRUE(g->physics_polygons.empty() && g->polygons.empty());
    EXPECT_FALSE(g->physics_bsp || g->drawing_bsp);
    EXPECT_EQ(g->degrade_id, flags & 8 ? std::optional<uint32_t>(0x01000DEF) : std::nullopt);
  }
}

TEST(GfxObj, VertexTypeOtherThanOneReadsOnlyTheCount) {
  ByteWriter w;
  w.u32(0x01000001);
  w.u32(0);
  w.compressed_u32(0);
  w.u32(2);  // vertex type
  w.u32(5);  // count, followed by no vertices
  put_vector(w, 9, 8, 7);
  auto g = unpack(w.data());
  ASSERT_TRUE(g) << g.error().text();
  EXPECT_EQ(g->vertex_array.vertex_type, 2u);
  EXPECT_TRUE(g->vertex_array.vertices.empty());
  EXPECT_EQ(g->center, (Vector3{9, 8, 7}));
}

TEST(GfxObj, RepeatedIdsKeepTheLaterEntry) {
  ByteWriter w;
  w.u32(0x01000001);
  w.u32(GfxObj::kHasDrawing);
  w.compressed_u32(0);
  w.u32(1);
  w.u32(2);
  for (float x : {1.0f, 2.0f}) {
    w.u16(4);
    w.u16(0);
    put_vector(w, x, 0, 0);
    put_vector(w, 0, 0, 1);
  }
  put_vector(w, 0, 0, 0);
  w.compressed_u32(2);
  for (int16_t surface : {10, 20}) {
    w.u16(9);
    w.u8(0);  // no vertices
    w.u8(0);
    w.u32(1);
    w.i16(surface);
    w.i16(0);
  }
  put_leaf(w, BspTreeKind::Drawing, 0);
  auto g = unpack(w.data());
  ASSERT_TRUE(g) << g.error().text();
  ASSERT_EQ(g->vertex_array.vertices.size(), 1u);
  EXPECT_EQ(g->vertex_array.vertices.find(4)->origin.x, 2.0f);
  ASSERT_EQ(g->polygons.size(), 1u);
  EXPECT_EQ(g->polygons.find(9)->front_surface, 20);
}

TEST(Polygon, FlagsAndSidesDecideTheIndexLists) {
  struct Case {
    uint8_t vertex_count, flags;
    uint32_t sides;
    bool front, back;
  };
  const Case cases[] = {
      {3, 0x0, 2, true, true},   {3, 0x8, 2, true, false}, {3, 0x4, 1, false, false},
      {3, 0x0, 1, true, false},  {3, 0x4, 2, false, true}, {3, 0xC, 2, false, false},
      {3, 0x8, 1, true, false},  {0, 0x0, 2, false, false},
  };
  for (const Case& c : cases) {
    ByteWriter w;
    w.u8(c.vertex_count);
    w.u8(c.flags);
    w.u32(c.sides);
    w.i16(-1);
    w.i16(2);
    for (uint16_t i = 0; i < c.vertex_count; ++i) w.u16(100 + i);
    if (c.front) w.bytes(Bytes(c.vertex_count, 0x11));
    if (c.back) w.bytes(Bytes(c.vertex_count, 0x22));
    const size_t end = w.size();
    w.u32(0xFFFFFFFF);

    Reader r(w.data());
    auto p = Polygon::read(r);
    ASSERT_TRUE(p) << p.error().text();
    const std::string label = "flags " + std::to_string(c.flags) + " sides " +
                              std::to_string(c.sides) + " count " +
                              std::to_string(c.vertex_count);
    EXPECT_EQ(r.position(), end) << label;
    EXPECT_EQ(p->front_surface, -1);
    EXPECT_EQ(p->back_surface, 2);
    EXPECT_EQ(p->vertex_ids.size(), c.vertex_count) << label;
    EXPECT_EQ(p->front_uv_indices, c.front ? Bytes(c.vertex_count, 0x11) : Bytes{}) << label;
    EXPECT_EQ(p->back_uv_indices, c.back ? Bytes(c.vertex_count, 0x22) : Bytes{}) << label;

    ByteWriter again;
    writer::write(again, *p);
    EXPECT_EQ(again.data(), Bytes(w.data().begin(), w.data().begin() + end)) << label;
  }
}

// A square with polygons of every list combination added to the fan.
GfxObj sample_gfx(uint32_t flags, uint32_t vertex_type) {
  GfxObj g = writer::gfx_obj_from_vertices(0x01000010, kSquare);
  g.flags = flags;
  g.surfaces = {0x08000001, 0x08000002, 0x08000003};
  std::vector<std::pair<uint16_t, Polygon>> polygons(g.polygons.begin(), g.polygons.end());
  polygons.push_back({100, Polygon{2, 0x0, 2, 1, 2, {0, 1}, {3, 4}, {5, 6}}});
  polygons.push_back({101, Polygon{2, 0x8, 2, 1, 2, {1, 2}, {3, 4}, {}}});
  polygons.push_back({102, Polygon{1, 0x4, 1, 1, 2, {3}, {}, {}}});
  polygons.push_back({103, Polygon{0, 0x0, 2, -1, -1, {}, {}, {}}});
  g.polygons = common::FlatMap<uint16_t, Polygon>::from_entries(std::move(polygons));
  if (!(flags & GfxObj::kHasPhysics)) {
    g.physics_polygons = {};
    g.physics_bsp.reset();
  }
  if (!(flags & GfxObj::kHasDrawing)) {
    g.polygons = {};
    g.drawing_bsp.reset();
  }
  if (flags & GfxObj::kHasDegrade) g.degrade_id = 0x01000011;
  if (vertex_type != CVertexArray::kSWVertexType) g.vertex_array = {vertex_type, {}};
  return g;
}

TEST(GfxObj, RoundTripsEveryFlagCombination) {
  for (uint32_t vertex_type : {1u, 0u, 3u}) {
    for (uint32_t flags : {0u, 1u, 2u, 3u, 8u, 9u, 10u, 11u, 0xFFFFFFF7u, 0xFFFFFFFFu}) {
      const GfxObj g = sample_gfx(flags, vertex_type);
      const Bytes bytes = writer::encode(g);
      auto decoded = unpack(bytes);
      ASSERT_TRUE(decoded) << flags << ": " << decoded.error().text();
      EXPECT_EQ(*decoded, g) << "flags " << flags << " vertex type " << vertex_type;
      EXPECT_EQ(writer::encode(*decoded), bytes);
    }
  }
}

TEST(GfxObj, CutAnywhereFailsWithTheInnermostVertexContext) {
  GfxObj g = writer::gfx_obj_from_vertices(0x01000010, kSquare);
  g.flags |= GfxObj::kHasDegrade;
  g.degrade_id = 0x01000099;
  const Bytes bytes = writer::encode(g);
  // id 0..3, flags 4..7, surfaces 8..12, vertex type 13..16, count 17..20;
  // vertex 0: id 21..22, num_uvs 23..24, origin 25..36, normal 37..48,
  // its one texture coordinate 49..56.
  const std::vector<std::pair<size_t, Contexts>> innermost{
      {22, {}},
      {24, {"While parsing field 'num_uvs' in SWVertex"}},
      {29, {"While parsing field 'y' in Vector3", "While parsing field 'origin' in SWVertex"}},
      {37, {"While parsing field 'x' in Vector3", "While parsing field 'normal' in SWVertex"}},
      {53, {"While parsing field 'v' in Vec2Duv", "While parsing field 'uvs' in SWVertex"}},
      {bytes.size() - 1, {}},  // inside the degrade id
  };
  for (size_t length = 0; length < bytes.size(); ++length) {
    auto cut = unpack(Bytes(bytes.begin(), bytes.begin() + static_cast<long>(length)));
    ASSERT_FALSE(cut) << length;
    EXPECT_EQ(cut.error().message(), kEndOfData) << length;
  }
  for (const auto& [length, contexts] : innermost) {
    auto cut = unpack(Bytes(bytes.begin(), bytes.begin() + static_cast<long>(length)));
    ASSERT_FALSE(cut);
    EXPECT_EQ(cut.error().contexts(), contexts) << length;
  }
}

TEST(GfxObj, CountsBeyondTheDataEndInEndOfData) {
  std::vector<std::pair<const char*, Bytes>> records;
  {
    ByteWriter w;
    w.u32(0x01000001);
    w.u32(0);
    w.compressed_u32(0x3FFFFFFF);  // surfaces
    records.push_back({"surfaces", w.take()});
  }
  {
    ByteWriter w = head(0);
    Bytes bytes = w.take();
    bytes[bytes.size() - 4] = bytes[bytes.size() - 3] = bytes[bytes.size() - 2] =
        bytes[bytes.size() - 1] = 0xFF;  // vertex count
    records.push_back({"vertices", bytes});
  }
  {
    ByteWriter w = head(GfxObj::kHasDrawing);
    put_vector(w, 0, 0, 0);
    w.compressed_u32(0x3FFFFFFF);  // polygons
    records.push_back({"polygons", w.take()});
  }
  {
    ByteWriter w = head(GfxObj::kHasPhysics);
    w.compressed_u32(0);
    w.u32(kBspLeafTag);
    w.u32(0);
    w.u32(1);
    put_sphere(w);
    w.u32(0xFFFFFFFF);  // leaf polygon ids
    records.push_back({"leaf polygons", w.take()});
  }
  for (const auto& [name, bytes] : records) {
    auto g = unpack(bytes);
    ASSERT_FALSE(g) << name;
    EXPECT_EQ(g.error().text(), kEndOfData) << name;
  }
}

TEST(Bsp, TagCharactersRunFromTheMostSignificantByte) {
  EXPECT_EQ(bsp_tag("LEAF"), 0x4C454146u);
  ByteWriter w;
  w.u32(kBspLeafTag);
  w.u32(kBspPortalTag);
  EXPECT_EQ(w.data(), (Bytes{'F', 'A', 'E', 'L', 'T', 'R', 'O', 'P'}));
}

TEST(Bsp, InternalTagsAnnounceTheirChildren) {
  struct Case {
    const char* tag;
    bool front, back;
  };
  const Case cases[] = {
      {"BPIN", true, true},   {"BPnN", true, true},   {"BPIn", true, false},
      {"BPnn", true, false},  {"BPIL", true, false},  {"BpIN", false, true},
      {"BpnN", false, true},  {"BpIn", false, false}, {"BPXN", false, false},
      {"bPIN", false, false}, {"XPIN", false, false}, {"LEAD", false, false},
  };
  for (BspTreeKind kind : kKinds) {
    for (const Case& c : cases) {
      ByteWriter w;
      w.u32(bsp_tag(c.tag));
      put_plane(w);
      if (c.front) put_leaf(w, kind, 1);
      if (c.back) put_leaf(w, kind, 2);
      if (kind != BspTreeKind::Cell) put_sphere(w);
      if (kind == BspTreeKind::Drawing) {
        w.u32(2);
        w.u16(5);
        w.u16(6);
      }
      const std::string label = std::string(c.tag) + " kind " +
                                std::to_string(static_cast<int>(kind));
      Reader r(w.data());
      auto node = BspNode::read(r, kind);
      ASSERT_TRUE(node) << label << ": " << node.error().text();
      EXPECT_EQ(r.position(), w.size()) << label;
      const auto* internal = std::get_if<InternalNode>(&node->value);
      ASSERT_NE(internal, nullptr) << label;
      EXPECT_EQ(internal->node_type, bsp_tag(c.tag));
      EXPECT_EQ(internal->splitting_plane, (Plane{{0, 0, 1}, -2}));
      ASSERT_EQ(internal->front != nullptr, c.front) << label;
      ASSERT_EQ(internal->back != nullptr, c.back) << label;
      if (c.front) {
        EXPECT_EQ(std::get<BspLeaf>(internal->front->value).leaf_index, 1u);
      }
      if (c.back) {
        EXPECT_EQ(std::get<BspLeaf>(internal->back->value).leaf_index, 2u);
      }
      EXPECT_EQ(internal->sphere.has_value(), kind != BspTreeKind::Cell) << label;
      const std::vector<uint16_t> poly_ids =
          kind == BspTreeKind::Drawing ? std::vector<uint16_t>{5, 6} : std::vector<uint16_t>{};
      EXPECT_EQ(internal->poly_ids, poly_ids) << label;
    }
  }
}

TEST(Bsp, LeafCarriesSolidSphereAndPolygonsOnlyInPhysicsTrees) {
  for (BspTreeKind kind : kKinds) {
    ByteWriter w;
    w.u32(kBspLeafTag);
    w.u32(9);
    if (kind == BspTreeKind::Physics) {
      w.u32(1);
      put_sphere(w);
      w.u32(2);
      w.u16(3);
      w.u16(4);
    }
    w.u32(0xFFFFFFFF);
    Reader r(w.data());
    auto node = BspNode::read(r, kind);
    ASSERT_TRUE(node) << node.error().text();
    EXPECT_EQ(r.position(), kind == BspTreeKind::Physics ? 36u : 8u);
    BspLeaf expected{9, {}, {}, {}};
    if (kind == BspTreeKind::Physics) expected = {9, 1, Sphere{{1, 2, 3}, 4}, {3, 4}};
    EXPECT_EQ(std::get<BspLeaf>(node->value), expected);
  }
}

TEST(Bsp, PortalListsFollowBothCountsInDrawingTrees) {
  struct Case {
    std::vector<uint16_t> polys;
    std::vector<PortalPoly> portals;
  };
  const Case cases[] = {{{}, {{1, 2}, {3, 4}}}, {{7, 8}, {{5, 6}}}};
  for (const Case& c : cases) {
    ByteWriter w;
    w.u32(kBspPortalTag);
    put_plane(w);
    put_leaf(w, BspTreeKind::Drawing, 1);
    put_leaf(w, BspTreeKind::Drawing, 2);
    put_sphere(w);
    w.u32(static_cast<uint32_t>(c.polys.size()));
    w.u32(static_cast<uint32_t>(c.portals.size()));
    for (uint16_t id : c.polys) w.u16(id);
    for (const PortalPoly& p : c.portals) {
      w.u16(p.portal_index);
      w.u16(p.poly_id);
    }
    Reader r(w.data());
    auto node = BspNode::read(r, BspTreeKind::Drawing);
    ASSERT_TRUE(node) << node.error().text();
    EXPECT_EQ(r.position(), w.size());
    const auto& portal = std::get<BspPortal>(node->value);
    EXPECT_EQ(portal.poly_ids, c.polys);
    EXPECT_EQ(portal.portals, c.portals);
    EXPECT_EQ(portal.sphere, (Sphere{{1, 2, 3}, 4}));

    // Cut inside the last portal: the PortalPoly field is named.
    const Bytes& bytes = w.data();
    for (auto [cut, field] : {std::pair{1, "poly_id"}, {3, "portal_index"}}) {
      const auto prefix = std::span<const uint8_t>(bytes).first(bytes.size() - cut);
      Reader short_r(prefix);
      auto failed = BspNode::read(short_r, BspTreeKind::Drawing);
      ASSERT_FALSE(failed);
      EXPECT_EQ(failed.error().contexts(),
                Contexts{"While parsing field '" + std::string(field) + "' in PortalPoly"});
    }
  }
  for (BspTreeKind kind : {BspTreeKind::Physics, BspTreeKind::Cell}) {
    ByteWriter w;
    w.u32(kBspPortalTag);
    put_plane(w);
    put_leaf(w, kind, 1);
    put_leaf(w, kind, 2);
    Reader r(w.data());
    auto node = BspNode::read(r, kind);
    ASSERT_TRUE(node) << node.error().text();
    EXPECT_EQ(r.position(), w.size());
    const auto& portal = std::get<BspPortal>(node->value);
    EXPECT_TRUE(portal.front && portal.back);
    EXPECT_FALSE(portal.sphere);
  }
}

BspNode leaf(BspTreeKind kind, uint32_t index) {
  BspLeaf l{index, {}, {}, {}};
  if (kind == BspTreeKind::Physics) l = {index, 1, Sphere{{0, 0, 0}, 5}, {1, 2}};
  return BspNode(std::move(l));
}

InternalNode internal(BspTreeKind kind, const char* tag) {
  InternalNode n;
  n.node_type = bsp_tag(tag);
  n.splitting_plane = {{1, 0, 0}, 3};
  if (kind != BspTreeKind::Cell) n.sphere = Sphere{{1, 1, 1}, 2};
  if (kind == BspTreeKind::Drawing) n.poly_ids = {4, 5};
  return n;
}

// A portal over one node of every internal family and leaves.
BspNode mixed_tree(BspTreeKind kind) {
  InternalNode both = internal(kind, "BPIN");
  both.front = child(leaf(kind, 0));
  both.back = child(internal(kind, "QQQQ"));
  InternalNode front_only = internal(kind, "BPnn");
  front_only.front = child(leaf(kind, 1));
  InternalNode back_only = internal(kind, "BpnN");
  back_only.back = child(std::move(front_only));
  BspPortal portal;
  portal.splitting_plane = {{0, 1, 0}, 1};
  portal.front = child(std::move(both));
  portal.back = child(std::move(back_only));
  if (kind == BspTreeKind::Drawing) {
    portal.sphere = Sphere{{2, 2, 2}, 3};
    portal.poly_ids = {6};
    portal.portals = {{1, 6}, {2, 7}};
  }
  return BspNode(std::move(portal));
}

TEST(Bsp, EveryNodeFamilyRoundTripsInEachKind) {
  for (BspTreeKind kind : kKinds) {
    const BspNode tree = mixed_tree(kind);
    ByteWriter w;
    writer::write(w, tree, kind);
    Reader r(w.data());
    auto decoded = BspNode::read(r, kind);
    ASSERT_TRUE(decoded) << decoded.error().text();
    EXPECT_EQ(r.position(), w.size());
    EXPECT_EQ(*decoded, tree) << static_cast<int>(kind);
  }
}

// `levels` levels in a cell tree: front-only nodes down to one leaf.
Bytes chain_bytes(unsigned levels) {
  ByteWriter w;
  for (unsigned i = 1; i < levels; ++i) {
    w.u32(bsp_tag("BPIn"));
    put_plane(w);
  }
  put_leaf(w, BspTreeKind::Cell, 0);
  return w.take();
}

TEST(Bsp, TreesDeeperThanTheBoundAreRefused) {
  Bytes deepest = chain_bytes(kMaxBspDepth);
  Reader ok(deepest);
  EXPECT_TRUE(BspNode::read(ok, BspTreeKind::Cell));

  Bytes too_deep = chain_bytes(kMaxBspDepth + 1);
  Reader r(too_deep);
  auto node = BspNode::read(r, BspTreeKind::Cell);
  ASSERT_FALSE(node);
  EXPECT_EQ(node.error().kind(), BinReadError::Kind::Custom);
  EXPECT_EQ(node.error().message(), "BSP tree deeper than 256 levels");
  EXPECT_EQ(node.error().position(), 20u * kMaxBspDepth);  // the tag of level 257
}

TEST(Bsp, DestroyingAVeryDeepTreeDoesNotRecurse) {
  // Far deeper than any stack could unwind recursively; zig-zags through
  // front and back slots and portals.
  BspNode root = leaf(BspTreeKind::Cell, 0);
  for (int i = 0; i < 200'000; ++i) {
    if (i % 3 == 2) {
      BspPortal p;
      p.front = child(std::move(root));
      p.back = child(leaf(BspTreeKind::Cell, 1));
      root = BspNode(std::move(p));
    } else {
      InternalNode n;
      (i % 3 == 0 ? n.front : n.back) = child(std::move(root));
      root = BspNode(std::move(n));
    }
  }
}

}  // namespace
}  // namespace torvanel::dat
