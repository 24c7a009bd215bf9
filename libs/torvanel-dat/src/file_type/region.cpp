#include "torvanel/dat/file_type/region.hpp"

#include "counted_list.hpp"
#include "torvanel/dat/utils.hpp"

namespace torvanel::dat {

// Smallest wire size of each list element, for capping reservations. A
// name counts as its 2-byte length (its padding may be 0).
static constexpr uint64_t kWordSize = 4;
static constexpr uint64_t kMinSkyTimeOfDaySize = 11 * 4 + 4;
static constexpr uint64_t kMinDayGroupSize = 4 + 2 + 4 + 4;
static constexpr uint64_t kMinAmbientSize = 4 + 4;
static constexpr uint64_t kMinSceneTypeSize = 4 + 4;
static constexpr uint64_t kMinTerrainTypeSize = 2 + 4 + 4;

ReadResult<SkyTimeOfDay> SkyTimeOfDay::unpack(Reader& r) {
  SkyTimeOfDay t;
  TV_TRY(t.values, read_words<11>(r));
  r.align4();
  TV_TRY(t.entries, read_counted<Words<6>>(r, 6 * kWordSize, read_aligned_words<6>));
  return t;
}

ReadResult<DayGroup> DayGroup::unpack(Reader& r) {
  DayGroup g;
  TV_TRY(g.value, r.u32());
  TV_TRY(g.name, read_pstring(r, 2));
  r.align4();
  TV_TRY(g.entries, read_counted<Words<9>>(r, 9 * kWordSize, read_aligned_words<9>));
  TV_TRY(g.sky_times, read_counted<SkyTimeOfDay>(r, kMinSkyTimeOfDaySize, SkyTimeOfDay::unpack));
  return g;
}

ReadResult<SkyDesc> SkyDesc::unpack(Reader& r) {
  SkyDesc s;
  TV_TRY(s.value_f64_1, r.f64());
  TV_TRY(s.value_f64_2, r.f64());
  r.align4();
  TV_TRY(s.day_groups, read_counted<DayGroup>(r, kMinDayGroupSize, DayGroup::unpack));
  return s;
}

ReadResult<AmbientSTBDesc> AmbientSTBDesc::unpack(Reader& r) {
  AmbientSTBDesc a;
  TV_TRY(a.value, r.u32());
  TV_TRY(a.entries, read_counted<Words<5>>(r, 5 * kWordSize, read_words<5>));
  return a;
}

ReadResult<SoundDesc> SoundDesc::unpack(Reader& r) {
  SoundDesc s;
  TV_TRY(s.ambient_descs, read_counted<AmbientSTBDesc>(r, kMinAmbientSize, AmbientSTBDesc::unpack));
  return s;
}

ReadResult<SceneType> SceneType::unpack(Reader& r) {
  SceneType t;
  TV_TRY(t.type_value, r.u32());
  TV_TRY(t.scenes, read_counted<uint32_t>(r, kWordSize, read_word));
  return t;
}

ReadResult<SceneDesc> SceneDesc::unpack(Reader& r) {
  SceneDesc d;
  TV_TRY(d.scene_types, read_counted<SceneType>(r, kMinSceneTypeSize, SceneType::unpack));
  return d;
}

ReadResult<TerrainType> TerrainType::unpack(Reader& r) {
  TerrainType t;
  TV_TRY(t.name, read_pstring(r, 2));
  r.align4();
  TV_TRY(t.type_value, r.u32());
  TV_TRY(t.scene_types, read_counted<uint32_t>(r, kWordSize, read_word));
  return t;
}

ReadResult<TerrainDesc> TerrainDesc::unpack(Reader& r) {
  TerrainDesc d;
  TV_TRY(d.terrain_types, read_counted<TerrainType>(r, kMinTerrainTypeSize, TerrainType::unpack));
  TV_TRY(d.desc_value_1, r.u32());
  TV_TRY(d.desc_value_2, r.u32());
  TV_TRY(d.pair_list_1, read_counted<Words<2>>(r, 2 * kWordSize, read_words<2>));
  TV_TRY(d.pair_list_2, read_counted<Words<2>>(r, 2 * kWordSize, read_words<2>));
  TV_TRY(d.pair_list_3, read_counted<Words<2>>(r, 2 * kWordSize, read_words<2>));
  TV_TRY(d.record_list, read_counted<Words<11>>(r, 11 * kWordSize, read_words<11>));
  return d;
}

ReadResult<RegionMisc> RegionMisc::unpack(Reader& r) {
  RegionMisc m;
  TV_TRY(m.misc_value_1, r.u32());
  TV_TRY(m.misc_value_2, r.u32());
  TV_TRY(m.misc_value_3, r.u32());
  TV_TRY(m.misc_value_4, r.u32());
  TV_TRY(m.misc_value_5, r.u32());
  TV_TRY(m.misc_value_6, r.u32());
  return m;
}

ReadResult<Region> Region::unpack(Reader& r) {
  Region region;
  TV_TRY(region.id, r.u32());
  TV_TRY(region.header_value_1, r.u32());
  TV_TRY(region.header_value_2, r.u32());
  TV_TRY(region.name, read_pstring(r, 2));
  r.align4();
  TV_TRY(region.land_value_1, r.i32());
  TV_TRY(region.land_value_2, r.i32());
  TV_TRY(region.land_value_3, r.f32());
  TV_TRY(region.land_value_4, r.i32());
  TV_TRY(region.land_value_5, r.i32());
  TV_TRY(region.land_value_6, r.f32());
  TV_TRY(region.land_value_7, r.u32());
  TV_TRY(region.land_value_8, r.u32());
  for (float& height : region.land_height_table) {
    TV_TRY(height, r.f32());
  }
  TV_TRY(region.game_time, GameTime::unpack(r));
  TV_TRY(region.parts_mask, r.u32());
  if (region.parts_mask & kSkyBit) {
    TV_TRY(region.sky_desc, SkyDesc::unpack(r));
  }
  if (region.parts_mask & kSoundBit) {
    TV_TRY(region.sound_desc, SoundDesc::unpack(r));
  }
  if (region.parts_mask & kSceneBit) {
    TV_TRY(region.scene_desc, SceneDesc::unpack(r));
  }
  TV_TRY(region.terrain_desc, TerrainDesc::unpack(r));
  if (region.parts_mask & kMiscBit) {
    TV_TRY(region.region_misc, RegionMisc::unpack(r));
  }
  return region;
}

}  // namespace torvanel::dat
