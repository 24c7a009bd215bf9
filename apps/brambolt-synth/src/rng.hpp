#pragma once

#include <cstdint>

// Deterministic randomness for the synthetic world. Everything here is
// integer arithmetic or basic floating-point operations, which IEEE 754
// fixes bit for bit: the same seed gives the same world on every machine
// and with every standard library (the <random> distributions do not).

namespace torvanel::synth {

// The SplitMix64 finaliser: a bijective mixer of 64 bits.
constexpr uint64_t mix64(uint64_t x) {
  x ^= x >> 30;
  x *= 0xBF58476D1CE4E5B9ull;
  x ^= x >> 27;
  x *= 0x94D049BB133111EBull;
  x ^= x >> 31;
  return x;
}

// A stateless hash of a seed, a stream tag and two coordinates, for values
// that must not depend on the order in which things are generated.
constexpr uint64_t hash64(uint64_t seed, uint64_t stream, uint64_t a, uint64_t b = 0) {
  return mix64(mix64(mix64(seed ^ (stream * 0x9E3779B97F4A7C15ull)) ^ a) + b);
}

// [0, 1) from the top 53 bits of a hash.
constexpr double unit(uint64_t h) { return static_cast<double>(h >> 11) * 0x1.0p-53; }

// A SplitMix64 stream.
class Rng {
 public:
  Rng(uint64_t seed, uint64_t stream) : state_(hash64(seed, stream, 0)) {}

  uint64_t next() {
    state_ += 0x9E3779B97F4A7C15ull;
    return mix64(state_);
  }
  double unit() { return synth::unit(next()); }
  // [lo, hi).
  float uniform(float lo, float hi) {
    return static_cast<float>(lo + (static_cast<double>(hi) - lo) * unit());
  }
  // [0, n), n > 0.
  uint32_t below(uint32_t n) { return static_cast<uint32_t>((next() >> 32) * n >> 32); }
  // [lo, hi], lo <= hi.
  uint32_t between(uint32_t lo, uint32_t hi) { return lo + below(hi - lo + 1); }
  bool chance(double p) { return unit() < p; }

 private:
  uint64_t state_;
};

// Smooth value noise in [0, 1) over the plane: random values at the
// integer lattice points of a grid of `cell` units, blended with a cubic
// ease so that the surface has no creases.
inline double value_noise(uint64_t seed, uint64_t stream, double x, double y, double cell) {
  const double fx = x / cell, fy = y / cell;
  const int64_t ix = static_cast<int64_t>(fx), iy = static_cast<int64_t>(fy);  // x, y >= 0
  const double tx = fx - static_cast<double>(ix), ty = fy - static_cast<double>(iy);
  auto at = [&](int64_t i, int64_t j) {
    return unit(hash64(seed, stream, static_cast<uint64_t>(i), static_cast<uint64_t>(j)));
  };
  auto ease = [](double t) { return t * t * (3.0 - 2.0 * t); };
  const double sx = ease(tx), sy = ease(ty);
  const double bottom = at(ix, iy) + (at(ix + 1, iy) - at(ix, iy)) * sx;
  const double top = at(ix, iy + 1) + (at(ix + 1, iy + 1) - at(ix, iy + 1)) * sx;
  return bottom + (top - bottom) * sy;
}

}  // namespace torvanel::synth
