#pragma once

#include <vector>

#include "rng.hpp"
#include "torvanel/common/math.hpp"

// Vertex clouds of the synthetic models, in each model's own frame: x and
// y centred on the origin, z up from the ground at 0. They are made of
// jittered rings, so that their footprints are round-ish and of the size
// the kind of model has in a real world.

namespace torvanel::synth {

using common::Vector3;

// Trunk and a round crown: 43 vertices, crown radius 1.5-4.
std::vector<Vector3> broadleaf_tree(Rng& rng);
// Trunk and a cone of shrinking rings: 37 vertices, radius 1-2.5.
std::vector<Vector3> pine_tree(Rng& rng);
// A low dome: 31 vertices, radius 0.6-1.8.
std::vector<Vector3> bush(Rng& rng);
// A lumpy, flattened ball: 25 vertices, radius 0.4-3.
std::vector<Vector3> rock(Rng& rng);
// Walls and a ridged roof over the rectangle [-half_x, half_x] x
// [-half_y, half_y] moved by (shift_x, 0): 18 vertices.
std::vector<Vector3> house(Rng& rng, float half_x, float half_y, float shift_x = 0);

}  // namespace torvanel::synth
