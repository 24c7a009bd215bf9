#pragma once

#include <bit>
#include <cstdint>

// The hashes that drive the scenery: every random choice of the bake is a
// hash of a terrain vertex's global position (gx, gy) = (column * 8 + cx,
// row * 8 + cy), in 32-bit arithmetic that wraps, turned into a double in
// [0, 1).

namespace torvanel::brambolt {

// The double nearest to 2.3283064e-10, a hair below 2^-32.
inline constexpr double kNoiseScale = std::bit_cast<double>(uint64_t{0x3DEFFFFFF79322D5});

constexpr double noise(uint32_t hash) { return static_cast<double>(hash) * kNoiseScale; }

// Picks the vertex's scene from its scene type's list.
constexpr uint32_t scene_hash(uint32_t gx, uint32_t gy) {
  return gx * 0xBDE41C43u + gy * (gx * 0x2A7F2B89u + 0x6C1AC587u) + 0x7F8CDA01u;
}

// Salts of the per-object streams.
inline constexpr uint32_t kSaltDisplaceX = 45773;
inline constexpr uint32_t kSaltDisplaceY = 72719;
inline constexpr uint32_t kSaltHeading = 63127;
inline constexpr uint32_t kSaltScale = 32593;

// What one vertex draws for all the objects of its scene.
struct VertexNoise {
  uint32_t seed = 0;
  uint32_t multiplier = 0;
  // An object appears only where its frequency is above this.
  double frequency = 0;
  // Picks the quarter turn shared by all the vertex's objects.
  double quadrant = 0;

  static constexpr VertexNoise at(uint32_t gx, uint32_t gy) {
    VertexNoise v;
    v.seed = gx * 0xBDE41C43u + gy * 0x6C1AC587u;
    v.multiplier = gx * gy * 0xAEEE4011u + 0x8F76D049u;
    v.frequency = noise(v.seed + gx * gy * 0x12A1D1D7u + 0xF4D7C05Fu);
    v.quadrant = noise(gy * 0x6C1AC587u + gx * (gy * 0x9084269Bu + 0xBDE41C43u) + 0xE8031203u);
    return v;
  }

  // The stream `salt` of the scene's object `k`.
  constexpr double object(uint32_t k, uint32_t salt) const {
    return noise((k + salt) * multiplier + seed);
  }
};

}  // namespace torvanel::brambolt
