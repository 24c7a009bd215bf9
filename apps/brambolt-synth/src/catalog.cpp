#include "catalog.hpp"

#include <array>
#include <initializer_list>
#include <string>
#include <utility>

#include "biomes.hpp"
#include "models.hpp"
#include "rng.hpp"
#include "torvanel/writer/encode_gfx_obj.hpp"
#include "torvanel/writer/encode_setup_model.hpp"

namespace torvanel::synth {
namespace {

// Streams of the seed, one per part of the catalog, so that changing one
// part leaves the others as they were.
enum Stream : uint64_t { kModelStream = 1, kSceneStream, kTableStream };

enum Kind { kBroadleaf, kPine, kBush, kRock, kGrove, kRockPile, kKinds };

struct ModelPools {
  std::array<std::vector<uint32_t>, kKinds> ids;
};

// How a biome's scenes are made: how many scenes there are, how many
// object templates each holds, how likely each kind of model is, and how
// often an object template comes into play.
struct SceneStyle {
  uint32_t scenes;
  uint32_t min_objects, max_objects;
  std::array<float, kKinds> weights;
  float min_frequency, max_frequency;
};

// By Biome; water has no scenes.
constexpr std::array<SceneStyle, kBiomes> kStyles{{
    {0, 0, 0, {}, 0, 0},
    {40, 2, 7, {0.25f, 0.0f, 0.6f, 0.1f, 0.05f, 0.0f}, 0.05f, 0.45f},
    {70, 2, 8, {0.15f, 0.02f, 0.5f, 0.25f, 0.05f, 0.03f}, 0.05f, 0.5f},
    {80, 3, 10, {0.45f, 0.2f, 0.2f, 0.08f, 0.07f, 0.0f}, 0.1f, 0.65f},
    {35, 1, 5, {0.05f, 0.0f, 0.45f, 0.45f, 0.0f, 0.05f}, 0.05f, 0.35f},
    {45, 2, 7, {0.02f, 0.05f, 0.13f, 0.6f, 0.0f, 0.2f}, 0.05f, 0.45f},
    {30, 1, 6, {0.0f, 0.5f, 0.05f, 0.35f, 0.0f, 0.1f}, 0.05f, 0.35f},
}};

constexpr uint32_t kSceneTypesPerBiome = 10;

Kind pick_kind(Rng& rng, const std::array<float, kKinds>& weights) {
  float total = 0;
  for (float w : weights) total += w;
  float x = rng.uniform(0, total);
  for (int k = 0; k < kKinds; ++k) {
    if (x < weights[k]) return static_cast<Kind>(k);
    x -= weights[k];
  }
  return kBush;
}

void add_gfx(Catalog& c, uint32_t id, const std::vector<Vector3>& vertices) {
  c.gfx_objs.push_back(writer::gfx_obj_from_vertices(id, vertices));
}

// Collision and selection volumes that a setup carries; the bake never
// reads them.
void add_bounds(dat::SetupModel& setup, float radius, float height) {
  setup.cyl_spheres = {{{0, 0, 0}, radius, height}};
  setup.spheres = {{{0, 0, height / 2}, radius}};
  setup.sphere_a = {{0, 0, height / 2}, radius};
  setup.sphere_b = {{0, 0, height / 2}, radius * 1.1f};
}

ModelPools add_scenery_models(Catalog& c, Rng& rng) {
  ModelPools pools;
  auto add = [&](Kind kind, uint32_t first_id, uint32_t count, auto make) {
    for (uint32_t i = 0; i < count; ++i) {
      add_gfx(c, first_id + i, make(rng));
      pools.ids[kind].push_back(first_id + i);
    }
  };
  add(kBroadleaf, kBroadleafIds, 24, broadleaf_tree);
  add(kPine, kPineIds, 12, pine_tree);
  add(kBush, kBushIds, 20, bush);
  add(kRock, kRockIds, 20, rock);

  // Setups of two or three parts; the first grove also names a part the
  // archive lacks, which contributes nothing to its footprint.
  auto add_setups = [&](Kind kind, uint32_t first_id, uint32_t count,
                        std::initializer_list<Kind> part_kinds) {
    for (uint32_t i = 0; i < count; ++i) {
      std::vector<uint32_t> parts;
      for (uint32_t p = 0, n = rng.between(2, 3); p < n; ++p) {
        const auto& pool = pools.ids[part_kinds.begin()[rng.below(
            static_cast<uint32_t>(part_kinds.size()))]];
        parts.push_back(pool[rng.below(static_cast<uint32_t>(pool.size()))]);
      }
      if (kind == kGrove && i == 0) parts.push_back(kMissingGfxIds + 0x80);
      dat::SetupModel setup = writer::setup_model_from_parts(first_id + i, std::move(parts));
      add_bounds(setup, rng.uniform(1.5f, 4.0f), rng.uniform(2.0f, 10.0f));
      c.setups.push_back(std::move(setup));
      pools.ids[kind].push_back(first_id + i);
    }
  };
  add_setups(kGrove, kGroveIds, 8, {kBroadleaf, kPine, kBush});
  add_setups(kRockPile, kRockPileIds, 6, {kRock});
  return pools;
}

void add_building_models(Catalog& c, Rng& rng) {
  for (uint32_t i = 0; i < 8; ++i) {
    const float hx = rng.uniform(4.0f, 11.0f), hy = rng.uniform(3.5f, 9.0f);
    add_gfx(c, kHouseIds + i, house(rng, hx, hy));
    c.buildings.push_back(kHouseIds + i);
  }
  // Homesteads: a house and an annex built against its east wall, as two
  // parts whose vertices already stand where the annex stands.
  for (uint32_t i = 0; i < 4; ++i) {
    const float hx = rng.uniform(4.0f, 8.0f), hy = rng.uniform(3.5f, 7.0f);
    const float ax = rng.uniform(2.0f, 4.0f), ay = rng.uniform(2.0f, hy);
    add_gfx(c, kAnnexIds + i, house(rng, ax, ay, hx + ax));
    std::vector<uint32_t> parts{kHouseIds + i, kAnnexIds + i};
    dat::SetupModel setup = writer::setup_model_from_parts(kHomesteadIds + i, std::move(parts));
    setup.flags = dat::SetupModel::kHasPartVectors;
    setup.part_vectors.assign(setup.parts.size(), {1, 1, 1});
    add_bounds(setup, hx + 2 * ax, 8.0f);
    c.setups.push_back(std::move(setup));
    c.buildings.push_back(kHomesteadIds + i);
  }
  // A building whose model the archive lacks: it has no footprint.
  c.buildings.push_back(kMissingSetupIds + 0x80);
  c.static_objects = {kRockIds, kRockIds + 1, kBushIds, kBushIds + 1, kHouseIds + 7};
}

uint32_t pick_model(Rng& rng, const ModelPools& pools, const SceneStyle& style) {
  // About one template in forty names a model that does not exist.
  if (rng.chance(0.025)) {
    return rng.chance(0.5) ? kMissingGfxIds + rng.below(16) : kMissingSetupIds + rng.below(16);
  }
  const auto& pool = pools.ids[pick_kind(rng, style.weights)];
  return pool[rng.below(static_cast<uint32_t>(pool.size()))];
}

dat::ObjectDesc object_template(Rng& rng, const ModelPools& pools, const SceneStyle& style) {
  dat::ObjectDesc d;
  d.obj_id = pick_model(rng, pools, style);
  d.frame.origin = rng.chance(0.3) ? Vector3{12, 12, 0}
                                   : Vector3{rng.uniform(0, 24), rng.uniform(0, 24), 0};
  d.frame.orientation = {1, 0, 0, 0};
  d.frequency = rng.chance(0.06) ? rng.uniform(0.002f, 0.02f)
                                 : rng.uniform(style.min_frequency, style.max_frequency);
  if (rng.chance(0.75)) {
    d.displace_x = rng.uniform(3, 12);
    d.displace_y = rng.chance(0.5) ? d.displace_x : rng.uniform(3, 12);
  }
  if (rng.chance(0.3)) {
    d.min_scale = d.max_scale = rng.uniform(0.8f, 1.25f);
  } else {
    d.min_scale = rng.uniform(0.6f, 1.0f);
    d.max_scale = d.min_scale + rng.uniform(0.15f, 0.8f);
  }
  const double turn = rng.unit();
  d.max_rotation = turn < 0.7 ? 360.0f : turn < 0.85 ? 0.0f : rng.uniform(10, 90);
  d.min_slope = rng.chance(0.1) ? rng.uniform(0.05f, 0.25f) : 0.0f;
  d.max_slope = rng.uniform(0.35f, 1.3f);
  d.extra_value_2 = rng.below(4);
  d.skip_flag = rng.chance(0.02) ? 1 : 0;
  return d;
}

// Scenes, grouped by biome in id order; returns the scene ids of each biome.
std::array<std::vector<uint32_t>, kBiomes> add_scenes(Catalog& c, Rng& rng,
                                                      const ModelPools& pools) {
  std::array<std::vector<uint32_t>, kBiomes> by_biome;
  uint32_t id = kFirstSceneId;
  for (size_t b = 0; b < kBiomes; ++b) {
    const SceneStyle& style = kStyles[b];
    for (uint32_t s = 0; s < style.scenes; ++s, ++id) {
      dat::Scene scene{id, {}};
      for (uint32_t k = 0, n = rng.between(style.min_objects, style.max_objects); k < n; ++k) {
        scene.objects.push_back(object_template(rng, pools, style));
      }
      c.scenes.push_back(std::move(scene));
      by_biome[b].push_back(id);
    }
  }
  return by_biome;
}

dat::GameTime calendar() {
  dat::GameTime t;
  t.value_f64 = 3600.0;
  t.value_1 = 1;
  t.value_2 = 12;
  t.value_3 = 360;
  t.name = "calendar";
  t.times_of_day = {{0, true, "dawn"}, {1, true, "day"}, {2, false, "dusk"}, {3, false, "night"}};
  t.name_list = {"first moon", "second moon", "third moon"};
  t.seasons = {{0, "spring"}, {90, "summer"}, {180, "autumn"}, {270, "winter"}};
  return t;
}

dat::SkyDesc sky() {
  dat::SkyTimeOfDay noon;
  for (uint32_t i = 0; i < noon.values.size(); ++i) noon.values[i] = 0x3F000000 + i;
  noon.entries = {{0x08000001, 0, 0, 0, 0, 1}};
  dat::DayGroup clear{1, "clear", {{1, 2, 3, 4, 5, 6, 7, 8, 9}}, {noon}};
  return dat::SkyDesc{0.25, 0.75, {clear}};
}

void add_region(Catalog& c, Rng& rng, const std::array<std::vector<uint32_t>, kBiomes>& scenes) {
  dat::Region& r = c.region;
  r.id = kRegionId;
  r.header_value_1 = 1;
  r.name = "Synthetic Isles";
  r.land_value_1 = 255;
  r.land_value_2 = 8;
  r.land_value_3 = 24.0f;
  r.land_value_4 = 9;
  r.land_value_5 = 8;
  r.land_value_6 = 192.0f;
  // Steps grow with height, so that lowlands are gentle and hilltops
  // steeper: code c stands at 2c + c^2 / 170 units.
  for (uint32_t code = 0; code < r.land_height_table.size(); ++code) {
    const float c2 = static_cast<float>(code);
    r.land_height_table[code] = 2.0f * c2 + c2 * c2 / 170.0f;
  }
  r.game_time = calendar();
  using dat::Region;
  r.parts_mask = Region::kSkyBit | Region::kSoundBit | Region::kSceneBit | Region::kMiscBit;
  r.sky_desc = sky();
  r.sound_desc = dat::SoundDesc{{{7, {{1, 2, 3, 4, 5}, {6, 7, 8, 9, 10}}}}};

  // Ten scene types per biome with scenes, each a random handful of that
  // biome's scenes; water has one empty scene type.
  dat::SceneDesc desc;
  std::array<std::vector<uint32_t>, kBiomes> types_of;
  for (size_t b = 0; b < kBiomes; ++b) {
    const uint32_t count = scenes[b].empty() ? 1 : kSceneTypesPerBiome;
    for (uint32_t t = 0; t < count; ++t) {
      dat::SceneType type{static_cast<uint32_t>(b * 100 + t), {}};
      if (!scenes[b].empty()) {
        for (uint32_t n = rng.between(4, 12); n > 0; --n) {
          type.scenes.push_back(scenes[b][rng.below(static_cast<uint32_t>(scenes[b].size()))]);
        }
      }
      types_of[b].push_back(static_cast<uint32_t>(desc.scene_types.size()));
      desc.scene_types.push_back(std::move(type));
    }
  }
  r.scene_desc = std::move(desc);

  // Deep water has no scene slots at all, shallow water one empty scene
  // type; land types three to eight slots of their biome's scene types.
  auto& terrain = r.terrain_desc;
  for (uint32_t t = 0; t < kTerrainKinds.size(); ++t) {
    const TerrainKind& kind = kTerrainKinds[t];
    dat::TerrainType type{std::string(kind.name), 0x10 + t, {}};
    const auto& pool = types_of[static_cast<size_t>(kind.biome)];
    if (kind.biome != Biome::Water) {
      for (uint32_t n = rng.between(3, 8); n > 0; --n) {
        type.scene_types.push_back(pool[rng.below(static_cast<uint32_t>(pool.size()))]);
      }
    } else if (t > 0) {
      type.scene_types.push_back(pool[0]);
    }
    terrain.terrain_types.push_back(std::move(type));
  }
  terrain.desc_value_1 = 0x20;
  terrain.desc_value_2 = 0x4;
  for (uint32_t t = 0; t < kTerrainKinds.size(); ++t) {
    terrain.pair_list_1.push_back({t, 0x05000000 + t});
    terrain.pair_list_2.push_back({t, 0x06000000 + t});
  }
  terrain.pair_list_3.push_back({1, 2});
  terrain.record_list.push_back({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11});
  r.region_misc = dat::RegionMisc{1, 2, 0x05000001, 0x05000002, 0x05000003, 0x05000004};
}

}  // namespace

Catalog make_catalog(uint64_t seed) {
  Catalog c;
  Rng models(seed, kModelStream);
  const ModelPools pools = add_scenery_models(c, models);
  add_building_models(c, models);
  Rng scenes(seed, kSceneStream);
  const auto scenes_by_biome = add_scenes(c, scenes, pools);
  Rng tables(seed, kTableStream);
  add_region(c, tables, scenes_by_biome);
  return c;
}

}  // namespace torvanel::synth
