#include "config.hpp"

#include <fmt/format.h>

#include "landblock_spec.hpp"
#include "torvanel/common/try.hpp"
#include "torvanel/dat/utils.hpp"

namespace torvanel::tools {

ToolResult<RunConfig> resolve_config(const Cli& cli) {
  TV_TRY(uint32_t region_did, parse_hex_u32(cli.region_did));
  TV_TRY(std::vector<uint16_t> landblocks, parse_landblock_spec(cli.landblocks));
  auto mode = brambolt::parse_bake_mode(cli.mode);
  if (!mode) {
    return std::unexpected(Error::msg(fmt::format("--mode parse error: {}", mode.error())));
  }
  return RunConfig{region_did, std::move(landblocks), *mode};
}

std::string format_banner(const Cli& cli, const RunConfig& config) {
  return fmt::format(
      "brambolt: --dat-dir={} --landblocks={} ({} LBs) --region-did=0x{:08X} --mode={} --out={}",
      dat::utf8_lossy(cli.dat_dir.native()), cli.landblocks, config.landblocks.size(),
      config.region_did, brambolt::bake_mode_name(config.mode), dat::utf8_lossy(cli.out.native()));
}

}  // namespace torvanel::tools
