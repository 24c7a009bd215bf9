#pragma once

#include <array>
#include <cstdint>
#include <string_view>

// The kinds of ground of the synthetic world. The Region's terrain types,
// its scene types and the scenes all come in these kinds, and the
// landscape picks a vertex's terrain type by the kind of ground it lies on.

namespace torvanel::synth {

enum class Biome : uint8_t { Water, Marsh, Meadow, Forest, Sand, Rock, Snow };
inline constexpr size_t kBiomes = 7;

struct TerrainKind {
  std::string_view name;
  Biome biome;
};

// Index = terrain type number in the terrain words (5 bits: at most 32).
inline constexpr std::array<TerrainKind, 21> kTerrainKinds{{
    {"deep water", Biome::Water},    {"shallow water", Biome::Water},
    {"reed bank", Biome::Marsh},     {"marsh", Biome::Marsh},
    {"bog", Biome::Marsh},           {"meadow", Biome::Meadow},
    {"lush meadow", Biome::Meadow},  {"dry grass", Biome::Meadow},
    {"patchy grass", Biome::Meadow}, {"forest floor", Biome::Forest},
    {"pine needles", Biome::Forest}, {"leaf litter", Biome::Forest},
    {"thicket", Biome::Forest},      {"sand", Biome::Sand},
    {"grey sand", Biome::Sand},      {"packed dirt", Biome::Sand},
    {"scree", Biome::Rock},          {"bare rock", Biome::Rock},
    {"moss rock", Biome::Rock},      {"snow", Biome::Snow},
    {"ice", Biome::Snow},
}};

}  // namespace torvanel::synth
