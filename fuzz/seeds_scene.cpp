// Writes the seed corpus of fuzz_scene into the directory argv[1].
#include <cstdint>
#include <vector>

#include "seed_corpus.hpp"
#include "torvanel/writer/encode_scene.hpp"

using namespace torvanel::dat;

int main(int argc, char** argv) {
  using torvanel::writer::encode;
  using torvanel::writer::object_desc_at;

  Scene three{0x12000003, {object_desc_at(0x01000001, {1, 2, 0}),
                           object_desc_at(0x02000002, {12, 12, 0}),
                           object_desc_at(0x01000003, {0, 0, 0})}};
  three.objects[1].displace_x = 4;
  three.objects[1].displace_y = 6;
  three.objects[1].max_rotation = 360;
  three.objects[2].skip_flag = 1;

  auto cut = encode(three);
  cut.pop_back();

  const Seeds seeds{{"empty", encode(Scene{0x12000000, {}})},
                    {"one", encode(Scene{0x12000001, {object_desc_at(0x01000001)}})},
                    {"three", encode(three)},
                    {"cut", cut}};
  return write_seed_corpus(argc, argv, seeds);
}
