#include "torvanel/brambolt/bake_mode.hpp"

#include <utility>

#include <fmt/format.h>

namespace torvanel::brambolt {

std::expected<BakeMode, std::string> parse_bake_mode(std::string_view text) {
  if (text == "ace-compat" || text == "ace_compat" || text == "acecompat") {
    return BakeMode::AceCompat;
  }
  if (text == "strict") return BakeMode::Strict;
  return std::unexpected(
      fmt::format("unknown BakeMode `{}` (expected `ace-compat` or `strict`)", text));
}

std::string_view bake_mode_name(BakeMode mode) {
  switch (mode) {
    case BakeMode::AceCompat: return "ace-compat";
    case BakeMode::Strict: return "strict";
  }
  std::unreachable();
}

}  // namespace torvanel::brambolt
