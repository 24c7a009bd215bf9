#pragma once

#include <cstdint>
#include <string>

namespace torvanel::preview {

// The colour a model is drawn in, as "#rrggbb". The same id gets the same
// colour in every picture; ids that differ in any bit mostly differ in hue.
std::string model_colour(uint32_t obj_id);

// The terrain colour of a height at `t` between the landblock's lowest (0)
// and highest (1) vertex, from low green to pale high ground; `t` is
// clamped to [0, 1].
std::string height_colour(double t);

}  // namespace torvanel::preview
