#pragma once

// Footprints held for the collision scan of the bake, four to a block.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "torvanel/brambolt/footprint.hpp"

namespace torvanel::brambolt {

inline constexpr float kInf = std::numeric_limits<float>::infinity();

// Four single-precision lanes. Each operation works lane by lane with the
// rounding of the scalar one, so vectorised code gives the scalar results.
using Lanes = float __attribute__((vector_size(16)));
using LaneMask = int32_t __attribute__((vector_size(16)));

inline Lanes splat(float v) { return Lanes{v, v, v, v}; }

inline bool any(LaneMask m) {
  uint64_t halves[2];
  std::memcpy(halves, &m, sizeof halves);
  return (halves[0] | halves[1]) != 0;
}

// The footprints a candidate must not overlap, in the order they were
// added. Boxes a and b are apart when b.min_x > a.max_x, b.min_y > a.max_y,
// a.min_x > b.max_x or a.min_y > b.max_y; boxes that only touch overlap.
// Each block holds four boxes component by component, with the maxima
// negated so that all four tests compare the same way round; negation is
// exact, and a NaN stays a NaN that compares false.
class Obstacles {
 public:
  explicit Obstacles(size_t capacity) { blocks_.reserve(capacity / 4 + 1); }

  void add(const Footprint& f) {
    const size_t lane = count_ % 4;
    if (lane == 0) blocks_.emplace_back();
    Block& b = blocks_.back();
    b.min_x[lane] = f.min_x;
    b.min_y[lane] = f.min_y;
    b.neg_max_x[lane] = -f.max_x;
    b.neg_max_y[lane] = -f.max_y;
    ++count_;
  }

  bool overlaps(const Footprint& box) const {
    const Lanes max_x = splat(box.max_x), max_y = splat(box.max_y);
    const Lanes neg_min_x = splat(-box.min_x), neg_min_y = splat(-box.min_y);
    for (size_t i = 0; i < blocks_.size(); ++i) {
      const Block& b = blocks_[i];
      const LaneMask apart = (b.min_x > max_x) | (b.min_y > max_y) | (b.neg_max_x > neg_min_x) |
                             (b.neg_max_y > neg_min_y);
      if (any(~apart & in_use(i))) return true;
    }
    return false;
  }

 private:
  struct Block {
    Lanes min_x{}, min_y{}, neg_max_x{}, neg_max_y{};
  };

  // The lanes of block i that hold a box: all but in the last block.
  LaneMask in_use(size_t i) const {
    static constexpr LaneMask kFirst[5] = {
        {0, 0, 0, 0}, {-1, 0, 0, 0}, {-1, -1, 0, 0}, {-1, -1, -1, 0}, {-1, -1, -1, -1}};
    const size_t used = count_ - 4 * i;
    return kFirst[used < 4 ? used : 4];
  }

  std::vector<Block> blocks_;
  size_t count_ = 0;
};

}  // namespace torvanel::brambolt
