// Writes the seed corpus of fuzz_region into the directory argv[1]: whole
// Region records of every mask branch and name alignment.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "torvanel/writer/encode_region.hpp"

namespace {

namespace dat = torvanel::dat;
namespace writer = torvanel::writer;

bool write_seed(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <corpus-dir>\n", argv[0]);
    return 2;
  }
  const std::filesystem::path dir = argv[1];
  std::vector<std::vector<uint8_t>> seeds;
  seeds.push_back(writer::encode(writer::minimal_region()));
  seeds.push_back(writer::encode(writer::minimal_region(
      {{"grass", 0, {0, 1}}, {"road", 1, {}}},
      dat::SceneDesc{{{0, {0x12000001, 0x12000002}}, {1, {}}}})));
  for (size_t length = 0; length < 4; ++length) {
    seeds.push_back(writer::encode(writer::full_region(length)));
  }
  for (uint32_t bit : {dat::Region::kSkyBit, dat::Region::kSoundBit, dat::Region::kMiscBit}) {
    dat::Region region = writer::full_region(2);
    region.parts_mask = bit;
    seeds.push_back(writer::encode(region));
  }
  for (size_t i = 0; i < seeds.size(); ++i) {
    if (!write_seed(dir / ("region_" + std::to_string(i)), seeds[i])) {
      std::fprintf(stderr, "cannot write seed %zu\n", i);
      return 1;
    }
  }
  return 0;
}
