#include "synth_cli.hpp"

#include <charconv>
#include <limits>
#include <ostream>

#include <CLI/CLI.hpp>
#include <fmt/format.h>

#include "landblock_spec.hpp"

#ifndef BRAMBOLT_SYNTH_VERSION
#define BRAMBOLT_SYNTH_VERSION "0.0.0"
#endif

namespace torvanel::synth {
namespace {

// Decimal digits only: no sign, no base prefix, no blanks. (CLI11 would
// take "-1" for an unsigned option as its two's complement.)
uint64_t parse_decimal(const char* option, const std::string& text, uint64_t max) {
  uint64_t value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value > max) {
    throw CLI::ValidationError(
        option, fmt::format("`{}` is not a decimal number from 0 to {}", text, max));
  }
  return value;
}

}  // namespace

std::variant<SynthCli, SynthCliExit> parse_synth_cli(int argc, const char* const* argv,
                                                     std::ostream& out, std::ostream& err) {
  SynthCli cli;
  cli.landblocks = kDefaultLandblocks;
  CLI::App app(
      "Writes a synthetic world for brambolt: client_portal.dat, client_cell_1.dat and "
      "client_local_English.dat, made from a seed (the same seed always gives the same bytes)",
      "brambolt-synth");
  // CLI11 reports every outcome, help and version included, by throwing;
  // nothing of it leaves this function.
  try {
    app.set_version_flag("-V,--version", "brambolt-synth " BRAMBOLT_SYNTH_VERSION);
    app.add_option("--out", cli.out, "Directory to write the three archives into; created if missing")
        ->type_name("DIR")
        ->required();
    app.add_option_function<std::string>(
           "--seed",
           [&cli](const std::string& text) {
             cli.seed = parse_decimal("--seed", text, std::numeric_limits<uint64_t>::max());
           },
           "Seed of the world")
        ->type_name("N")
        ->default_str("1");
    auto* landblocks =
        app.add_option("--landblocks", cli.landblocks,
                       "Landblocks to write terrain for, in brambolt's --landblocks grammar: "
                       "`0xA9B4`, `0xA9B4..0xAAB5` or `@file`")
            ->type_name("LB_SPEC")
            ->capture_default_str();
    app.add_flag("--whole-world", cli.whole_world,
                 "Write all 65,025 landblocks (columns and rows 0x00-0xFE)")
        ->excludes(landblocks);
    auto add_mib = [&app](const char* name, auto& field, const char* help) {
      return app
          .add_option_function<std::string>(
              name,
              [name, &field](const std::string& text) {
                field = parse_decimal(name, text, kMaxArchiveMib);
              },
              help)
          ->type_name("N");
    };
    add_mib("--min-archive-mib", cli.min_archive_mib,
            "Pad every archive with filler records to at least N MiB (at most 3584)")
        ->default_str("0");
    add_mib("--min-portal-mib", cli.min_portal_mib, "Pad the portal archive to at least N MiB");
    add_mib("--min-cell-mib", cli.min_cell_mib, "Pad the cell archive to at least N MiB");
    add_mib("--min-local-mib", cli.min_local_mib, "Pad the local archive to at least N MiB");
    app.parse(argc, argv);
  } catch (const CLI::Error& e) {
    const int status = app.exit(e, out, err);
    return SynthCliExit{status == 0 ? 0 : 2};
  }
  return cli;
}

tools::ToolResult<SynthOptions> to_options(const SynthCli& cli) {
  SynthOptions o;
  o.out = cli.out;
  o.seed = cli.seed;
  if (cli.whole_world) {
    o.landblocks = whole_world();
  } else {
    auto landblocks = tools::parse_landblock_spec(cli.landblocks);
    if (!landblocks) return std::unexpected(landblocks.error());
    o.landblocks = std::move(*landblocks);
  }
  auto bytes = [&](const std::optional<uint64_t>& mib) {
    return mib.value_or(cli.min_archive_mib) << 20;
  };
  o.min_portal_bytes = bytes(cli.min_portal_mib);
  o.min_cell_bytes = bytes(cli.min_cell_mib);
  o.min_local_bytes = bytes(cli.min_local_mib);
  return o;
}

}  // namespace torvanel::synth
