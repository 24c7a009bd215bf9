#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "torvanel/common/reader.hpp"
#include "torvanel/dat/file_type/game_time.hpp"

namespace torvanel::dat {

using common::ReadResult;
using common::Reader;

// The Region record of the portal archive and its descriptors. The bake uses
// only the land height table and the terrain and scene tables; everything
// else is decoded because it lies in front of them, and kept as read.
//
// Every decoder here takes the reader at its structure's first byte, leaves
// it behind the last byte consumed (padding included) and returns the bare
// reader error, with no field context. Align steps count from the first
// byte of the Region record, so the reader must have started there.
// Lists reserve from their declared count, capped by what the remaining
// bytes could hold.

// Sky -------------------------------------------------------------------

struct SkyTimeOfDay {
  std::array<uint32_t, 11> values{};
  std::vector<std::array<uint32_t, 6>> entries;

  static ReadResult<SkyTimeOfDay> unpack(Reader& r);
  bool operator==(const SkyTimeOfDay&) const = default;
};

struct DayGroup {
  uint32_t value = 0;
  std::string name;
  std::vector<std::array<uint32_t, 9>> entries;
  std::vector<SkyTimeOfDay> sky_times;

  static ReadResult<DayGroup> unpack(Reader& r);
  bool operator==(const DayGroup&) const = default;
};

struct SkyDesc {
  double value_f64_1 = 0;
  double value_f64_2 = 0;
  std::vector<DayGroup> day_groups;

  static ReadResult<SkyDesc> unpack(Reader& r);
  bool operator==(const SkyDesc&) const = default;
};

// Sound -----------------------------------------------------------------

struct AmbientSTBDesc {
  uint32_t value = 0;
  std::vector<std::array<uint32_t, 5>> entries;

  static ReadResult<AmbientSTBDesc> unpack(Reader& r);
  bool operator==(const AmbientSTBDesc&) const = default;
};

struct SoundDesc {
  std::vector<AmbientSTBDesc> ambient_descs;

  static ReadResult<SoundDesc> unpack(Reader& r);
  bool operator==(const SoundDesc&) const = default;
};

// Scenes and terrain ----------------------------------------------------

struct SceneType {
  uint32_t type_value = 0;
  std::vector<uint32_t> scenes;  // ids of Scene records

  static ReadResult<SceneType> unpack(Reader& r);
  bool operator==(const SceneType&) const = default;
};

struct SceneDesc {
  std::vector<SceneType> scene_types;

  static ReadResult<SceneDesc> unpack(Reader& r);
  bool operator==(const SceneDesc&) const = default;
};

struct TerrainType {
  std::string name;
  uint32_t type_value = 0;
  // Indices into SceneDesc::scene_types, by a vertex's scene slot; not
  // checked against that list here.
  std::vector<uint32_t> scene_types;

  static ReadResult<TerrainType> unpack(Reader& r);
  bool operator==(const TerrainType&) const = default;
};

struct TerrainDesc {
  std::vector<TerrainType> terrain_types;  // by a vertex's terrain type
  uint32_t desc_value_1 = 0;
  uint32_t desc_value_2 = 0;
  std::vector<std::array<uint32_t, 2>> pair_list_1;
  std::vector<std::array<uint32_t, 2>> pair_list_2;
  std::vector<std::array<uint32_t, 2>> pair_list_3;
  std::vector<std::array<uint32_t, 11>> record_list;

  static ReadResult<TerrainDesc> unpack(Reader& r);
  bool operator==(const TerrainDesc&) const = default;
};

// Miscellaneous ---------------------------------------------------------

struct RegionMisc {
  uint32_t misc_value_1 = 0;
  uint32_t misc_value_2 = 0;
  uint32_t misc_value_3 = 0;
  uint32_t misc_value_4 = 0;
  uint32_t misc_value_5 = 0;
  uint32_t misc_value_6 = 0;

  static ReadResult<RegionMisc> unpack(Reader& r);
  bool operator==(const RegionMisc&) const = default;
};

// The record ------------------------------------------------------------

struct Region {
  // Bits of `parts_mask` that make an optional descriptor present; the
  // other bits change nothing. On the wire the optional descriptors come in
  // the order sky, sound, scene, then the terrain descriptor (always), then
  // the miscellaneous one.
  static constexpr uint32_t kSoundBit = 0x001;
  static constexpr uint32_t kSceneBit = 0x002;
  static constexpr uint32_t kSkyBit = 0x010;
  static constexpr uint32_t kMiscBit = 0x200;

  uint32_t id = 0;  // as stored, never compared with the id requested
  uint32_t header_value_1 = 0;
  uint32_t header_value_2 = 0;
  std::string name;
  int32_t land_value_1 = 0;
  int32_t land_value_2 = 0;
  float land_value_3 = 0;
  int32_t land_value_4 = 0;
  int32_t land_value_5 = 0;
  float land_value_6 = 0;
  uint32_t land_value_7 = 0;
  uint32_t land_value_8 = 0;
  // Height of each 8-bit terrain height code, indexed by the code.
  std::array<float, 256> land_height_table{};
  GameTime game_time;
  uint32_t parts_mask = 0;  // kept whole, unknown bits included
  std::optional<SkyDesc> sky_desc;
  std::optional<SoundDesc> sound_desc;
  std::optional<SceneDesc> scene_desc;  // absent: the region places no scenery
  TerrainDesc terrain_desc;
  std::optional<RegionMisc> region_misc;

  // `r` must be at the record's first byte. Bytes after the last descriptor
  // are left unread.
  static ReadResult<Region> unpack(Reader& r);
  bool operator==(const Region&) const = default;
};

}  // namespace torvanel::dat
