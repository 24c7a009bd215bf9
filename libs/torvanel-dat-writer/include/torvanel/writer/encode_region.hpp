#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "torvanel/dat/file_type/game_time.hpp"
#include "torvanel/dat/file_type/region.hpp"
#include "torvanel/writer/byte_writer.hpp"

namespace torvanel::writer {

// Region records byte for byte, the mirror image of the decoders: texts as
// 2-byte-length pascal strings holding the bytes as given, padding written
// as zeros. Align steps count from the writer's first byte, so the nested
// writers must be fed the writer the whole record is built in.

// The whole record. An optional descriptor is written when its
// `parts_mask` bit is set, as stored or, when absent, default-constructed;
// a descriptor whose bit is clear is left out.
std::vector<uint8_t> encode(const dat::Region& region);

void write(ByteWriter& w, const dat::TimeOfDay& time_of_day);
void write(ByteWriter& w, const dat::Season& season);
void write(ByteWriter& w, const dat::GameTime& game_time);
void write(ByteWriter& w, const dat::SkyTimeOfDay& sky_time);
void write(ByteWriter& w, const dat::DayGroup& day_group);
void write(ByteWriter& w, const dat::SkyDesc& sky_desc);
void write(ByteWriter& w, const dat::AmbientSTBDesc& ambient);
void write(ByteWriter& w, const dat::SoundDesc& sound_desc);
void write(ByteWriter& w, const dat::SceneType& scene_type);
void write(ByteWriter& w, const dat::SceneDesc& scene_desc);
void write(ByteWriter& w, const dat::TerrainType& terrain_type);
void write(ByteWriter& w, const dat::TerrainDesc& terrain_desc);
void write(ByteWriter& w, const dat::RegionMisc& misc);

// The smallest Region the bake can use: id 0x13000000, name "region", land
// height table code i -> 2 * i, an empty calendar, no sky, sound or misc
// descriptor, the given terrain types, and a SceneDesc (with `parts_mask`
// 0x02) exactly when `scene_desc` is given.
dat::Region minimal_region(std::vector<dat::TerrainType> terrain_types = {},
                           std::optional<dat::SceneDesc> scene_desc = std::nullopt);

// A Region with every descriptor present (`parts_mask` 0x213), every list
// holding one or two entries, distinct values everywhere, and every text
// `name_length` characters long.
dat::Region full_region(size_t name_length = 3);

}  // namespace torvanel::writer
