#include "colour.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>

namespace torvanel::preview {
namespace {

struct Rgb {
  double r, g, b;  // 0-1 each
};

std::string hex(Rgb c) {
  auto byte = [](double v) { return static_cast<int>(std::lround(std::clamp(v, 0.0, 1.0) * 255)); };
  return fmt::format("#{:02x}{:02x}{:02x}", byte(c.r), byte(c.g), byte(c.b));
}

// Hue in degrees, saturation and lightness 0-1.
Rgb from_hsl(double hue, double saturation, double lightness) {
  const double chroma = (1 - std::abs(2 * lightness - 1)) * saturation;
  const double sector = hue / 60;
  const double x = chroma * (1 - std::abs(std::fmod(sector, 2.0) - 1));
  Rgb c{0, 0, 0};
  switch (static_cast<int>(sector) % 6) {
    case 0: c = {chroma, x, 0}; break;
    case 1: c = {x, chroma, 0}; break;
    case 2: c = {0, chroma, x}; break;
    case 3: c = {0, x, chroma}; break;
    case 4: c = {x, 0, chroma}; break;
    default: c = {chroma, 0, x}; break;
  }
  const double m = lightness - chroma / 2;
  return {c.r + m, c.g + m, c.b + m};
}

// Spreads every input bit over the whole word.
uint32_t mix(uint32_t h) {
  h ^= h >> 16;
  h *= 0x85EBCA6Bu;
  h ^= h >> 13;
  h *= 0xC2B2AE35u;
  h ^= h >> 16;
  return h;
}

}  // namespace

std::string model_colour(uint32_t obj_id) {
  const uint32_t h = mix(obj_id);
  const double hue = static_cast<double>(h % 360);
  const double lightness = 0.38 + 0.08 * static_cast<double>((h >> 12) % 3);
  return hex(from_hsl(hue, 0.75, lightness));
}

std::string height_colour(double t) {
  t = std::clamp(std::isnan(t) ? 0.5 : t, 0.0, 1.0);
  constexpr Rgb kLow{0.20, 0.38, 0.18}, kHigh{0.89, 0.85, 0.65};
  return hex({kLow.r + (kHigh.r - kLow.r) * t, kLow.g + (kHigh.g - kLow.g) * t,
              kLow.b + (kHigh.b - kLow.b) * t});
}

}  // namespace torvanel::preview
