#include "torvanel/brambolt/bake.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>
#include <ostream>
#include <unordered_map>

#include "torvanel/brambolt/noise.hpp"
#include "torvanel/writer/encode_region.hpp"
#include "torvanel/writer/encode_scene.hpp"

namespace torvanel::brambolt {

void PrintTo(const Placement& p, std::ostream* os) {
  *os << std::hexfloat << "{0x" << std::hex << p.obj_id << ", " << p.x << ", " << p.y << ", "
      << p.z << ", q(" << p.qw << ", " << p.qx << ", " << p.qy << ", " << p.qz << "), " << p.scale
      << std::dec << ", cell " << p.source_cell_x << "," << p.source_cell_y << ", obj "
      << p.source_obj_idx << "}";
}

namespace {

using common::Vector3;

constexpr float kNan = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

constexpr uint32_t kPoint = 0x01000001;  // one vertex at its origin
constexpr uint32_t kBox = 0x01000002;    // x and y in [-1, 1]
constexpr uint32_t kBig = 0x01000003;    // x and y in [-50, 50]
constexpr uint32_t kNoModel = 0x01000099;

// A landblock whose vertices carry no scenery until a scene is planted on
// them. Terrain type 0 maps slot s to scene type s; scene type 0 is empty
// and every planted vertex gets a scene type of its own.
struct Landblock {
  dat::Region region;
  dat::CellLandblock cell;
  std::map<uint32_t, dat::Scene> scenes;
  std::unordered_map<uint32_t, std::vector<Vector3>> models{
      {kPoint, {{0, 0, 0}}},
      {kBox, {{-1, -1, 0}, {1, 1, 5}}},
      {kBig, {{-50, -50, 0}, {50, 50, 0}}},
  };
  std::vector<Footprint> buildings;

  Landblock() {
    dat::TerrainType type;
    type.scene_types = {0};
    dat::SceneDesc desc;
    desc.scene_types.resize(1);
    region = writer::minimal_region({type}, desc);
  }

  std::vector<uint32_t>& slots() { return region.terrain_desc.terrain_types[0].scene_types; }

  // Gives vertex (cx, cy) a scene of its own holding `objects`.
  void plant(uint32_t cx, uint32_t cy, std::vector<dat::ObjectDesc> objects) {
    auto& types = region.scene_desc->scene_types;
    uint32_t slot = static_cast<uint32_t>(slots().size());
    uint32_t scene_id = 0x12000000 + slot;
    slots().push_back(static_cast<uint32_t>(types.size()));
    types.emplace_back().scenes = {scene_id};
    scenes[scene_id] = dat::Scene{scene_id, std::move(objects)};
    word(cx, cy) = static_cast<uint16_t>(slot << 11);
  }

  uint16_t& word(uint32_t cx, uint32_t cy) { return cell.terrain[cx * 9 + cy]; }

