#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "error.hpp"
#include "terrain.hpp"
#include "torvanel/brambolt/bake.hpp"
#include "torvanel/brambolt/bake_mode.hpp"
#include "torvanel/brambolt/footprint.hpp"
#include "torvanel/brambolt/height.hpp"

namespace torvanel::preview {

// An object the bake placed, with the box its model covers where it stands.
struct PlacedObject {
  brambolt::Placement placement;
  brambolt::Footprint footprint;
};

// One landblock baked in memory: what the picture shows.
struct LandblockView {
  uint16_t landblock = 0;
  brambolt::BakeMode mode = brambolt::BakeMode::AceCompat;
  brambolt::HeightGrid heights{};
  TerrainWords terrain{};
  std::vector<brambolt::Footprint> buildings;
  std::vector<PlacedObject> objects;  // in the bake's order
  // Set when the static-object record is there but does not decode: the
  // landblock was baked without buildings, as the bake does.
  std::optional<std::string> buildings_warning;
};

// Bakes landblock `lb` of the archives in `dat_dir` the way the bake does
// (same Region, records, caches, building footprints and engine) without
// writing anything. Fails when an archive does not open ("open {path}"),
// the Region cannot be fetched or decoded, or the landblock's terrain
// record is missing ("LB 0x{:04X}: CellLandblock 0x{:08X} not in cell.dat")
// or does not decode.
tools::ToolResult<LandblockView> bake_view(const std::filesystem::path& dat_dir,
                                           uint32_t region_did, uint16_t lb,
                                           brambolt::BakeMode mode);

}  // namespace torvanel::preview
