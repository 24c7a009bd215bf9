#include "torvanel/writer/encode_landblock.hpp"

#include "require.hpp"
#include "torvanel/writer/encode_math.hpp"

namespace torvanel::writer {

std::vector<uint8_t> encode(const dat::CellLandblock& block) {
  ByteWriter w;
  w.u32(block.id);
  w.u32(block.has_objects);
  for (uint16_t word : block.terrain) w.u16(word);
  w.bytes(block.height);
  w.zeros(1);  // padding
  return w.take();
}

std::vector<uint8_t> encode(const dat::LandblockInfo& info) {
  ByteWriter w;
  w.u32(info.id);
  w.u32(info.num_cells);
  w.u32(checked_count<uint32_t>(info.objects.size(), "too many entries for num_objects"));
  for (const auto& stab : info.objects) write(w, stab);
  w.u16(checked_count<uint16_t>(info.buildings.size(), "too many entries for num_buildings"));
  w.u16(info.pack_mask);
  for (const auto& building : info.buildings) write(w, building);
  const bool announced = (info.pack_mask & dat::LandblockInfo::kHasRestrictionTable) != 0;
  require(announced == info.restriction_tables.has_value(),
          "pack_mask bit 0 and restriction_tables disagree");
  if (announced) write(w, *info.restriction_tables);
  return w.take();
}

void write(ByteWriter& w, const dat::Stab& stab) {
  w.u32(stab.id);
  write(w, stab.frame);
}

void write(ByteWriter& w, const dat::PortalInternal& portal) {
  w.u16(portal.flags);
  w.u16(portal.other_cell_id);
  w.u16(portal.other_portal_id);
  w.u16(checked_count<uint16_t>(portal.stab_list.size(), "too many entries for num_stabs"));
  for (uint16_t stab : portal.stab_list) w.u16(stab);
  if (portal.stab_list.size() % 2 != 0) w.zeros(2);
}

void write(ByteWriter& w, const dat::BuildInfo& building) {
  w.u32(building.model_id);
  write(w, building.frame);
  w.u32(building.num_leaves);
  w.u32(checked_count<uint32_t>(building.portals.size(), "too many entries for num_portals"));
  for (const auto& portal : building.portals) write(w, portal);
}

void write(ByteWriter& w, const dat::RestrictionTable& table) {
  w.u16(checked_count<uint16_t>(table.tables.size(), "too many entries for count"));
  w.u16(0);  // bucket size, ignored by readers
  for (const auto& [key, value] : table.tables) {
    w.u32(key);
    w.u32(value);
  }
}

}  // namespace torvanel::writer