  std::vector<Placement> bake(BakeMode mode = BakeMode::AceCompat, uint32_t key = 0) const {
    auto scene_of = [&](uint32_t id) -> const dat::Scene* {
      auto it = scenes.find(id);
      return it == scenes.end() ? nullptr : &it->second;
    };
    auto model_of = [&](uint32_t id) -> const std::vector<Vector3>* {
      auto it = models.find(id);
      return it == models.end() ? nullptr : &it->second;
    };
    return bake_landblock_impl(region, cell, key, scene_of, model_of, buildings, mode);
  }
};

dat::ObjectDesc at(uint32_t obj_id, float x, float y) {
  return writer::object_desc_at(obj_id, {x, y, 0});
}

std::vector<uint32_t> object_indices(const std::vector<Placement>& placements) {
  std::vector<uint32_t> out;
  for (const Placement& p : placements) out.push_back(p.source_obj_idx);
  return out;
}

// Vertices of landblock 0x0000 whose objects are not turned (quadrant noise
// below 0.25), with their frequency noise: (3, 0) 0.182, (3, 1) 0.822,
// (0, 3) 0.223, (7, 0) 0.149, (6, 7) 0.420.

TEST(Noise, SceneHashesOfTheFirstVertices) {
  struct Case {
    uint32_t gx, gy, hash;
    double noise;
  };
  const Case cases[] = {
      {0, 0, 0x7F8CDA01, 0.49824296669508983},
      {1, 0, 0x3D70F644, 0.24000490918364129},
      {0, 1, 0xEBA79F88, 0.9205264621308716},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(scene_hash(c.gx, c.gy), c.hash);
    EXPECT_EQ(noise(c.hash), c.noise);
  }
  EXPECT_LT(noise(0xFFFFFFFF), 1.0);
}

TEST(Bake, PicksTheSceneByTheVertexHash) {
  Landblock lb;
  lb.plant(0, 0, {});
  lb.word(1, 0) = lb.word(0, 0);
  lb.word(0, 1) = lb.word(0, 0);
  lb.region.scene_desc->scene_types[1].scenes = {0xA0, 0xA1, 0xA2, 0xA3};

  std::vector<uint32_t> asked;
  auto scene_of = [&](uint32_t id) -> const dat::Scene* {
    asked.push_back(id);
    return nullptr;
  };
  auto model_of = [](uint32_t) -> const std::vector<Vector3>* { return nullptr; };
  bake_landblock_impl(lb.region, lb.cell, 0, scene_of, model_of, {}, BakeMode::AceCompat);
  // Vertex order: (0, 0), (0, 1), then (1, 0).
  EXPECT_EQ(asked, (std::vector<uint32_t>{0xA1, 0xA3, 0xA0}));
}

TEST(Bake, RegionWithoutSceneDescriptorPlacesNothing) {
  Landblock lb;
  lb.plant(3, 0, {at(kPoint, 0, 0)});
  ASSERT_EQ(lb.bake().size(), 1u);
  lb.region.scene_desc.reset();
  EXPECT_TRUE(lb.bake().empty());
  EXPECT_TRUE(lb.bake(BakeMode::Strict).empty());
}

TEST(Bake, VertexOutsideTheRegionTablesContributesNothing) {
  Landblock lb;
  lb.plant(3, 0, {at(kPoint, 0, 0)});
  lb.plant(3, 1, {at(kPoint, 0, 0)});
  lb.slots().push_back(999);  // a slot naming a scene type that does not exist
  const uint16_t bad_slot = static_cast<uint16_t>((lb.slots().size() - 1) << 11);
  lb.word(0, 3) = 5 << 2;     // terrain type 5 of 1
  lb.word(7, 0) = 31 << 11;   // slot 31 of 4
  lb.word(6, 7) = bad_slot;
  std::vector<Placement> placed = lb.bake();
  ASSERT_EQ(placed.size(), 2u);
  EXPECT_EQ(placed[0].source_cell_x, 3u);
  EXPECT_EQ(placed[0].source_cell_y, 0u);
  EXPECT_EQ(placed[1].source_cell_y, 1u);
}

TEST(Bake, PlacesAtTheCellOriginPlusTheObjectOffset) {
  Landblock lb;
  dat::ObjectDesc d = at(kPoint, 5, 7);
  d.min_scale = d.max_scale = 1.7f;
  lb.plant(3, 1, {d});
  std::vector<Placement> placed = lb.bake();
  ASSERT_EQ(placed.size(), 1u);
  // Heights are 2 * code, all codes 0: flat ground at 0.
  EXPECT_EQ(placed[0], (Placement{kPoint, 77, 31, 0, 1, 0, 0, 0, 1.7f, 3, 1, 0}));
}

TEST(Bake, FrequencyMustBeAboveTheVertexNoise) {
  const double noise = VertexNoise::at(3, 1).frequency;
  ASSERT_NEAR(noise, 0.822, 0.001);
  const float below = std::nextafter(static_cast<float>(noise), 0.0f);
  const float above = std::nextafter(below, 1.0f);
  ASSERT_LT(below, noise);
  ASSERT_GT(above, noise);

  Landblock lb;
  dat::ObjectDesc rare = at(kPoint, 0, 0), common = at(kPoint, 5, 0);
  rare.frequency = below;
  common.frequency = above;
  lb.plant(3, 1, {rare, common});
  EXPECT_EQ(object_indices(lb.bake()), (std::vector<uint32_t>{1}));
}

TEST(Bake, SkipFlagDropsTheObjectButKeepsTheIndexCounting) {
  Landblock lb;
  dat::ObjectDesc skipped = at(kPoint, 0, 0);
  skipped.skip_flag = 1;
  lb.plant(3, 1, {skipped, at(kPoint, 0, 0)});
  EXPECT_EQ(object_indices(lb.bake()), (std::vector<uint32_t>{1}));
}

TEST(Bake, KeepsPositionsOnTheLandblockEdgeAndDropsThoseBeyond) {
  struct Case {
    uint32_t cx, cy;
    float x, y;
    bool kept;
  };
  const Case cases[] = {
      {7, 0, 24.0f, 0.0f, true},  // x = 192, y = 0
      {7, 0, 24.0001f, 0.0f, false},
      {0, 3, 0.0f, 0.0f, true},  // x = 0
      {0, 3, -0.0001f, 0.0f, false},
      {3, 0, 0.0f, -0.0001f, false},
      {6, 7, 0.0f, 24.0f, true},  // y = 192
      {6, 7, 0.0f, 24.0001f, false},
  };
  for (const Case& c : cases) {
    Landblock lb;
    lb.plant(c.cx, c.cy, {at(kPoint, c.x, c.y)});
    EXPECT_EQ(lb.bake().size(), c.kept ? 1u : 0u) << c.cx << "," << c.cy << " +" << c.x << ","
                                                  << c.y;
  }
}

TEST(Bake, RoadBitsAreReadWithStrideEight) {
  // The object stands at (29, 5): cell column 1, row 0.
  struct Case {
    uint32_t road_word;
    bool kept;
  };
  const Case cases[] = {
      {8, false},  // 1 * 8 + 0: the vertex of column 0, row 8
      {9, true},   // the vertex of column 1, row 0
      {27, true},  // the planting vertex itself
  };
  for (const Case& c : cases) {
    Landblock lb;
    lb.plant(3, 0, {at(kPoint, -43, 5)});
    lb.cell.terrain[c.road_word] |= 2;
    EXPECT_EQ(lb.bake().size(), c.kept ? 1u : 0u) << "road at word " << c.road_word;
  }
}

TEST(Bake, ObjectWithoutModelIsDropped) {
  Landblock lb;
  lb.plant(3, 1, {at(kNoModel, 0, 0), at(kPoint, 0, 0)});
  EXPECT_EQ(object_indices(lb.bake()), (std::vector<uint32_t>{1}));
}

TEST(PlaceFootprint, BoundsEveryVertexScaledTurnedAndMoved) {
  // Extremes in different positions of the list, the last ones past a
  // multiple of four, and a NaN vertex that changes nothing.
  const std::vector<Vector3> v = {{1, 0, 0},      {0, 2, 0},  {kNan, kNan, 0},
                                  {-3, 0, 0},     {0, -1, 0}, {0.5f, 0.5f, 9},
                                  {0.25f, 0, -7}, {0, 0, 0},  {4, -5, 0}};
  EXPECT_EQ(place_footprint(v, 2, 0, 1, 10, 20), (Footprint{4, 10, 18, 24}));

  // Turned: the same as applying the rule vertex after vertex.
  const float s = sinf(2.0f), c = cosf(2.0f);
  Footprint expected{kInf, kInf, -kInf, -kInf};
  for (const Vector3& p : v) {
    float a = p.x * 1.3f, b = p.y * 1.3f;
    float wx = (a * c - b * s) + 50, wy = (a * s + b * c) + 60;
    if (wx < expected.min_x) expected.min_x = wx;
    if (wx > expected.max_x) expected.max_x = wx;
    if (wy < expected.min_y) expected.min_y = wy;
    if (wy > expected.max_y) expected.max_y = wy;
  }
  EXPECT_EQ(place_footprint(v, 1.3f, s, c, 50, 60), expected);

  const Footprint inverted{kInf, kInf, -kInf, -kInf};
  EXPECT_EQ(place_footprint({}, 1, 0, 1, 5, 5), inverted);
  EXPECT_EQ(place_footprint(std::vector<Vector3>(5, {kNan, 1, 1}), 1, 0, 1, 5, 5), inverted);
}

TEST(Bake, FootprintsThatTouchCollide) {
  // Boxes of half-width 1 around x = 72, 74 and 76.5 on row y = 24.
  struct Case {
    std::vector<Footprint> buildings;
    std::vector<uint32_t> placed;
  };
  const Case cases[] = {
      {{}, {0, 2}},                      // the second shares an edge with the first
      {{{60, 0, 71, 30}}, {1, 2}},       // a building touches the first, freeing the second
      {{{77.5f, 0, 90, 30}}, {0}},       // and this one touches the third
      {{{77.6f, 24.5f, 90, 30}}, {0, 2}},  // this one it does not reach
      {{{0, 0, 1, 1}, {200, 0, 300, 300}}, {0, 2}},  // buildings elsewhere block nothing
  };
  for (const Case& c : cases) {
    Landblock lb;
    lb.buildings = c.buildings;
    lb.plant(3, 1, {at(kBox, 0, 0), at(kBox, 2, 0), at(kBox, 4.5f, 0)});
    EXPECT_EQ(object_indices(lb.bake()), c.placed);
  }
}

TEST(Bake, ObjectsOfNeighbouringVerticesBlockEachOtherInVertexOrder) {
  Landblock lb;
  lb.plant(3, 1, {at(kBig, 0, 0)});
  lb.plant(3, 0, {at(kPoint, 0, 0)});
  std::vector<Placement> placed = lb.bake();
  ASSERT_EQ(placed.size(), 1u);
  EXPECT_EQ(placed[0].source_cell_y, 0u);  // vertex (3, 0) comes first
}

// Heights 2 * (c^2 + 3r + (c r mod 5)): no plane holds them, and cell (3, 1)
// has a slope of about 0.62 radians.
void curve(Landblock& lb) {
  for (uint32_t c = 0; c < 9; ++c) {
    for (uint32_t r = 0; r < 9; ++r) {
      lb.cell.height[c * 9 + r] = static_cast<uint8_t>(c * c + 3 * r + (c * r) % 5);
    }
  }
}

TEST(Bake, ModesPlaceTheSameObjectsAtDifferentHeights) {
  Landblock lb;
  curve(lb);
  lb.plant(3, 1, {at(kBox, 5, 5), at(kBox, 5, 15), at(kPoint, -30, 7)});
  std::vector<Placement> ace = lb.bake(BakeMode::AceCompat);
  std::vector<Placement> strict = lb.bake(BakeMode::Strict);
  ASSERT_EQ(ace.size(), 3u);
  ASSERT_EQ(strict.size(), 3u);
  int heights_differ = 0;
  for (size_t i = 0; i < ace.size(); ++i) {
    heights_differ += ace[i].z != strict[i].z;
    strict[i].z = ace[i].z;
    EXPECT_EQ(strict[i], ace[i]);
  }
  EXPECT_GT(heights_differ, 0);
}

TEST(Bake, StrictSlopeRejectionFreesALaterObject) {
  Landblock lb;
  curve(lb);
  dat::ObjectDesc steep_only = at(kBox, 5, 5), flat_only = at(kBox, 6, 5);
  flat_only.max_slope = 0.1f;
  steep_only.min_slope = 0.5f;
  steep_only.max_slope = 0.7f;
  lb.plant(3, 1, {flat_only, steep_only});
  EXPECT_EQ(object_indices(lb.bake(BakeMode::AceCompat)), (std::vector<uint32_t>{0}));
  EXPECT_EQ(object_indices(lb.bake(BakeMode::Strict)), (std::vector<uint32_t>{1}));

  steep_only.min_slope = 0.65f;  // now above the ground's slope too
  lb.scenes.begin()->second.objects[1] = steep_only;
  EXPECT_TRUE(lb.bake(BakeMode::Strict).empty());
}

TEST(Bake, NonFiniteObjectsAreLeftOutButStillBlock) {
  // Object 0 (half-width 50, at (77, 29)) goes wrong in one way per case;
  // object 1 stands 35 units west, inside its footprint if it has one.
  struct Case {
    const char* name;
    void (*spoil)(Landblock&, dat::ObjectDesc&);
    bool blocks;
  };
  const Case cases[] = {
      {"infinite ground",
       [](Landblock& lb, dat::ObjectDesc&) {
         lb.region.land_height_table[255] = kInf;
         for (uint32_t i : {3 * 9 + 1, 3 * 9 + 2, 4 * 9 + 1, 4 * 9 + 2}) lb.cell.height[i] = 255;
       },
       true},
      {"NaN offset", [](Landblock&, dat::ObjectDesc& d) { d.frame.origin.x = kNan; }, false},
      {"NaN scale", [](Landblock&, dat::ObjectDesc& d) { d.min_scale = 0; }, false},
      {"infinite rotation", [](Landblock&, dat::ObjectDesc& d) { d.max_rotation = kInf; },
       false},
  };
  for (const Case& c : cases) {
    for (BakeMode mode : {BakeMode::AceCompat, BakeMode::Strict}) {
      Landblock lb;
      dat::ObjectDesc spoiled = at(kBig, 5, 5);
      c.spoil(lb, spoiled);
      lb.plant(3, 1, {spoiled, at(kPoint, -30, 5)});
      std::vector<Placement> placed = lb.bake(mode);
      EXPECT_EQ(object_indices(placed), c.blocks ? std::vector<uint32_t>{}
                                                 : std::vector<uint32_t>{1})
          << c.name;
    }
  }
}

// A landblock with displaced, turned and scaled objects of every kind of
// fate; the expected placements were computed independently, operation by
// operation, with the C library's sinf, cosf, atanf and pow.
struct GoldenLandblock : Landblock {
  GoldenLandblock() {
    dat::TerrainType none, scenery;
    none.scene_types = {0};
    scenery.scene_types = {1, 2};
    dat::SceneDesc desc;
    desc.scene_types.resize(3);
    desc.scene_types[1].scenes = {0x12000001, 0x12000002, 0x12000003};
    desc.scene_types[2].scenes = {0x12000004};
    region = writer::minimal_region({none, scenery}, desc);

    for (uint32_t i = 0; i < 81; ++i) cell.height[i] = static_cast<uint8_t>((i * 29 + 7) % 97);
    for (uint32_t i : {10, 20, 30, 40, 50, 60, 70, 15, 38, 56, 72, 8, 25, 44}) {
      uint32_t slot = (i == 10 || i == 30 || i == 50) ? 1 : 0;
      cell.terrain[i] = static_cast<uint16_t>(slot << 11 | 1 << 2);
    }
    for (uint32_t i : {11, 27, 35}) cell.terrain[i] |= 1;

    auto od = [](uint32_t obj, float x, float y, float frequency, float disp_x, float disp_y,
                 float min_scale, float max_scale, float rotation, float min_slope,
                 float max_slope) {
      dat::ObjectDesc d = at(obj, x, y);
      d.frequency = frequency;
      d.displace_x = disp_x;
      d.displace_y = disp_y;
      d.min_scale = min_scale;
      d.max_scale = max_scale;
      d.max_rotation = rotation;
      d.min_slope = min_slope;
      d.max_slope = max_slope;
      return d;
    };
    constexpr uint32_t kSetup = 0x02000001;
    dat::ObjectDesc skipped = od(kPoint, 0, 0, 0.99f, 0, 0, 1, 1, 0, 0, 10);
    skipped.skip_flag = 1;
    scenes[0x12000001] = {0x12000001,
                          {od(kPoint, 3, 4, 0.9f, 12, 12, 0.8f, 1.3f, 360, 0, 0.6f),
                           od(kSetup, 0, 0, 0.7f, 8, 0, 1, 1, 90, 0.2f, 1.5f),
                           od(kNoModel, 0, 0, 1, 0, 0, 1, 1, 0, 0, 10)}};
    scenes[0x12000002] = {0x12000002,
                          {skipped, od(kPoint, 0, 0, 0.95f, 0, 10, 0.5f, 2, 0, 0, 2)}};
    scenes[0x12000003] = {0x12000003, {od(kPoint, -6, 6, 0.99f, 5, 5, 1, 1.5f, 180, 0, 0.3f)}};
    scenes[0x12000004] = {0x12000004,
                          {od(kPoint, 1, 1, 0.99f, 0, 0, 1, 1, 0, 0, 10),
                           od(kPoint, 1.5f, 1, 0.99f, 0, 0, 1, 1, 0, 0, 10),
                           od(kPoint, 10, -10, 0.99f, 0, 0, 1, 1, 0, 0, 10)}};
    models[kPoint] = {{-0.5f, -0.5f, 0}, {0.5f, 0.5f, 1}, {0.3f, -0.4f, 0}};
    models[kSetup] = {{0.2f, 0.1f, 0}, {-1.5f, -1, 0}, {0.7f, -0.9f, 1},
                      {1.1f, 0.4f, 0}, {1.5f, 1, 2},     {-0.6f, 0.8f, 0}};
    buildings = {{100, 100, 110, 110}};
  }
};

constexpr uint32_t kGoldenKey = 0xA9B40000;

TEST(Bake, GoldenLandblockAceCompat) {
  const std::vector<Placement> expected = {
      {0x01000001, 0x1.627122p+3f, 0x1.64a70ep+7f, 0x1.1a9ep+5f,
       -0x1.93f9a6p-1f, 0, 0, 0x1.3a8f62p-1f, 0x1.abbd3ep-1f, 0, 8, 0},
      {0x02000001, 0x0p+0f, 0x1.70588ap+7f, 0x1.1c569cp+6f,
       0x1.8aef28p-1f, 0, 0, 0x1.45d6c2p-1f, 0x1p+0f, 0, 8, 1},
      {0x01000001, 0x1.7p+4f, 0x1.7p+4f, 0x1.82aaaap+3f,
       0x1p+0f, 0, 0, 0x0p+0f, 0x1p+0f, 1, 1, 0},
      {0x01000001, 0x1.cp+3f, 0x1.1p+5f, 0x1.e95556p+5f,
       0x1p+0f, 0, 0, 0x0p+0f, 0x1p+0f, 1, 1, 2},
      {0x01000001, 0x1.042f88p+4f, 0x1.095864p+7f, 0x1.8fe2d8p+6f,
       -0x1.fe3a52p-1f, 0, 0, 0x1.548032p-4f, 0x1.b07e6ep-1f, 1, 6, 0},
      {0x02000001, 0x1.11771ep+4f, 0x1.2p+7f, 0x1.076d8ep+8f,
       0x1.e16e6ep-1f, 0, 0, 0x1.5c8706p-2f, 0x1p+0f, 1, 6, 1},
      {0x01000001, 0x1.49d1fap+5f, 0x1.2dab2ep+5f, 0x1.54ff2ep+6f,
       0x1.1980c6p-1f, 0, 0, 0x1.abab0cp-1f, 0x1.4b795ep+0f, 2, 2, 0},
      {0x02000001, 0x1.4091cp+5f, 0x1.8p+5f, 0x1.dd274p+4f,
       0x1.6c777ep-1f, 0, 0, 0x1.67981cp-1f, 0x1p+0f, 2, 2, 1},
      {0x01000001, 0x1.1cp+6f, 0x1.1cp+6f, 0x1.02aaaap+4f,
       0x1p+0f, 0, 0, 0x0p+0f, 0x1p+0f, 3, 3, 0},
      {0x01000001, 0x1.fp+5f, 0x1.48p+6f, 0x1.c95556p+5f,
       0x1p+0f, 0, 0, 0x0p+0f, 0x1p+0f, 3, 3, 2},
      {0x01000001, 0x1.8p+6f, 0x1.bc1922p+5f, 0x1.989e6p+6f,
       0x1p+0f, 0, 0, 0x0p+0f, 0x1.3e019ap+0f, 4, 2, 1},
      {0x01000001, 0x1.81355ap+6f, 0x1.8p+6f, 0x1.ebf38ep+2f,
       0x1p+0f, 0, 0, 0x0p+0f, 0x1.ebf622p+0f, 4, 4, 1},
      {0x01000001, 0x1.687914p+6f, 0x1.8p+7f, 0x1.d5a29cp+5f,
       0x1p+0f, 0, 0, 0x0p+0f, 0x1.26593ep+0f, 4, 8, 1},
      {0x01000001, 0x1.e4p+6f, 0x1.e4p+6f, 0x1.8p+3f,
       0x1p+0f, 0, 0, 0x0p+0f, 0x1p+0f, 5, 5, 0},
      {0x01000001, 0x1.04p+7f, 0x1.b8p+6f, 0x1.1d5556p+5f,
       0x1p+0f, 0, 0, 0x0p+0f, 0x1p+0f, 5, 5, 2},
      {0x01000001, 0x1.2a342ep+7f, 0x1.47460cp+5f, 0x1.0037ep+7f,
       0x1.9bcf6p-1f, 0, 0, 0x1.303b2p-1f, 0x1.4166f4p+0f, 6, 2, 0},
      {0x01000001, 0x1.4117fcp+7f, 0x1.4d8b1cp+7f, 0x1.f5438ep+3f,
       0x1.0f353ep-3f, 0, 0, 0x1.fb7da4p-1f, 0x1.175a1p+0f, 7, 7, 0},
  };
  EXPECT_EQ(GoldenLandblock().bake(BakeMode::AceCompat, kGoldenKey), expected);
}

TEST(Bake, GoldenLandblockStrict) {
  const std::vector<Placement> expected = {
      {0x02000001, 0x0p+0f, 0x1.70588ap+7f, 0x1.1c569cp+6f,
       0x1.8aef28p-1f, 0, 0, 0x1.45d6c2p-1f, 0x1p+0f, 0, 8, 1},
      {0x01000001, 0x1.7p+4f, 0x1.7p+4f, 0x1.3d472p+4f,
       0x1p+0f, 0, 0, 0x0p+0f, 0x1p+0f, 1, 1, 0},
      {0x01000001, 0x1.cp+3f, 0x1.1p+5f, 0x1.e95554p+5f,
       0x1p+0f, 0, 0, 0x0p+0f, 0x1p+0f, 1, 1, 2},
      {0x02000001, 0x1.11771ep+4f, 0x1.2p+7f, 0x1.f5158ep+6f,
       0x1.e16e6ep-1f, 0, 0, 0x1.5c8706p-2f, 0x1p+0f, 1, 6, 1},
      {0x02000001, 0x1.4091cp+5f, 0x1.8p+5f, 0x1.dd274p+4f,
       0x1.6c777ep-1f, 0, 0, 0x1.67981cp-1f, 0x1p+0f, 2, 2, 1},
      {0x01000001, 0x1.1cp+6f, 0x1.1cp+6f, 0x1.fa8e58p+3f,
       0x1p+0f, 0, 0, 0x0p+0f, 0x1p+0f, 3, 3, 0},
      {0x01000001, 0x1.fp+5f, 0x1.48p+6f, 0x1.c9555ap+5f,
       0x1p+0f, 0, 0, 0x0p+0f, 0x1p+0f, 3, 3, 2},
      {0x01000001, 0x1.8p+6f, 0x1.bc1922p+5f, 0x1.989e6p+6f,
       0x1p+0f, 0, 0, 0x0p+0f, 0x1.3e019ap+0f, 4, 2, 1},
      {0x01000001, 0x1.81355ap+6f, 0x1.8p+6f, 0x1.ebf368p+2f,
       0x1p+0f, 0, 0, 0x0p+0f, 0x1.ebf622p+0f, 4, 4, 1},
      {0x01000001, 0x1.687914p+6f, 0x1.8p+7f, 0x1.d5a29cp+5f,
       0x1p+0f, 0, 0, 0x0p+0f, 0x1.26593ep+0f, 4, 8, 1},
      {0x01000001, 0x1.e4p+6f, 0x1.e4p+6f, 0x1.7538a8p+3f,
       0x1p+0f, 0, 0, 0x0p+0f, 0x1p+0f, 5, 5, 0},
      {0x01000001, 0x1.04p+7f, 0x1.b8p+6f, 0x1.4b4718p+6f,
       0x1p+0f, 0, 0, 0x0p+0f, 0x1p+0f, 5, 5, 2},
  };
  EXPECT_EQ(GoldenLandblock().bake(BakeMode::Strict, kGoldenKey), expected);
}

}  // namespace
}  // namespace torvanel::brambolt
