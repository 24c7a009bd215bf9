#include "models.hpp"

#include <array>
#include <cstdint>

namespace torvanel::synth {
namespace {

struct Direction {
  float x, y;
};

// The unit vectors at multiples of 30 degrees, written out so that no
// math-library result decides a vertex.
constexpr std::array<Direction, 12> kDirections{{
    {1.0f, 0.0f},
    {0.8660254f, 0.5f},
    {0.5f, 0.8660254f},
    {0.0f, 1.0f},
    {-0.5f, 0.8660254f},
    {-0.8660254f, 0.5f},
    {-1.0f, 0.0f},
    {-0.8660254f, -0.5f},
    {-0.5f, -0.8660254f},
    {0.0f, -1.0f},
    {0.5f, -0.8660254f},
    {0.8660254f, -0.5f},
}};

// `count` (6 or 12) points around the vertical axis at height z, each at
// `radius` times a factor within `jitter` of 1.
void ring(Rng& rng, std::vector<Vector3>& out, uint32_t count, float radius, float z,
          float jitter) {
  const uint32_t step = 12 / count;
  const uint32_t start = rng.below(12);
  for (uint32_t j = 0; j < count; ++j) {
    const Direction d = kDirections[(start + j * step) % 12];
    const float r = radius * rng.uniform(1 - jitter, 1 + jitter);
    out.push_back({d.x * r, d.y * r, z});
  }
}

}  // namespace

std::vector<Vector3> broadleaf_tree(Rng& rng) {
  const float trunk = rng.uniform(0.25f, 0.6f);
  const float bole = rng.uniform(2.0f, 5.0f);
  const float crown = rng.uniform(1.5f, 4.0f);
  const float height = rng.uniform(3.0f, 8.0f);
  std::vector<Vector3> v;
  ring(rng, v, 6, trunk, 0, 0.1f);
  ring(rng, v, 6, trunk * 0.8f, bole, 0.1f);
  ring(rng, v, 12, crown * 0.85f, bole + 0.2f * height, 0.15f);
  ring(rng, v, 12, crown, bole + 0.5f * height, 0.15f);
  ring(rng, v, 6, crown * 0.5f, bole + 0.85f * height, 0.2f);
  v.push_back({0, 0, bole + height});
  return v;
}

std::vector<Vector3> pine_tree(Rng& rng) {
  const float trunk = rng.uniform(0.2f, 0.45f);
  const float base = rng.uniform(1.0f, 2.5f);
  const float height = rng.uniform(6.0f, 14.0f);
  std::vector<Vector3> v;
  ring(rng, v, 6, trunk, 0, 0.1f);
  ring(rng, v, 12, base, 0.2f * height, 0.1f);
  ring(rng, v, 6, base * 0.75f, 0.45f * height, 0.1f);
  ring(rng, v, 6, base * 0.5f, 0.65f * height, 0.1f);
  ring(rng, v, 6, base * 0.25f, 0.85f * height, 0.1f);
  v.push_back({0, 0, height});
  return v;
}

std::vector<Vector3> bush(Rng& rng) {
  const float radius = rng.uniform(0.6f, 1.8f);
  const float height = rng.uniform(0.5f, 1.6f);
  std::vector<Vector3> v;
  ring(rng, v, 12, radius * 0.8f, 0, 0.2f);
  ring(rng, v, 12, radius, 0.4f * height, 0.2f);
  ring(rng, v, 6, radius * 0.6f, 0.8f * height, 0.2f);
  v.push_back({0, 0, height});
  return v;
}

std::vector<Vector3> rock(Rng& rng) {
  const float radius = rng.uniform(0.4f, 3.0f);
  const float height = radius * rng.uniform(0.4f, 0.9f);
  std::vector<Vector3> v;
  ring(rng, v, 6, radius * 0.8f, -0.2f * height, 0.25f);
  ring(rng, v, 12, radius, 0.3f * height, 0.25f);
  ring(rng, v, 6, radius * 0.6f, 0.8f * height, 0.25f);
  v.push_back({0, 0, height});
  return v;
}

std::vector<Vector3> house(Rng& rng, float half_x, float half_y, float shift_x) {
  const float wall = rng.uniform(3.5f, 7.0f);
  const float ridge = wall + rng.uniform(2.0f, 4.5f);
  std::vector<Vector3> v;
  for (float z : {0.0f, wall}) {
    for (float sx : {-1.0f, 1.0f}) {
      for (float sy : {-1.0f, 1.0f}) v.push_back({shift_x + sx * half_x, sy * half_y, z});
    }
    // Mid-wall points, where doors and windows would be.
    v.push_back({shift_x, -half_y, z});
    v.push_back({shift_x, half_y, z});
    v.push_back({shift_x - half_x, 0, z});
    v.push_back({shift_x + half_x, 0, z});
  }
  v.push_back({shift_x - half_x, 0, ridge});
  v.push_back({shift_x + half_x, 0, ridge});
  return v;
}

}  // namespace torvanel::synth
