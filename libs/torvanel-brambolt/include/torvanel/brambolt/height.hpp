#pragma once

#include <array>
#include <cstdint>

#include "torvanel/dat/file_type/region.hpp"
#include "torvanel/dat/landblock.hpp"

namespace torvanel::brambolt {

// Heights of a landblock's 9 x 9 terrain vertices, column by column: entry
// cx * 9 + cy is the vertex at landblock-local (24 * cx, 24 * cy).
using HeightGrid = std::array<float, 81>;

// Every height code of the landblock looked up in the region's table.
HeightGrid vertex_heights(const dat::Region& region, const dat::CellLandblock& cell);

// Height on the plane of the terrain triangle under (x, y). Each cell is
// split along the diagonal that a hash of its global position picks, so the
// landblock id (column in bits 8-15, row in bits 0-7) takes part.
float triangle_plane_height_from_grid(const HeightGrid& heights, uint32_t landblock_id, float x,
                                      float y);

// Height interpolated bilinearly between the four corners of the cell.
float bilinear_height_from_grid(const HeightGrid& heights, float x, float y);

// Angle in radians between the ground of the cell under (x, y) and the
// horizontal; 0 for a flat cell. The same everywhere inside one cell.
float slope_at(const HeightGrid& heights, float x, float y);

}  // namespace torvanel::brambolt
