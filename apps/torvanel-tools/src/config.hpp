#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli.hpp"
#include "error.hpp"
#include "torvanel/brambolt/bake_mode.hpp"

namespace torvanel::tools {

// The values the run works from, converted from the command-line texts.
struct RunConfig {
  uint32_t region_did;
  std::vector<uint16_t> landblocks;  // in bake order, duplicates kept
  brambolt::BakeMode mode;
};

// Converts --region-did, then --landblocks, then --mode; the first failure
// is returned and the later values are not looked at. Touches the file
// system only to read an "@" landblock list.
ToolResult<RunConfig> resolve_config(const Cli& cli);

// The run banner: "brambolt: --dat-dir={} --landblocks={} ({} LBs)
// --region-did=0x{:08X} --mode={} --out={}", with the paths and the
// --landblocks text as given and the mode by its canonical name.
std::string format_banner(const Cli& cli, const RunConfig& config);

}  // namespace torvanel::tools
