#pragma once

#include <string>
#include <string_view>

#include "view.hpp"

namespace torvanel::preview {

// Landblock units to picture pixels.
inline constexpr double kPixelsPerUnit = 4;

// The landblock as a standalone SVG document, y pointing up: terrain
// shaded by height per cell, the cells the bake's road test drops objects
// in, the road vertices, the cell grid (with each cell's triangle split in
// ace-compat mode), the building footprints, and for every placed object
// its footprint box and position in its model's colour, with a tooltip.
// A legend lists each model's colour and count; the title names the
// landblock, the mode and the counts. Every object is one
// <g class="object"> element, every building one <rect class="building">.
std::string render_svg(const LandblockView& view);

// `text` with &, <, > and " escaped, for XML text and attribute values;
// control characters XML cannot hold become "?".
std::string xml_escape(std::string_view text);

}  // namespace torvanel::preview
