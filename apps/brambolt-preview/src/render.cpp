#include "render.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <map>
#include <numbers>
#include <utility>

#include "colour.hpp"

namespace torvanel::preview {
namespace {

constexpr double kSize = 192;  // landblock side, units
constexpr double kCell = 24;   // cell side, units
constexpr int kCells = 8;
constexpr double kMapPixels = kSize * kPixelsPerUnit;
constexpr double kLeft = 64, kTop = 72, kBottom = 56;
constexpr double kLegendLeft = kLeft + kMapPixels + 32, kLegendWidth = 280;
constexpr double kLegendRow = 18;
constexpr double kWidth = kLegendLeft + kLegendWidth;

constexpr const char* kBuildingColour = "#8c1c13";
constexpr const char* kRoadColour = "#4a3422";

// Appends one line of SVG.
template <class... Args>
void emit(std::string& svg, fmt::format_string<Args...> format, Args&&... args) {
  fmt::format_to(std::back_inserter(svg), format, std::forward<Args>(args)...);
  svg += '\n';
}

// Picture coordinates of landblock-local (x, y): x to the right, y up.
double px(double x) { return kLeft + x * kPixelsPerUnit; }
double py(double y) { return kTop + (kSize - y) * kPixelsPerUnit; }

std::string num(double v) { return fmt::format("{:.2f}", v); }

// A box in landblock units, as the attributes of an SVG rect.
std::string rect_attrs(double min_x, double min_y, double max_x, double max_y) {
  return fmt::format(R"svg(x="{}" y="{}" width="{}" height="{}")svg", num(px(min_x)),
                     num(py(max_y)), num((max_x - min_x) * kPixelsPerUnit),
                     num((max_y - min_y) * kPixelsPerUnit));
}

std::string cell_attrs(int cx, int cy) {
  return rect_attrs(cx * kCell, cy * kCell, (cx + 1) * kCell, (cy + 1) * kCell);
}

bool drawable(const brambolt::Footprint& f) {
  return std::isfinite(f.min_x) && std::isfinite(f.min_y) && std::isfinite(f.max_x) &&
         std::isfinite(f.max_y) && f.min_x <= f.max_x && f.min_y <= f.max_y;
}

double height(const LandblockView& view, int cx, int cy) {
  return view.heights[static_cast<size_t>(cx * 9 + cy)];
}

double heading_degrees(const brambolt::Placement& p) {
  return 2.0 * std::atan2(static_cast<double>(p.qz), static_cast<double>(p.qw)) * 180.0 /
         std::numbers::pi;
}

struct Counts {
  std::map<uint32_t, size_t> per_model;  // sorted by id: the legend's order
  int road_cells = 0;
  int road_vertices = 0;
  double low = 0, high = 0;  // terrain height range
};

Counts count(const LandblockView& view) {
  Counts c;
  for (const PlacedObject& o : view.objects) ++c.per_model[o.placement.obj_id];
  for (int cx = 0; cx < kCells; ++cx) {
    for (int cy = 0; cy < kCells; ++cy) c.road_cells += is_road_cell(view.terrain, cx, cy);
  }
  for (uint16_t word : view.terrain) c.road_vertices += is_road(word);
  auto [low, high] = std::minmax_element(view.heights.begin(), view.heights.end());
  c.low = *low;
  c.high = *high;
  return c;
}

void header(std::string& svg, const LandblockView& view, const Counts& c, double height) {
  const std::string mode = xml_escape(brambolt::bake_mode_name(view.mode));
  emit(svg, R"svg(<?xml version="1.0" encoding="UTF-8"?>)svg");
  emit(svg,
       R"svg(<svg xmlns="http://www.w3.org/2000/svg" width="{0}" height="{1}" )svg"
       R"svg(viewBox="0 0 {0} {1}" font-family="DejaVu Sans, Helvetica, Arial, sans-serif" )svg"
       R"svg(font-size="12">)svg",
       num(kWidth), num(height));
  emit(svg, "<title>Landblock 0x{:04X} ({})</title>", view.landblock, mode);
  emit(svg, R"svg(<rect width="{}" height="{}" fill="#ffffff"/>)svg", num(kWidth), num(height));
  emit(svg,
       R"svg(<text x="{}" y="28" font-size="18" font-weight="bold">)svg"
       "Landblock 0x{:04X} · mode {}</text>",
       num(kLeft), view.landblock, mode);
  emit(svg,
       R"svg(<text x="{}" y="50">{} objects of {} models, {} building footprints, )svg"
       "{} road cells; terrain {} to {}</text>",
       num(kLeft), view.objects.size(), c.per_model.size(), view.buildings.size(), c.road_cells,
       num(c.low), num(c.high));
  if (view.buildings_warning) {
    emit(svg, R"svg(<text x="{}" y="66" fill="#b00000">{}</text>)svg", num(kLeft),
         xml_escape(*view.buildings_warning));
  }
  emit(svg,
       R"svg(<defs><clipPath id="map"><rect x="{0}" y="{1}" width="{2}" height="{2}"/>)svg"
       R"svg(</clipPath><pattern id="road" width="8" height="8" patternUnits="userSpaceOnUse" )svg"
       R"svg(patternTransform="rotate(45)"><rect width="3" height="8" fill="{3}" )svg"
       R"svg(fill-opacity="0.6"/></pattern><linearGradient id="heights" x1="0" x2="1">)svg"
       R"svg(<stop offset="0" stop-color="{4}"/><stop offset="1" stop-color="{5}"/>)svg"
       "</linearGradient></defs>",
       num(kLeft), num(kTop), num(kMapPixels), kRoadColour, height_colour(0), height_colour(1));
}

void terrain(std::string& svg, const LandblockView& view, const Counts& c) {
  const double range = c.high - c.low;
  emit(svg, R"svg(<g id="terrain">)svg");
  for (int cx = 0; cx < kCells; ++cx) {
    for (int cy = 0; cy < kCells; ++cy) {
      const double mean = (height(view, cx, cy) + height(view, cx + 1, cy) +
                           height(view, cx, cy + 1) + height(view, cx + 1, cy + 1)) /
                          4;
      emit(svg, R"svg(<rect {} fill="{}"><title>cell ({}, {}): mean height {}</title></rect>)svg",
           cell_attrs(cx, cy), height_colour(range > 0 ? (mean - c.low) / range : 0.5), cx, cy,
           num(mean));
    }
  }
  emit(svg, "</g>");
  emit(svg, R"svg(<g id="roads">)svg");
  for (int cx = 0; cx < kCells; ++cx) {
    for (int cy = 0; cy < kCells; ++cy) {
      if (!is_road_cell(view.terrain, cx, cy)) continue;
      emit(svg, R"svg(<rect class="road-cell" {} fill="url(#road)"/>)svg", cell_attrs(cx, cy));
    }
  }
  for (size_t i = 0; i < view.terrain.size(); ++i) {
    if (!is_road(view.terrain[i])) continue;
    const double x = static_cast<double>(i / 9) * kCell, y = static_cast<double>(i % 9) * kCell;
    emit(svg, R"svg(<rect class="road-vertex" x="{}" y="{}" width="8" height="8" fill="{}"/>)svg",
         num(px(x) - 4), num(py(y) - 4), kRoadColour);
  }
  emit(svg, "</g>");
}

void grid(std::string& svg, const LandblockView& view) {
  emit(svg, R"svg(<g id="grid" stroke="#000000" stroke-opacity="0.35" stroke-width="1">)svg");
  for (int i = 0; i <= kCells; ++i) {
    const double at = i * kCell;
    emit(svg, R"svg(<line x1="{}" y1="{}" x2="{}" y2="{}"/>)svg", num(px(at)), num(py(0)),
         num(px(at)), num(py(kSize)));
    emit(svg, R"svg(<line x1="{}" y1="{}" x2="{}" y2="{}"/>)svg", num(px(0)), num(py(at)),
         num(px(kSize)), num(py(at)));
  }
  // The split only matters where heights come from the triangles.
  if (view.mode == brambolt::BakeMode::AceCompat) {
    for (int cx = 0; cx < kCells; ++cx) {
      for (int cy = 0; cy < kCells; ++cy) {
        const double x0 = cx * kCell, x1 = x0 + kCell, y0 = cy * kCell, y1 = y0 + kCell;
        const bool rises =
            split_rises(view.landblock, static_cast<uint32_t>(cx), static_cast<uint32_t>(cy));
        emit(svg,
             R"svg(<line class="split" x1="{}" y1="{}" x2="{}" y2="{}" )svg"
             R"svg(stroke-dasharray="4 4"/>)svg",
             num(px(x0)), num(py(rises ? y0 : y1)), num(px(x1)), num(py(rises ? y1 : y0)));
      }
    }
  }
  emit(svg, "</g>");
}

void buildings(std::string& svg, const LandblockView& view) {
  emit(svg, R"svg(<g id="buildings" clip-path="url(#map)">)svg");
  for (const brambolt::Footprint& f : view.buildings) {
    if (!drawable(f)) continue;
    emit(svg,
         R"svg(<rect class="building" {} fill="{}" fill-opacity="0.35" stroke="{}" )svg"
         R"svg(stroke-width="2"/>)svg",
         rect_attrs(f.min_x, f.min_y, f.max_x, f.max_y), kBuildingColour, kBuildingColour);
  }
  emit(svg, "</g>");
}

void objects(std::string& svg, const LandblockView& view) {
  emit(svg, R"svg(<g id="objects" clip-path="url(#map)">)svg");
  for (const PlacedObject& o : view.objects) {
    const brambolt::Placement& p = o.placement;
    const std::string colour = model_colour(p.obj_id);
    std::string box;
    if (drawable(o.footprint)) {
      const brambolt::Footprint& f = o.footprint;
      box = fmt::format(R"svg(<rect {} fill="{}" fill-opacity="0.3" stroke="{}"/>)svg",
                        rect_attrs(f.min_x, f.min_y, f.max_x, f.max_y), colour, colour);
    }
    emit(svg,
         R"svg(<g class="object"><title>0x{:08X} at ({:.6f}, {:.6f}, {:.6f}), )svg"
         R"svg(heading {:.1f}°, scale {:.6f}, from vertex ({}, {}) object {}</title>)svg"
         R"svg({}<circle cx="{}" cy="{}" r="3" fill="{}" stroke="#ffffff"/></g>)svg",
         p.obj_id, p.x, p.y, p.z, heading_degrees(p), p.scale, p.source_cell_x, p.source_cell_y,
         p.source_obj_idx, box, num(px(p.x)), num(py(p.y)), colour);
  }
  emit(svg, "</g>");
}

void axes(std::string& svg) {
  emit(svg, R"svg(<g id="axes" fill="#333333">)svg");
  for (int i = 0; i <= kCells; ++i) {
    const int at = i * static_cast<int>(kCell);
    emit(svg, R"svg(<text x="{}" y="{}" text-anchor="middle">{}</text>)svg", num(px(at)),
         num(py(0) + 18), at);
    emit(svg, R"svg(<text x="{}" y="{}" text-anchor="end">{}</text>)svg", num(px(0) - 8),
         num(py(at) + 4), at);
  }
  emit(svg, R"svg(<text x="{}" y="{}" text-anchor="middle">x (column) →</text>)svg",
       num(px(kSize / 2)), num(py(0) + 40));
  // Turned a quarter counter-clockwise: its arrow points up the y axis.
  emit(svg,
       R"svg(<text x="{0}" y="{1}" text-anchor="middle" transform="rotate(-90 {0} {1})">)svg"
       "y (row) →</text>",
       num(kLeft - 44), num(py(kSize / 2)));
  emit(svg, "</g>");
}

// The legend, one row at a time downwards from the top of the map.
class Legend {
 public:
  explicit Legend(std::string& svg) : svg_(svg) {}

  double bottom() const { return y_; }

  void heading(std::string_view text) {
    if (y_ > kTop) y_ += kLegendRow;
    emit(svg_, R"svg(<text x="{}" y="{}" font-weight="bold">{}</text>)svg", num(kLegendLeft),
         num(y_ + 11), xml_escape(text));
    y_ += kLegendRow + 4;
  }

  // A 16 x 12 box with the given paint attributes, and its label.
  void box(std::string_view paint, std::string_view label) {
    row(fmt::format(R"svg(<rect x="{}" y="{}" width="16" height="12" {}/>)svg", num(kLegendLeft),
                    num(y_), paint),
        label);
  }

  // The swatch made by `draw` from the row's top edge, and its label.
  template <class Draw>
  void custom(Draw draw, std::string_view label) {
    row(draw(y_), label);
  }

  void text(std::string_view label) { row("", label); }

 private:
  void row(const std::string& swatch, std::string_view label) {
    emit(svg_, R"svg({}<text x="{}" y="{}">{}</text>)svg", swatch,
         num(kLegendLeft + (swatch.empty() ? 0 : 24)), num(y_ + 11), xml_escape(label));
    y_ += kLegendRow;
  }

  std::string& svg_;
  double y_ = kTop;
};

double legend(std::string& svg, const LandblockView& view, const Counts& c) {
  emit(svg, R"svg(<g id="legend">)svg");
  Legend legend(svg);
  legend.heading("Models");
  for (const auto& [id, n] : c.per_model) {
    const std::string colour = model_colour(id);
    legend.box(fmt::format(R"svg(fill="{0}" fill-opacity="0.6" stroke="{0}")svg", colour),
               fmt::format("0x{:08X} × {}", id, n));
  }
  if (c.per_model.empty()) legend.text("no objects placed");

  legend.heading("Key");
  legend.box(fmt::format(R"svg(fill="{0}" fill-opacity="0.35" stroke="{0}")svg", kBuildingColour),
             fmt::format("building footprint ({})", view.buildings.size()));
  legend.box(fmt::format(R"svg(fill="url(#road)" stroke="{}")svg", kRoadColour),
             fmt::format("road cell, as the bake tests it ({})", c.road_cells));
  legend.custom(
      [](double y) {
        return fmt::format(R"svg(<rect x="{}" y="{}" width="8" height="8" fill="{}"/>)svg",
                           num(kLegendLeft + 4), num(y + 2), kRoadColour);
      },
      fmt::format("terrain vertex with road bits ({})", c.road_vertices));
  if (view.mode == brambolt::BakeMode::AceCompat) {
    legend.custom(
        [](double y) {
          return fmt::format(R"svg(<line x1="{}" y1="{}" x2="{}" y2="{}" stroke="#000000" )svg"
                             R"svg(stroke-opacity="0.6" stroke-dasharray="4 4"/>)svg",
                             num(kLegendLeft), num(y + 12), num(kLegendLeft + 16), num(y));
        },
        "terrain triangle split");
  }
  legend.custom(
      [](double y) {
        return fmt::format(
            R"svg(<circle cx="{}" cy="{}" r="3" fill="#666666" stroke="#ffffff"/>)svg",
            num(kLegendLeft + 8), num(y + 6));
      },
      "object position; box: model footprint");
  legend.box(R"svg(fill="url(#heights)")svg",
             fmt::format("terrain height {} to {}", num(c.low), num(c.high)));
  emit(svg, "</g>");
  return legend.bottom();
}

}  // namespace

std::string xml_escape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char ch : text) {
    switch (ch) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default:
        // XML has no way to hold most control characters, escaped or not.
        out += static_cast<unsigned char>(ch) < 0x20 && ch != '\t' && ch != '\n' ? '?' : ch;
    }
  }
  return out;
}

std::string render_svg(const LandblockView& view) {
  const Counts c = count(view);
  // The legend is drawn into its own text first: its length decides the
  // picture's height.
  std::string legend_svg;
  const double legend_bottom = legend(legend_svg, view, c);
  const double height = std::max(kTop + kMapPixels + kBottom, legend_bottom + 16);

  std::string svg;
  header(svg, view, c, height);
  terrain(svg, view, c);
  grid(svg, view);
  buildings(svg, view);
  objects(svg, view);
  axes(svg);
  svg += legend_svg;
  svg += "</svg>\n";
  return svg;
}

}  // namespace torvanel::preview
