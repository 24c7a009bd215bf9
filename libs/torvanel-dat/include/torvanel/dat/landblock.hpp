#pragma once

// The two records the cell archive holds per landblock: the terrain record
// (id 0xXXYYFFFF) and the static-object record (id 0xXXYYFFFE). Both are
// decoded front to back; fields nothing interprets are kept as stored.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "torvanel/common/flat_map.hpp"
#include "torvanel/common/math.hpp"
#include "torvanel/common/reader.hpp"
#include "torvanel/dat/error.hpp"

namespace torvanel::dat {

using common::Frame;
using common::ReadResult;
using common::Reader;

// The 9 x 9 terrain vertices of a landblock, 252 bytes. Entry i of both
// grids is the vertex in column i / 9 and row i % 9.
struct CellLandblock {
  static constexpr size_t kVertices = 81;

  uint32_t id = 0;           // as stored, never compared with the fetched id
  uint32_t has_objects = 0;  // kept, not used
  // Terrain words: bits 0-1 road, 2-6 terrain type, 11-15 scene-type slot.
  std::array<uint16_t, kVertices> terrain{};
  // Indices into the Region's land-height table.
  std::array<uint8_t, kVertices> height{};

  // A record of 251 bytes decodes too: the final padding byte is skipped.
  static DatResult<CellLandblock> unpack(std::span<const uint8_t> bytes);
  bool operator==(const CellLandblock&) const = default;
};

// A static object of the landblock, 32 bytes.
struct Stab {
  uint32_t id = 0;
  Frame frame;

  static ReadResult<Stab> read(Reader& r);
  bool operator==(const Stab&) const = default;
};

// A portal of a building, 8 + 2 * stab_list.size() bytes, plus 2 padding
// bytes after an odd number of stabs so that it fills a multiple of 4.
struct PortalInternal {
  uint16_t flags = 0;
  uint16_t other_cell_id = 0;
  uint16_t other_portal_id = 0;
  std::vector<uint16_t> stab_list;

  static ReadResult<PortalInternal> read(Reader& r);
  bool operator==(const PortalInternal&) const = default;
};

// A building, 40 bytes plus its portals.
struct BuildInfo {
  uint32_t model_id = 0;  // a setup or graphics-object record of the portal archive
  Frame frame;
  uint32_t num_leaves = 0;
  std::vector<PortalInternal> portals;

  static ReadResult<BuildInfo> read(Reader& r);
  bool operator==(const BuildInfo&) const = default;
};

// Key -> value pairs; a later pair with a repeated key replaces the earlier
// one. The stored bucket size is read past and discarded.
struct RestrictionTable {
  common::FlatMap<uint32_t, uint32_t> tables;

  static ReadResult<RestrictionTable> read(Reader& r);
  bool operator==(const RestrictionTable&) const = default;
};

// The landblock's static objects and buildings.
struct LandblockInfo {
  // Bit 0 of `pack_mask`: a restriction table follows the buildings.
  static constexpr uint16_t kHasRestrictionTable = 0x1;

  uint32_t id = 0;  // as stored, never compared with the fetched id
  uint32_t num_cells = 0;
  std::vector<Stab> objects;
  uint16_t pack_mask = 0;  // bits other than bit 0 are kept, not interpreted
  std::vector<BuildInfo> buildings;
  std::optional<RestrictionTable> restriction_tables;  // present exactly when bit 0 is set

  // Bytes after the last field are ignored.
  static DatResult<LandblockInfo> unpack(std::span<const uint8_t> bytes);
  bool operator==(const LandblockInfo&) const = default;
};

}  // namespace torvanel::dat
