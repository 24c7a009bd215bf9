#include "caches.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <utility>

#include "torvanel/writer/archive_writer.hpp"
#include "torvanel/writer/encode_gfx_obj.hpp"
#include "torvanel/writer/encode_region.hpp"
#include "torvanel/writer/encode_scene.hpp"
#include "torvanel/writer/encode_setup_model.hpp"

namespace torvanel::tools {
namespace {

using common::Vector3;

// A portal archive holding the given records.
dat::DatDatabase archive(std::initializer_list<std::pair<uint32_t, std::vector<uint8_t>>> records) {
  writer::ArchiveWriter w(256);
  for (const auto& [id, bytes] : records) w.add(id, bytes);
  std::vector<uint8_t> image = std::move(w).finish();
  auto db = writer::open_image(image);
  EXPECT_TRUE(db.has_value());
  return std::move(*db);
}

std::vector<uint8_t> gfx(uint32_t id, const std::vector<Vector3>& vertices) {
  return writer::encode(writer::gfx_obj_from_vertices(id, vertices));
}

std::vector<uint8_t> setup(uint32_t id, std::vector<uint32_t> parts) {
  return writer::encode(writer::setup_model_from_parts(id, std::move(parts)));
}

std::vector<uint8_t> scene(uint32_t id, uint32_t obj_id) {
  return writer::encode(dat::Scene{id, {writer::object_desc_at(obj_id)}});
}

std::vector<Vector3> sorted(std::vector<Vector3> v) {
  std::sort(v.begin(), v.end(), [](const Vector3& a, const Vector3& b) {
    return std::tie(a.x, a.y, a.z) < std::tie(b.x, b.y, b.z);
  });
  return v;
}

const std::vector<Vector3> kRock = {{-1, -3, 0}, {1, 3, 2}, {0.5f, -2, 1}};
const std::vector<Vector3> kTrunk = {{0, 0, 0}, {0.25f, 0.25f, 8}};

TEST(SceneCache, DecodesEachRecordOnceAndKeepsItsAddress) {
  const dat::DatDatabase portal = archive({{0x12000001, scene(0x12000001, 0x01000001)},
                                           {0x12000002, scene(0x12000002, 0x01000002)}});
  const dat::DatDatabase empty = archive({});
  SceneCache cache;
  const dat::Scene* first = cache.lookup(portal, 0x12000001);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->objects.at(0).obj_id, 0x01000001u);
  ASSERT_NE(cache.lookup(portal, 0x12000002), nullptr);
  for (uint32_t id = 0x12100000; id < 0x12100040; ++id) cache.lookup(portal, id);
  // Served from the cache, not from the archive it is handed now.
  EXPECT_EQ(cache.lookup(empty, 0x12000001), first);
}

TEST(SceneCache, RemembersMissingAndUndecodableScenes) {
  std::vector<uint8_t> cut = scene(0x12000002, 0x01000001);
  cut.pop_back();
  const dat::DatDatabase portal = archive({{0x12000002, cut}});
  const dat::DatDatabase complete = archive({{0x12000001, scene(0x12000001, 0x01000001)},
                                             {0x12000002, scene(0x12000002, 0x01000001)}});
  SceneCache cache;
  EXPECT_EQ(cache.lookup(portal, 0x12000001), nullptr);
  EXPECT_EQ(cache.lookup(portal, 0x12000002), nullptr);
  // The first outcome stands: the archive is not read again for these ids.
  EXPECT_EQ(cache.lookup(complete, 0x12000001), nullptr);
  EXPECT_EQ(cache.lookup(complete, 0x12000002), nullptr);
}

TEST(MeshCache, GivesTheVerticesOfGraphicsObjectsAndSetups) {
  dat::GfxObj no_vertices;
  std::vector<uint8_t> cut_setup = setup(0x02000009, {0x01000001});
  cut_setup.resize(cut_setup.size() - 2);
  const dat::DatDatabase portal = archive({
      {0x01000001, gfx(0x01000001, kRock)},
      {0x01000002, gfx(0x01000002, kTrunk)},
      {0x01000003, writer::encode(no_vertices)},
      {0x03000001, gfx(0x03000001, kRock)},  // neither a graphics object nor a setup id
      {0x02000001, setup(0x02000001, {0x01000099, 0x01000003, 0x01000002})},
      {0x02000002, setup(0x02000002, {0x01000002, 0x01000001})},
      {0x02000003, setup(0x02000003, {0x01000099, 0x01000003})},
      {0x02000004, setup(0x02000004, {})},
      {0x02000009, cut_setup},
  });
  struct Case {
    uint32_t id;
    std::optional<std::vector<Vector3>> mesh;
  };
  std::vector<Vector3> rock_and_trunk = kRock;
  rock_and_trunk.insert(rock_and_trunk.end(), kTrunk.begin(), kTrunk.end());
  const Case cases[] = {
      {0x01000001, kRock},
      {0x01000003, std::nullopt},  // an empty vertex array is no mesh
      {0x01000099, std::nullopt},
      {0x03000001, std::nullopt},
      {0x02000001, kTrunk},  // only the part with vertices counts
      {0x02000002, rock_and_trunk},
      {0x02000003, std::nullopt},
      {0x02000004, std::nullopt},
      {0x02000009, std::nullopt},
  };
  MeshCache cache;
  for (const Case& c : cases) {
    const std::vector<Vector3>* mesh = cache.lookup(portal, c.id);
    ASSERT_EQ(mesh != nullptr, c.mesh.has_value()) << std::hex << c.id;
    if (mesh) {
      EXPECT_EQ(sorted(*mesh), sorted(*c.mesh)) << std::hex << c.id;
    }
  }
}

TEST(MeshCache, KeepsTheFirstOutcomeOfEveryId) {
  const dat::DatDatabase first = archive({{0x01000001, gfx(0x01000001, kRock)}});
  const dat::DatDatabase second = archive({{0x01000001, gfx(0x01000001, kTrunk)},
                                           {0x01000002, gfx(0x01000002, kTrunk)}});
  MeshCache cache;
  const std::vector<Vector3>* rock = cache.lookup(first, 0x01000001);
  ASSERT_NE(rock, nullptr);
  EXPECT_EQ(cache.lookup(first, 0x01000002), nullptr);
  EXPECT_EQ(cache.lookup(second, 0x01000001), rock);
  EXPECT_EQ(cache.lookup(second, 0x01000002), nullptr);
  EXPECT_EQ(gfx_local_mesh(second, 0x01000002).value().size(), kTrunk.size());
}

dat::BuildInfo building(uint32_t model_id, float x, float y, common::Quaternion orientation) {
  dat::BuildInfo b;
  b.model_id = model_id;
  b.frame.origin = {x, y, 7};
  b.frame.orientation = orientation;
  return b;
}

TEST(BuildingFootprints, TurnAndMoveTheModelByItsFrame) {
  const dat::DatDatabase portal = archive({{0x01000001, gfx(0x01000001, kRock)},
                                           {0x02000001, setup(0x02000001, {0x01000001})}});
  const float half = std::sqrt(0.5f);
  dat::LandblockInfo info;
  info.buildings = {
      building(0x01000001, 100, 50, {1, 0, 0, 0}),
      building(0x01000077, 20, 20, {1, 0, 0, 0}),  // no model: no footprint
      building(0x02000001, 100, 50, {half, 0, 0, half}),
  };
  MeshCache cache;
  std::vector<brambolt::Footprint> footprints = building_footprints(info, cache, portal);
  ASSERT_EQ(footprints.size(), 2u);
  EXPECT_EQ(footprints[0], (brambolt::Footprint{99, 47, 101, 53}));
  // A quarter turn: x in [-1, 1] and y in [-3, 3] become y and -x.
  const brambolt::Footprint& turned = footprints[1];
  EXPECT_NEAR(turned.min_x, 97, 1e-5);
  EXPECT_NEAR(turned.max_x, 103, 1e-5);
  EXPECT_NEAR(turned.min_y, 49, 1e-5);
  EXPECT_NEAR(turned.max_y, 51, 1e-5);
}

TEST(BakeLandblock, ReadsScenesAndModelsThroughTheCaches) {
  const dat::DatDatabase portal = archive({{0x12000001, scene(0x12000001, 0x02000001)},
                                           {0x02000001, setup(0x02000001, {0x01000001})},
                                           {0x01000001, gfx(0x01000001, kRock)}});
  dat::TerrainType type;
  type.scene_types = {0};
  dat::SceneDesc desc;
  desc.scene_types.emplace_back().scenes = {0x12000001};
  const dat::Region region = writer::minimal_region({type}, desc);
  dat::CellLandblock cell;  // every vertex: terrain type 0, slot 0

  SceneCache scenes;
  MeshCache meshes;
  const brambolt::Footprint blocked_west{0, 0, 96, 192};
  std::vector<brambolt::Placement> placed =
      bake_landblock(region, cell, 0x12340000, scenes, meshes, portal,
                     std::span(&blocked_west, 1), brambolt::BakeMode::AceCompat);
  ASSERT_FALSE(placed.empty());
  for (const brambolt::Placement& p : placed) {
    EXPECT_EQ(p.obj_id, 0x02000001u);
    EXPECT_GT(p.x, 96.0f);
  }
  EXPECT_NE(scenes.lookup(archive({}), 0x12000001), nullptr);
  EXPECT_NE(meshes.lookup(archive({}), 0x02000001), nullptr);
}

}  // namespace
}  // namespace torvanel::tools
