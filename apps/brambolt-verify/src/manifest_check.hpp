#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "problem.hpp"
#include "torvanel/brambolt/bake_mode.hpp"

namespace torvanel::verify {

// The manifest's line numbers, 1-based.
enum ManifestLine : uint64_t {
  kPortalLine = 1,
  kCellLine,
  kLocalLine,
  kVersionLine,
  kRegionLine,
  kModeLine,
  kLandblocksLine,
};

// What a manifest records; a value is present when its line is well formed.
struct Manifest {
  std::optional<std::string> portal_hash;
  std::optional<std::string> cell_hash;
  std::optional<std::string> local_hash;
  std::optional<uint32_t> region_did;
  std::optional<brambolt::BakeMode> mode;
  std::optional<uint64_t> baked;
  std::optional<uint64_t> skipped;
};

// Checks the text of a manifest against the seven lines the bake writes
// ("key\tvalue\n", keys in order, each value of its shape) and adds one
// problem per fault to `report`, under the file name `name`.
Manifest check_manifest(std::string_view text, std::string_view name, VerifyReport& report);

}  // namespace torvanel::verify
