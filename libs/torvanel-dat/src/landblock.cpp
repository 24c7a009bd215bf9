#include "torvanel/dat/landblock.hpp"

#include <utility>

namespace torvanel::dat {
namespace {

using common::Fields;
using common::read_list;

// Smallest wire size of each list element, for capping reservations by
// what the remaining bytes could hold.
constexpr uint64_t kStabSize = 32;
constexpr uint64_t kMinBuildInfoSize = 40;
constexpr uint64_t kMinPortalSize = 8;
constexpr uint64_t kStabIndexSize = 2;
constexpr uint64_t kRestrictionPairSize = 8;

ReadResult<std::array<uint16_t, CellLandblock::kVertices>> read_terrain(Reader& r) {
  std::array<uint16_t, CellLandblock::kVertices> words;
  for (auto& word : words) {
    TV_TRY(word, r.u16());
  }
  return words;
}

ReadResult<uint16_t> read_u16(Reader& r) { return r.u16(); }

ReadResult<std::pair<uint32_t, uint32_t>> read_restriction_pair(Reader& r) {
  TV_TRY(uint32_t key, r.u32());
  TV_TRY(uint32_t value, r.u32());
  return std::pair{key, value};
}

}  // namespace

DatResult<CellLandblock> CellLandblock::unpack(std::span<const uint8_t> bytes) {
  static constexpr Fields F{"CellLandblock"};
  Reader r(bytes);
  CellLandblock block;
  TV_TRY(block.id, F("id", r.u32()));
  TV_TRY(block.has_objects, F("has_objects", r.u32()));
  TV_TRY(block.terrain, F("terrain", read_terrain(r)));
  TV_TRY(block.height, F("height", r.byte_array<kVertices>()));
  r.skip(1);  // padding
  return block;
}

ReadResult<Stab> Stab::read(Reader& r) {
  static constexpr Fields F{"Stab"};
  Stab stab;
  TV_TRY(stab.id, F("id", r.u32()));
  TV_TRY(stab.frame, F("frame", Frame::read(r)));
  return stab;
}

ReadResult<PortalInternal> PortalInternal::read(Reader& r) {
  static constexpr Fields F{"PortalInternal"};
  PortalInternal portal;
  TV_TRY(portal.flags, F("flags", r.u16()));
  TV_TRY(portal.other_cell_id, F("other_cell_id", r.u16()));
  TV_TRY(portal.other_portal_id, F("other_portal_id", r.u16()));
  TV_TRY(uint16_t num_stabs, F("num_stabs", r.u16()));
  TV_TRY(portal.stab_list,
         F("stab_list", read_list<uint16_t>(r, num_stabs, kStabIndexSize, read_u16)));
  if (num_stabs % 2 != 0) r.skip(2);  // padding to a multiple of 4
  return portal;
}

ReadResult<BuildInfo> BuildInfo::read(Reader& r) {
  static constexpr Fields F{"BuildInfo"};
  BuildInfo building;
  TV_TRY(building.model_id, F("model_id", r.u32()));
  TV_TRY(building.frame, F("frame", Frame::read(r)));
  TV_TRY(building.num_leaves, F("num_leaves", r.u32()));
  TV_TRY(uint32_t num_portals, F("num_portals", r.u32()));
  TV_TRY(building.portals,
         F("portals", read_list<PortalInternal>(r, num_portals, kMinPortalSize,
                                                PortalInternal::read)));
  return building;
}

ReadResult<RestrictionTable> RestrictionTable::read(Reader& r) {
  static constexpr Fields F{"RestrictionTable"};
  RestrictionTable table;
  TV_TRY(uint16_t count, F("count", r.u16()));
  TV_CHECK(F("_bucket_size", r.u16()));
  TV_TRY(auto pairs, F("tables", read_list<std::pair<uint32_t, uint32_t>>(
                                     r, count, kRestrictionPairSize, read_restriction_pair)));
  table.tables = common::FlatMap<uint32_t, uint32_t>::from_entries(std::move(pairs));
  return table;
}

DatResult<LandblockInfo> LandblockInfo::unpack(std::span<const uint8_t> bytes) {
  static constexpr Fields F{"LandblockInfo"};
  Reader r(bytes);
  LandblockInfo info;
  TV_TRY(info.id, F("id", r.u32()));
  TV_TRY(info.num_cells, F("num_cells", r.u32()));
  TV_TRY(uint32_t num_objects, F("num_objects", r.u32()));
  TV_TRY(info.objects, F("objects", read_list<Stab>(r, num_objects, kStabSize, Stab::read)));
  TV_TRY(uint16_t num_buildings, F("num_buildings", r.u16()));
  TV_TRY(info.pack_mask, F("pack_mask", r.u16()));
  TV_TRY(info.buildings, F("buildings", read_list<BuildInfo>(r, num_buildings, kMinBuildInfoSize,
                                                             BuildInfo::read)));
  if (info.pack_mask & kHasRestrictionTable) {
    TV_TRY(info.restriction_tables, F("restriction_tables", RestrictionTable::read(r)));
  }
  return info;
}

}  // namespace torvanel::dat
