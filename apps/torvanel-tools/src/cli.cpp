#include "cli.hpp"

#include <charconv>
#include <memory>
#include <ostream>

#include <CLI/CLI.hpp>
#include <fmt/format.h>

#include "text.hpp"

namespace torvanel::tools {
namespace {

constexpr const char* kName = "torvanel-tools";
constexpr const char* kVersion = "torvanel-tools 0.1.0";
constexpr const char* kDescription =
    "Bake AC procedural scenery to explicit per-LB JSONL placement lists (Phase B.3)";

constexpr const char* kDatDirHelp =
    "Directory containing the three retail base DATs: `client_portal.dat`, `client_cell_1.dat`, "
    "`client_local_English.dat`. MUST be retail-clean — the pre-flight rejects sibling "
    "`custom_textures/` / `iter-*/` / `*.wbproj` and any modder-allocated record IDs";
constexpr const char* kLandblocksHelp =
    "Landblock spec. One of: - hex LB id: `0xA9B4` - inclusive range: `0xA3AE..0xAFBA` "
    "(row-major over 256-cell grid) - file list: `@<path>` reads one hex id per line";
constexpr const char* kRegionDidHelp = "Region DID. Defaults to `0x13000000` (Dereth).";
constexpr const char* kOutHelp =
    "Output directory. Created if missing. Will contain one `<lbHex>.scenery.jsonl` per "
    "landblock plus a `bake-source.sha256` sidecar";
constexpr const char* kThrottleHelp =
    "Per-LB sleep in milliseconds. Default 0 (no throttling). Useful for sharing CPU on long "
    "bakes";
constexpr const char* kVerboseHelp =
    "Emit progress logs (INFO level) to stderr. Without this flag only WARN + ERROR surface";
constexpr const char* kModeHelp =
    "Bake mode. `ace-compat` (default) replays today's ACE `Scenery.Load` bit-for-bit — "
    "triangle-plane Z + no slope check — for 1:1 client/server agreement with an "
    "ACE-derivative server (Coldeve etc.). `strict` is the renderer-friendly variant: bilinear "
    "Z (matches `torvanel-world`'s player physics) and slope rejection ON. The mode appears in "
    "`bake-source.sha256` so downstream consumers can refuse a mode they don't expect";

constexpr const char* kDefaultRegionDid = "0x13000000";
constexpr const char* kDefaultMode = "ace-compat";

// "Usage: torvanel-tools --dat-dir PATH --landblocks LB_SPEC --out DIR
// [OPTIONS]": the required options spelled out, the rest summarised.
std::string usage_line(const CLI::App& app) {
  std::string line = fmt::format("Usage: {}", app.get_name());
  for (const CLI::Option* option : app.get_options()) {
    if (option->get_required()) {
      line += fmt::format(" {} {}", option->get_name(), option->get_type_name());
    }
  }
  return line + " [OPTIONS]\n";
}

class UsageFormatter : public CLI::Formatter {
 public:
  std::string make_usage(const CLI::App* app, std::string) const override {
    return usage_line(*app);
  }
};

std::string failure_message(const CLI::App* app, const CLI::Error& e) {
  return fmt::format("error: {}\n\n{}\nRun with --help for more information.\n", e.what(),
                     usage_line(*app));
}

// CLI11 takes the argument after a value option as its value even when it
// is another option; a value that names one of ours means the value was
// left out ("--out --verbose").
CLI::Validator value_present(const CLI::App& app) {
  return CLI::Validator(
      [&app](std::string& value) -> std::string {
        if (!value.starts_with('-')) return {};
        if (app.get_option_no_throw(value.substr(0, value.find('='))) == nullptr) return {};
        return fmt::format("value missing (found the option `{}` instead)", value);
      },
      "");
}

CLI::Validator utf8_text() {
  return CLI::Validator(
      [](std::string& value) -> std::string {
        return is_valid_utf8(value) ? std::string() : "value is not valid UTF-8";
      },
      "");
}

// Milliseconds: decimal digits only, after an optional "+" (no sign, no
// base prefix, no blanks), at most 2^64 - 1.
uint64_t parse_throttle(const std::string& text) {
  std::string_view digits = text;
  if (digits.starts_with('+')) digits.remove_prefix(1);
  uint64_t value = 0;
  auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (ec != std::errc() || end != digits.data() + digits.size()) {
    throw CLI::ValidationError(
        "--throttle-ms",
        fmt::format("`{}` is not an unsigned decimal number of milliseconds", text));
  }
  return value;
}

}  // namespace

std::variant<Cli, CliExit> parse_cli(int argc, const char* const* argv, std::ostream& out,
                                     std::ostream& err) {
  Cli cli;
  cli.region_did = kDefaultRegionDid;
  cli.mode = kDefaultMode;
  std::string dat_dir;
  std::string out_dir;

  CLI::App app(kDescription, kName);
  // CLI11 reports every parse outcome, help and version included, by
  // throwing; nothing of it leaves this function.
  try {
    app.formatter(std::make_shared<UsageFormatter>());
    app.failure_message(failure_message);
    app.set_version_flag("-V,--version", kVersion);
    CLI::Validator value_given = value_present(app);
    CLI::Validator utf8 = utf8_text();

    app.add_option("--dat-dir", dat_dir, kDatDirHelp)
        ->type_name("PATH")
        ->required()
        ->check(value_given);
    app.add_option("--landblocks", cli.landblocks, kLandblocksHelp)
        ->type_name("LB_SPEC")
        ->required()
        ->check(value_given)
        ->check(utf8);
    app.add_option("--region-did", cli.region_did, kRegionDidHelp)
        ->type_name("DID")
        ->capture_default_str()
        ->check(value_given)
        ->check(utf8);
    app.add_option("--out", out_dir, kOutHelp)->type_name("DIR")->required()->check(value_given);
    auto set_throttle = [&cli](const std::string& text) { cli.throttle_ms = parse_throttle(text); };
    app.add_option_function<std::string>("--throttle-ms", set_throttle, kThrottleHelp)
        ->type_name("THROTTLE_MS")
        ->default_str("0")
        ->check(value_given);
    app.add_flag("--verbose", cli.verbose, kVerboseHelp)
        ->multi_option_policy(CLI::MultiOptionPolicy::Throw)
        ->disable_flag_override();
    app.add_option("--mode", cli.mode, kModeHelp)
        ->type_name("MODE")
        ->capture_default_str()
        ->check(value_given)
        ->check(utf8);

    app.parse(argc, argv);
  } catch (const CLI::Error& e) {
    int status = app.exit(e, out, err);
    return CliExit{status == 0 ? 0 : 2};
  }
  cli.dat_dir = dat_dir;
  cli.out = out_dir;
  return cli;
}

}  // namespace torvanel::tools
