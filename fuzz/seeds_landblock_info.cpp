// Writes the seed corpus of fuzz_landblock_info into the directory argv[1]:
// static-object records through every branch (objects, buildings, odd and
// even portals, with and without a restriction table).
#include <cstdint>
#include <utility>
#include <vector>

#include "seed_corpus.hpp"
#include "torvanel/writer/encode_landblock.hpp"

namespace {

namespace dat = torvanel::dat;
namespace writer = torvanel::writer;

dat::Frame frame_at(float x, float y) { return dat::Frame{{x, y, 0.5f}, {1, 0, 0, 0}}; }

dat::LandblockInfo full() {
  dat::LandblockInfo info;
  info.id = 0xA9B4FFFE;
  info.num_cells = 12;
  info.objects = {dat::Stab{0x01000ABC, frame_at(10, 20)},
                  dat::Stab{0x02000DEF, frame_at(150, 170)}};
  info.pack_mask = dat::LandblockInfo::kHasRestrictionTable;
  dat::BuildInfo building;
  building.model_id = 0x02000123;
  building.frame = frame_at(96, 48);
  building.num_leaves = 4;
  building.portals = {dat::PortalInternal{1, 0x0100, 2, {0x0101, 0x0102, 0x0103}},
                      dat::PortalInternal{2, 0x0101, 0, {0x0104, 0x0105}},
                      dat::PortalInternal{3, 0xFFFF, 1, {}}};
  info.buildings = {building, building};
  using Table = torvanel::common::FlatMap<uint32_t, uint32_t>;
  info.restriction_tables =
      dat::RestrictionTable{Table::from_entries({{0xA9B40100, 1}, {0xA9B40101, 2}})};
  return info;
}

}  // namespace

int main(int argc, char** argv) {
  dat::LandblockInfo empty;
  empty.id = 0x0000FFFE;
  dat::LandblockInfo no_table = full();
  no_table.pack_mask = 0x0002;
  no_table.restriction_tables.reset();
  dat::LandblockInfo odd_end;
  odd_end.buildings = {dat::BuildInfo{}};
  odd_end.buildings[0].portals = {dat::PortalInternal{0, 0, 0, {9}}};

  std::vector<uint8_t> odd_end_bytes = writer::encode(odd_end);
  odd_end_bytes.resize(odd_end_bytes.size() - 2);  // an odd last portal needs no padding

  const Seeds seeds{{"landblock_info_0", writer::encode(empty)},
                    {"landblock_info_1", writer::encode(full())},
                    {"landblock_info_2", writer::encode(no_table)},
                    {"landblock_info_3", std::move(odd_end_bytes)}};
  return write_seed_corpus(argc, argv, seeds);
}
