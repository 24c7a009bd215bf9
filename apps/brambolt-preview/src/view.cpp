#include "view.hpp"

#include <fmt/format.h>

#include <cmath>
#include <utility>

#include "caches.hpp"
#include "records.hpp"
#include "torvanel/common/try.hpp"
#include "torvanel/dat/database.hpp"

namespace torvanel::preview {
namespace {

namespace fs = std::filesystem;
using tools::Error;
using tools::ToolResult;

ToolResult<dat::CellLandblock> require_terrain(const dat::DatDatabase& cell, uint16_t lb) {
  TV_TRY(std::optional<dat::CellLandblock> terrain, tools::load_terrain(cell, lb));
  if (!terrain) {
    return std::unexpected(Error::msg(fmt::format(
        "LB 0x{:04X}: CellLandblock 0x{:08X} not in cell.dat", lb, tools::terrain_record_id(lb))));
  }
  return std::move(*terrain);
}

}  // namespace

ToolResult<LandblockView> bake_view(const fs::path& dat_dir, uint32_t region_did, uint16_t lb,
                                    brambolt::BakeMode mode) {
  TV_TRY(dat::DatDatabase portal, tools::open_archive(dat_dir / "client_portal.dat"));
  TV_TRY(dat::DatDatabase cell, tools::open_archive(dat_dir / "client_cell_1.dat"));
  TV_TRY(dat::Region region, tools::load_region(portal, region_did));
  TV_TRY(dat::CellLandblock terrain, require_terrain(cell, lb));

  LandblockView view;
  view.landblock = lb;
  view.mode = mode;
  view.heights = brambolt::vertex_heights(region, terrain);
  view.terrain = terrain.terrain;
  tools::SceneCache scenes;
  tools::MeshCache meshes;
  view.buildings = tools::landblock_buildings(cell, portal, meshes, lb, view.buildings_warning);
  const std::vector<brambolt::Placement> placements = tools::bake_landblock(
      region, terrain, uint32_t{lb} << 16, scenes, meshes, portal, view.buildings, mode);

  view.objects.reserve(placements.size());
  for (const brambolt::Placement& p : placements) {
    // A placed object always has vertices. Its heading comes back from the
    // quaternion, so the box may differ from the bake's in the last bits;
    // it is drawn, never tested.
    const std::vector<common::Vector3>* mesh = meshes.lookup(portal, p.obj_id);
    const float heading = 2.0f * std::atan2(p.qz, p.qw);
    brambolt::Footprint box = mesh != nullptr
                                  ? brambolt::place_footprint(*mesh, p.scale, std::sin(heading),
                                                              std::cos(heading), p.x, p.y)
                                  : brambolt::place_footprint({}, p.scale, 0, 1, p.x, p.y);
    view.objects.push_back({p, box});
  }
  return view;
}

}  // namespace torvanel::preview
