// Writes the seed corpus of fuzz_cell_landblock into the directory argv[1]:
// terrain records with and without their final padding byte.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "torvanel/writer/encode_landblock.hpp"

namespace {

namespace dat = torvanel::dat;
namespace writer = torvanel::writer;

bool write_seed(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <corpus-dir>\n", argv[0]);
    return 2;
  }
  const std::filesystem::path dir = argv[1];

  dat::CellLandblock flat;
  flat.id = 0x0000FFFF;
  dat::CellLandblock varied;
  varied.id = 0xA9B4FFFF;
  varied.has_objects = 1;
  for (size_t i = 0; i < dat::CellLandblock::kVertices; ++i) {
    varied.terrain[i] = static_cast<uint16_t>(i * 0x0845);
    varied.height[i] = static_cast<uint8_t>(i * 3);
  }

  std::vector<std::vector<uint8_t>> seeds{writer::encode(flat), writer::encode(varied)};
  seeds.push_back(seeds.back());
  seeds.back().pop_back();  // 251 bytes decode too
  for (size_t i = 0; i < seeds.size(); ++i) {
    if (!write_seed(dir / ("cell_landblock_" + std::to_string(i)), seeds[i])) {
      std::fprintf(stderr, "cannot write seed %zu\n", i);
      return 1;
    }
  }
  return 0;
}
