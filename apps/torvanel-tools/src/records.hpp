#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "caches.hpp"
#include "error.hpp"
#include "torvanel/brambolt/footprint.hpp"
#include "torvanel/dat/database.hpp"
#include "torvanel/dat/file_type/region.hpp"
#include "torvanel/dat/landblock.hpp"

// The records a bake starts from, fetched and decoded with the run's
// messages. Shared by the bake driver and the one-landblock preview.

namespace torvanel::tools {

// "open {}" + the archive error.
ToolResult<dat::DatDatabase> open_archive(const std::filesystem::path& path);

// "fetch Region 0x{:08X} from portal.dat" or "parse Region 0x{:08X}" + cause.
ToolResult<dat::Region> load_region(const dat::DatDatabase& portal, uint32_t id);

// Landblock `lb`'s terrain record; nothing when it cannot be fetched,
// "parse CellLandblock 0x{:08X}" + cause when it does not decode.
ToolResult<std::optional<dat::CellLandblock>> load_terrain(const dat::DatDatabase& cell,
                                                           uint16_t lb);

// The footprints of landblock `lb`'s buildings. None without a static-object
// record; none, and the warning "LB 0x{:04X}: LandblockInfo 0x{:08X} parse
// failed: {}" in `warning`, when that record does not decode.
std::vector<brambolt::Footprint> landblock_buildings(const dat::DatDatabase& cell,
                                                     const dat::DatDatabase& portal,
                                                     MeshCache& meshes, uint16_t lb,
                                                     std::optional<std::string>& warning);

inline uint32_t terrain_record_id(uint16_t lb) { return uint32_t{lb} << 16 | 0xFFFF; }
inline uint32_t static_objects_record_id(uint16_t lb) { return uint32_t{lb} << 16 | 0xFFFE; }

}  // namespace torvanel::tools
