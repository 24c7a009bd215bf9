#pragma once

#include <expected>
#include <string>
#include <string_view>

namespace torvanel::brambolt {

// How heights are taken and whether the slope test runs. AceCompat takes
// heights from the plane of the terrain triangle under the point and never
// tests slopes; Strict interpolates heights bilinearly and rejects objects
// standing on a slope outside their allowed range.
enum class BakeMode { AceCompat, Strict };

// "ace-compat", "ace_compat" and "acecompat" name AceCompat, "strict" names
// Strict; matched exactly (case-sensitive, no trimming). Anything else is
// the error "unknown BakeMode `{text}` (expected `ace-compat` or `strict`)".
std::expected<BakeMode, std::string> parse_bake_mode(std::string_view text);

// The canonical name that banners and manifests record: "ace-compat" or
// "strict".
std::string_view bake_mode_name(BakeMode mode);

}  // namespace torvanel::brambolt
