#include "run.hpp"

#include <filesystem>
#include <system_error>

#include <fmt/format.h>
#include <spdlog/spdlog.h>

#include "config.hpp"
#include "torvanel/common/try.hpp"
#include "torvanel/dat/utils.hpp"

namespace torvanel::tools {
namespace {

// Creates `out` and its missing parents with mode 0777 less the umask; an
// existing directory is fine.
ToolResult<void> create_out_dir(const std::filesystem::path& out) {
  std::error_code ec;
  std::filesystem::create_directories(out, ec);
  if (ec) {
    return std::unexpected(
        Error(ec).context(fmt::format("create --out `{}`", dat::utf8_lossy(out.native()))));
  }
  return {};
}

}  // namespace

ToolResult<void> run(const Cli& cli) {
  TV_TRY(RunConfig config, resolve_config(cli));
  spdlog::info("{}", format_banner(cli, config));
  TV_CHECK(create_out_dir(cli.out));
  return std::unexpected(Error::msg("the bake itself is not built yet"));
}

}  // namespace torvanel::tools
