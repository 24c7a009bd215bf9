#pragma once

#include <cmath>
#include <cstdint>

namespace torvanel::brambolt {

// Float to signed 32-bit integer without undefined behaviour: truncates
// toward zero, NaN gives 0, values beyond the range give its nearest end.
inline int32_t saturating_i32(float v) {
  if (std::isnan(v)) return 0;
  if (v <= -2147483648.0f) return INT32_MIN;
  if (v >= 2147483648.0f) return INT32_MAX;
  return static_cast<int32_t>(v);
}

// The index of the 24-unit cell that holds a landblock-local coordinate,
// unclamped: negative left of the landblock, 8 at its far edge, 0 for NaN.
inline int32_t cell_of(float coord) { return saturating_i32(floorf(coord / 24.0f)); }

}  // namespace torvanel::brambolt
