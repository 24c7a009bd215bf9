// The placement engine on synthetic landblocks shaped like the world's:
// every vertex with a scene of several objects, models of tens of
// vertices, a few buildings, some road. Reports the time per landblock.

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <unordered_map>
#include <vector>

#include "torvanel/brambolt/bake.hpp"

namespace torvanel::brambolt {
namespace {

using common::Vector3;

struct World {
  dat::Region region;
  std::unordered_map<uint32_t, dat::Scene> scenes;
  std::unordered_map<uint32_t, std::vector<Vector3>> models;
  std::vector<dat::CellLandblock> cells;
  std::vector<uint32_t> keys;
  std::vector<std::vector<Footprint>> buildings;
};

std::vector<Vector3> model(std::mt19937& rng, int vertices, float radius) {
  std::uniform_real_distribution<float> coord(-radius, radius), height(0, 3 * radius);
  std::vector<Vector3> v;
  for (int i = 0; i < vertices; ++i) v.push_back({coord(rng), coord(rng), height(rng)});
  return v;
}

World make_world() {
  World w;
  std::mt19937 rng(20240611);
  auto uniform = [&](float lo, float hi) {
    return std::uniform_real_distribution<float>(lo, hi)(rng);
  };
  auto pick = [&](uint32_t n) { return std::uniform_int_distribution<uint32_t>(0, n - 1)(rng); };

  for (uint32_t code = 0; code < 256; ++code) w.region.land_height_table[code] = 2.0f * code;

  // 40 models: graphics objects of 20-40 vertices, setups of 60.
  std::vector<uint32_t> model_ids;
  for (uint32_t i = 0; i < 30; ++i) {
    model_ids.push_back(0x01000100 + i);
    w.models[model_ids.back()] = model(rng, 20 + static_cast<int>(pick(21)), uniform(0.3f, 2.5f));
  }
  for (uint32_t i = 0; i < 10; ++i) {
    model_ids.push_back(0x02000100 + i);
    w.models[model_ids.back()] = model(rng, 60, uniform(0.5f, 3.0f));
  }

  // 120 scenes of 3 to 8 objects.
  for (uint32_t s = 0; s < 120; ++s) {
    dat::Scene scene{0x12000000 + s, {}};
    for (uint32_t k = 0, n = 3 + pick(6); k < n; ++k) {
      dat::ObjectDesc d;
      d.obj_id = pick(20) == 0 ? 0x01FFFF00 : model_ids[pick(40)];  // some without a model
      d.frame.origin = {uniform(0, 24), uniform(0, 24), 0};
      d.frame.orientation = {1, 0, 0, 0};
      d.frequency = uniform(0.05f, 0.6f);
      d.displace_x = uniform(0, 12);
      d.displace_y = uniform(0, 12);
      d.min_scale = uniform(0.7f, 1.0f);
      d.max_scale = pick(4) == 0 ? d.min_scale : uniform(1.0f, 1.6f);
      d.max_rotation = pick(5) == 0 ? 0.0f : 360.0f;
      d.min_slope = 0;
      d.max_slope = uniform(0.4f, 1.6f);
      scene.objects.push_back(d);
    }
    w.scenes[scene.id] = std::move(scene);
  }

  // 24 scene types of 4 to 8 scenes, 28 terrain types of 4 slots.
  dat::SceneDesc desc;
  for (uint32_t t = 0; t < 24; ++t) {
    dat::SceneType type;
    for (uint32_t n = 4 + pick(5); n > 0; --n) type.scenes.push_back(0x12000000 + pick(120));
    desc.scene_types.push_back(type);
  }
  w.region.scene_desc = desc;
  for (uint32_t t = 0; t < 28; ++t) {
    dat::TerrainType type;
    for (uint32_t slot = 0; slot < 4; ++slot) type.scene_types.push_back(pick(24));
    w.region.terrain_desc.terrain_types.push_back(type);
  }

  // 64 landblocks with rolling terrain, some road and three buildings.
  for (uint32_t lb = 0; lb < 64; ++lb) {
    dat::CellLandblock cell;
    uint32_t base = pick(150);
    for (uint32_t i = 0; i < 81; ++i) {
      uint32_t road = pick(12) == 0 ? 1 : 0;
      cell.terrain[i] = static_cast<uint16_t>(pick(4) << 11 | pick(28) << 2 | road);
      cell.height[i] = static_cast<uint8_t>(base + (i / 9) * 3 + pick(20));
    }
    w.cells.push_back(cell);
    w.keys.push_back((0x80 + lb / 8) << 24 | (0x40 + lb % 8) << 16);
    std::vector<Footprint> buildings;
    for (int b = 0; b < 3; ++b) {
      float x = uniform(10, 170), y = uniform(10, 170);
      buildings.push_back({x, y, x + uniform(8, 20), y + uniform(8, 20)});
    }
    w.buildings.push_back(buildings);
  }
  return w;
}

void bake(benchmark::State& state, BakeMode mode) {
  const World w = make_world();
  auto scene_of = [&](uint32_t id) -> const dat::Scene* {
    auto it = w.scenes.find(id);
    return it == w.scenes.end() ? nullptr : &it->second;
  };
  auto model_of = [&](uint32_t id) -> const std::vector<Vector3>* {
    auto it = w.models.find(id);
    return it == w.models.end() ? nullptr : &it->second;
  };
  size_t lb = 0, placed = 0;
  for (auto _ : state) {
    auto out = bake_landblock_impl(w.region, w.cells[lb], w.keys[lb], scene_of, model_of,
                                   w.buildings[lb], mode);
    placed += out.size();
    benchmark::DoNotOptimize(out.data());
    lb = (lb + 1) % w.cells.size();
  }
  state.counters["placements"] =
      benchmark::Counter(static_cast<double>(placed), benchmark::Counter::kAvgIterations);
}

void BM_BakeLandblockAceCompat(benchmark::State& state) { bake(state, BakeMode::AceCompat); }
void BM_BakeLandblockStrict(benchmark::State& state) { bake(state, BakeMode::Strict); }

BENCHMARK(BM_BakeLandblockAceCompat)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BakeLandblockStrict)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace torvanel::brambolt
