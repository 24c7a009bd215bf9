// Writes the seed corpus of fuzz_setup_model into the directory argv[1].
#include <cstdint>
#include <vector>

#include "seed_corpus.hpp"
#include "torvanel/writer/encode_setup_model.hpp"

namespace {

using namespace torvanel::dat;

// Payload and padding bytes of each hook type; type 5 in its short form.
constexpr size_t kHookDataSize[] = {0, 4, 4, 28, 0, 4, 4,  16, 12, 16, 12, 16, 8, 40,
                                    4, 4, 4, 0,  4, 8, 12, 16, 12, 8,  12, 4,  40};

// One hook of every type, and type 5 in its long form too.
SetupModel with_every_hook() {
  SetupModel s = torvanel::writer::setup_model_from_parts(0x02000002, {0x01000001, 0x01000002});
  s.flags = SetupModel::kHasPartValues | SetupModel::kHasPartVectors;
  s.part_values = {1, 2};
  s.part_vectors = {{1, 0, 0}, {0, 1, 0}};
  PlacementType placement = *s.placements.find(0);
  for (uint32_t type = 0; type <= AnimationHook::kMaxType; ++type) {
    placement.hooks.push_back({type, type, std::vector<uint8_t>(kHookDataSize[type], 0x5A)});
  }
  placement.hooks.push_back({5, 0, {0x01, 0x00, 0x80, 0x34, 0x12, 0, 0, 0}});
  s.placements = torvanel::common::FlatMap<uint32_t, PlacementType>::from_entries(
      {{0, placement}, {0x65, placement}});
  s.location_map_a = torvanel::common::FlatMap<uint32_t, LocationType>::from_entries(
      {{1, {0, {{1, 2, 3}, {1, 0, 0, 0}}}}});
  s.cyl_spheres = {{{0, 0, 0}, 1, 2}};
  s.spheres = {{{0, 0, 1}, 1}};
  s.lights = torvanel::common::FlatMap<uint32_t, LightInfo>::from_entries(
      {{0, {{{0, 0, 2}, {1, 0, 0, 0}}, 0xFFFFFFFF, 1, 2, 0.5f}}});
  s.optional_value_1 = 0xFFFFFFFF;
  s.optional_value_3 = 7;
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  using torvanel::writer::encode;
  const auto parts = torvanel::writer::setup_model_from_parts(0x02000001, {0x01000001});
  const Seeds seeds{{"parts", encode(parts)}, {"hooks", encode(with_every_hook())}};
  return write_seed_corpus(argc, argv, seeds);
}
