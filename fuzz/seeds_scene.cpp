// Writes the seed corpus of fuzz_scene into the directory argv[1].
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "torvanel/writer/encode_scene.hpp"

namespace {

using namespace torvanel::dat;

bool write_seed(const std::string& dir, const std::string& name, const std::vector<uint8_t>& bytes) {
  std::ofstream out(dir + "/" + name, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
    return 2;
  }
  using torvanel::writer::encode;
  using torvanel::writer::object_desc_at;
  const std::string dir = argv[1];

  Scene three{0x12000003, {object_desc_at(0x01000001, {1, 2, 0}),
                           object_desc_at(0x02000002, {12, 12, 0}),
                           object_desc_at(0x01000003, {0, 0, 0})}};
  three.objects[1].displace_x = 4;
  three.objects[1].displace_y = 6;
  three.objects[1].max_rotation = 360;
  three.objects[2].skip_flag = 1;

  auto cut = encode(three);
  cut.pop_back();

  bool ok = write_seed(dir, "empty", encode(Scene{0x12000000, {}})) &&
            write_seed(dir, "one", encode(Scene{0x12000001, {object_desc_at(0x01000001)}})) &&
            write_seed(dir, "three", encode(three)) && write_seed(dir, "cut", cut);
  return ok ? 0 : 1;
}
