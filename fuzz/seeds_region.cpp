// Writes the seed corpus of fuzz_region into the directory argv[1]: whole
// Region records of every mask branch and name alignment.
#include <cstdint>
#include <string>
#include <vector>

#include "seed_corpus.hpp"
#include "torvanel/writer/encode_region.hpp"

namespace {

namespace dat = torvanel::dat;
namespace writer = torvanel::writer;

// Names each record region_<n> in order.
void add(Seeds& seeds, const dat::Region& region) {
  seeds.emplace_back("region_" + std::to_string(seeds.size()), writer::encode(region));
}

}  // namespace

int main(int argc, char** argv) {
  Seeds seeds;
  add(seeds, writer::minimal_region());
  add(seeds, writer::minimal_region({{"grass", 0, {0, 1}}, {"road", 1, {}}},
                                    dat::SceneDesc{{{0, {0x12000001, 0x12000002}}, {1, {}}}}));
  for (size_t length = 0; length < 4; ++length) {
    add(seeds, writer::full_region(length));
  }
  for (uint32_t bit : {dat::Region::kSkyBit, dat::Region::kSoundBit, dat::Region::kMiscBit}) {
    dat::Region region = writer::full_region(2);
    region.parts_mask = bit;
    add(seeds, region);
  }
  return write_seed_corpus(argc, argv, seeds);
}
