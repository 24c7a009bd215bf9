// Writes the seed corpus of fuzz_cell_landblock into the directory argv[1]:
// terrain records with and without their final padding byte.
#include <cstdint>
#include <utility>
#include <vector>

#include "seed_corpus.hpp"
#include "torvanel/writer/encode_landblock.hpp"

namespace dat = torvanel::dat;
namespace writer = torvanel::writer;

int main(int argc, char** argv) {
  dat::CellLandblock flat;
  flat.id = 0x0000FFFF;
  dat::CellLandblock varied;
  varied.id = 0xA9B4FFFF;
  varied.has_objects = 1;
  for (size_t i = 0; i < dat::CellLandblock::kVertices; ++i) {
    varied.terrain[i] = static_cast<uint16_t>(i * 0x0845);
    varied.height[i] = static_cast<uint8_t>(i * 3);
  }

  std::vector<uint8_t> short_varied = writer::encode(varied);
  short_varied.pop_back();  // 251 bytes decode too

  const Seeds seeds{{"cell_landblock_0", writer::encode(flat)},
                    {"cell_landblock_1", writer::encode(varied)},
                    {"cell_landblock_2", std::move(short_varied)}};
  return write_seed_corpus(argc, argv, seeds);
}
