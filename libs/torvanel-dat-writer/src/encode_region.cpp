#include "torvanel/writer/encode_region.hpp"

#include <string>

namespace torvanel::writer {

namespace {

template <size_t N>
void write_words(ByteWriter& w, const std::array<uint32_t, N>& words) {
  for (uint32_t word : words) w.u32(word);
}

void write_count(ByteWriter& w, size_t count) { w.u32(static_cast<uint32_t>(count)); }

void write_aligned_name(ByteWriter& w, const std::string& name) {
  w.pstring(name);
  w.align4();
}

// Writes `present` if the mask bit is set, a default descriptor if the bit
// is set but the descriptor absent, nothing if the bit is clear.
template <class T>
void write_optional(ByteWriter& w, uint32_t mask, uint32_t bit, const std::optional<T>& present) {
  if (mask & bit) write(w, present.value_or(T{}));
}

}  // namespace

void write(ByteWriter& w, const dat::TimeOfDay& time_of_day) {
  w.u32(time_of_day.value);
  w.u32(time_of_day.flag ? 1 : 0);
  write_aligned_name(w, time_of_day.name);
}

void write(ByteWriter& w, const dat::Season& season) {
  w.u32(season.value);
  write_aligned_name(w, season.name);
}

void write(ByteWriter& w, const dat::GameTime& game_time) {
  w.f64(game_time.value_f64);
  w.u32(game_time.value_1);
  w.u32(game_time.value_2);
  w.u32(game_time.value_3);
  write_aligned_name(w, game_time.name);
  write_count(w, game_time.times_of_day.size());
  for (const auto& time_of_day : game_time.times_of_day) write(w, time_of_day);
  write_count(w, game_time.name_list.size());
  for (const auto& name : game_time.name_list) write_aligned_name(w, name);
  write_count(w, game_time.seasons.size());
  for (const auto& season : game_time.seasons) write(w, season);
}

void write(ByteWriter& w, const dat::SkyTimeOfDay& sky_time) {
  write_words(w, sky_time.values);
  w.align4();
  write_count(w, sky_time.entries.size());
  for (const auto& entry : sky_time.entries) {
    write_words(w, entry);
    w.align4();
  }
}

void write(ByteWriter& w, const dat::DayGroup& day_group) {
  w.u32(day_group.value);
  write_aligned_name(w, day_group.name);
  write_count(w, day_group.entries.size());
  for (const auto& entry : day_group.entries) {
    write_words(w, entry);
    w.align4();
  }
  write_count(w, day_group.sky_times.size());
  for (const auto& sky_time : day_group.sky_times) write(w, sky_time);
}

void write(ByteWriter& w, const dat::SkyDesc& sky_desc) {
  w.f64(sky_desc.value_f64_1);
  w.f64(sky_desc.value_f64_2);
  w.align4();
  write_count(w, sky_desc.day_groups.size());
  for (const auto& day_group : sky_desc.day_groups) write(w, day_group);
}

void write(ByteWriter& w, const dat::AmbientSTBDesc& ambient) {
  w.u32(ambient.value);
  write_count(w, ambient.entries.size());
  for (const auto& entry : ambient.entries) write_words(w, entry);
}

void write(ByteWriter& w, const dat::SoundDesc& sound_desc) {
  write_count(w, sound_desc.ambient_descs.size());
  for (const auto& ambient : sound_desc.ambient_descs) write(w, ambient);
}

void write(ByteWriter& w, const dat::SceneType& scene_type) {
  w.u32(scene_type.type_value);
  write_count(w, scene_type.scenes.size());
  for (uint32_t scene : scene_type.scenes) w.u32(scene);
}

void write(ByteWriter& w, const dat::SceneDesc& scene_desc) {
  write_count(w, scene_desc.scene_types.size());
  for (const auto& scene_type : scene_desc.scene_types) write(w, scene_type);
}

void write(ByteWriter& w, const dat::TerrainType& terrain_type) {
  write_aligned_name(w, terrain_type.name);
  w.u32(terrain_type.type_value);
  write_count(w, terrain_type.scene_types.size());
  for (uint32_t scene_type : terrain_type.scene_types) w.u32(scene_type);
}

void write(ByteWriter& w, const dat::TerrainDesc& terrain_desc) {
  write_count(w, terrain_desc.terrain_types.size());
  for (const auto& terrain_type : terrain_desc.terrain_types) write(w, terrain_type);
  w.u32(terrain_desc.desc_value_1);
  w.u32(terrain_desc.desc_value_2);
  for (const auto* pairs :
       {&terrain_desc.pair_list_1, &terrain_desc.pair_list_2, &terrain_desc.pair_list_3}) {
    write_count(w, pairs->size());
    for (const auto& pair : *pairs) write_words(w, pair);
  }
  write_count(w, terrain_desc.record_list.size());
  for (const auto& record : terrain_desc.record_list) write_words(w, record);
}

void write(ByteWriter& w, const dat::RegionMisc& misc) {
  w.u32(misc.misc_value_1);
  w.u32(misc.misc_value_2);
  w.u32(misc.misc_value_3);
  w.u32(misc.misc_value_4);
  w.u32(misc.misc_value_5);
  w.u32(misc.misc_value_6);
}

std::vector<uint8_t> encode(const dat::Region& region) {
  using dat::Region;
  ByteWriter w;
  w.u32(region.id);
  w.u32(region.header_value_1);
  w.u32(region.header_value_2);
  write_aligned_name(w, region.name);
  w.i32(region.land_value_1);
  w.i32(region.land_value_2);
  w.f32(region.land_value_3);
  w.i32(region.land_value_4);
  w.i32(region.land_value_5);
  w.f32(region.land_value_6);
  w.u32(region.land_value_7);
  w.u32(region.land_value_8);
  for (float height : region.land_height_table) w.f32(height);
  write(w, region.game_time);
  w.u32(region.parts_mask);
  write_optional(w, region.parts_mask, Region::kSkyBit, region.sky_desc);
  write_optional(w, region.parts_mask, Region::kSoundBit, region.sound_desc);
  write_optional(w, region.parts_mask, Region::kSceneBit, region.scene_desc);
  write(w, region.terrain_desc);
  write_optional(w, region.parts_mask, Region::kMiscBit, region.region_misc);
  return w.take();
}

dat::Region minimal_region(std::vector<dat::TerrainType> terrain_types,
                           std::optional<dat::SceneDesc> scene_desc) {
  dat::Region region;
  region.id = 0x13000000;
  region.name = "region";
  for (size_t code = 0; code < region.land_height_table.size(); ++code) {
    region.land_height_table[code] = 2.0f * static_cast<float>(code);
  }
  region.parts_mask = scene_desc ? dat::Region::kSceneBit : 0;
  region.scene_desc = std::move(scene_desc);
  region.terrain_desc.terrain_types = std::move(terrain_types);
  return region;
}

dat::Region full_region(size_t name_length) {
  uint32_t next = 1;
  auto word = [&] { return next++; };
  auto words = [&]<size_t N>(std::array<uint32_t, N>& out) {
    for (uint32_t& w : out) w = word();
  };
  char letter = 'a';
  auto name = [&] { return std::string(name_length, letter++); };

  dat::Region region;
  region.id = 0x13000000;
  region.header_value_1 = word();
  region.header_value_2 = word();
  region.name = name();
  region.land_value_1 = -static_cast<int32_t>(word());
  region.land_value_2 = static_cast<int32_t>(word());
  region.land_value_3 = 0.5f;
  region.land_value_4 = static_cast<int32_t>(word());
  region.land_value_5 = -static_cast<int32_t>(word());
  region.land_value_6 = -1.25f;
  region.land_value_7 = word();
  region.land_value_8 = word();
  for (size_t code = 0; code < region.land_height_table.size(); ++code) {
    region.land_height_table[code] = 0.25f * static_cast<float>(code);
  }

  auto& time = region.game_time;
  time.value_f64 = 1234.5;
  time.value_1 = word();
  time.value_2 = word();
  time.value_3 = word();
  time.name = name();
  time.times_of_day = {{word(), true, name()}, {word(), false, name()}};
  time.name_list = {name(), name()};
  time.seasons = {{word(), name()}};

  using dat::Region;
  region.parts_mask = Region::kSkyBit | Region::kSoundBit | Region::kSceneBit | Region::kMiscBit;

  dat::SkyTimeOfDay sky_time;
  words(sky_time.values);
  sky_time.entries.resize(2);
  for (auto& entry : sky_time.entries) words(entry);
  dat::DayGroup day_group;
  day_group.value = word();
  day_group.name = name();
  day_group.entries.resize(1);
  words(day_group.entries[0]);
  day_group.sky_times = {sky_time};
  region.sky_desc = dat::SkyDesc{-2.5, 7.75, {day_group}};

  dat::AmbientSTBDesc ambient;
  ambient.value = word();
  ambient.entries.resize(2);
  for (auto& entry : ambient.entries) words(entry);
  region.sound_desc = dat::SoundDesc{{ambient}};

  region.scene_desc = dat::SceneDesc{{{word(), {0x12000001, 0x12000002}}, {word(), {}}}};

  auto& terrain = region.terrain_desc;
  terrain.terrain_types = {{name(), word(), {1, 0}}, {name(), word(), {}}};
  terrain.desc_value_1 = word();
  terrain.desc_value_2 = word();
  terrain.pair_list_1.resize(1);
  terrain.pair_list_3.resize(2);
  for (auto* pairs : {&terrain.pair_list_1, &terrain.pair_list_3}) {
    for (auto& pair : *pairs) words(pair);
  }
  terrain.record_list.resize(1);
  words(terrain.record_list[0]);

  region.region_misc = dat::RegionMisc{word(), word(), word(), word(), word(), word()};
  return region;
}

}  // namespace torvanel::writer
