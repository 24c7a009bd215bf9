#include "records.hpp"

#include <utility>

#include <fmt/format.h>

#include "file_io.hpp"
#include "torvanel/common/reader.hpp"

namespace torvanel::tools {

ToolResult<dat::DatDatabase> open_archive(const std::filesystem::path& path) {
  auto db = dat::DatDatabase::open(path);
  if (!db) {
    return std::unexpected(Error(db.error()).context(fmt::format("open {}", path_text(path))));
  }
  return std::move(*db);
}

ToolResult<dat::Region> load_region(const dat::DatDatabase& portal, uint32_t id) {
  auto bytes = portal.get_file(id);
  if (!bytes) {
    return std::unexpected(
        Error(bytes.error()).context(fmt::format("fetch Region 0x{:08X} from portal.dat", id)));
  }
  common::Reader r(*bytes);
  auto region = dat::Region::unpack(r);
  if (!region) {
    return std::unexpected(Error(dat::DatError(std::move(region.error())))
                               .context(fmt::format("parse Region 0x{:08X}", id)));
  }
  return std::move(*region);
}

ToolResult<std::optional<dat::CellLandblock>> load_terrain(const dat::DatDatabase& cell,
                                                           uint16_t lb) {
  const uint32_t id = terrain_record_id(lb);
  auto bytes = cell.get_file(id);
  if (!bytes) return std::nullopt;
  auto terrain = dat::CellLandblock::unpack(*bytes);
  if (!terrain) {
    return std::unexpected(
        Error(terrain.error()).context(fmt::format("parse CellLandblock 0x{:08X}", id)));
  }
  return std::move(*terrain);
}

std::vector<brambolt::Footprint> landblock_buildings(const dat::DatDatabase& cell,
                                                     const dat::DatDatabase& portal,
                                                     MeshCache& meshes, uint16_t lb,
                                                     std::optional<std::string>& warning) {
  const uint32_t id = static_objects_record_id(lb);
  auto bytes = cell.get_file(id);
  if (!bytes) return {};
  auto info = dat::LandblockInfo::unpack(*bytes);
  if (!info) {
    warning = fmt::format("LB 0x{:04X}: LandblockInfo 0x{:08X} parse failed: {}", lb, id,
                          info.error().text());
    return {};
  }
  return building_footprints(*info, meshes, portal);
}

}  // namespace torvanel::tools
