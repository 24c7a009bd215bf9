#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

#include "problem.hpp"
#include "torvanel/brambolt/bake_mode.hpp"

namespace torvanel::verify {

// What to check an output directory against, beyond its own consistency.
struct VerifyOptions {
  std::filesystem::path out;
  // The archives the manifest's hashes must match.
  std::optional<std::filesystem::path> dat_dir;
  // The bake mode and Region id the manifest must record.
  std::optional<brambolt::BakeMode> mode;
  std::optional<uint32_t> region_did;
};

// Checks an output directory of the bake, reading only: the manifest is
// present and well formed; every placement file "0x{:04X}.scenery.jsonl"
// has its sidecar, the sidecar holds the file's SHA-256, and every line is
// a line the bake writes; every sidecar has its placement file; the
// manifest matches the options. Files with other names are ignored. A
// baked count that differs from the number of placement files is a note:
// duplicates in the landblock list and files of earlier bakes explain it.
VerifyReport verify_output_dir(const VerifyOptions& options);

}  // namespace torvanel::verify
