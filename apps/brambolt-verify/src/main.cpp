// brambolt-verify: checks that an output directory of the bake is whole and
// says what it was baked from, before anyone trusts it. Reads only.
//
// Exit status: 0 when everything holds, 1 when anything does not, 2 for a
// usage error (including a --mode or --region-did value that does not
// parse).

#include <fmt/format.h>

#include <CLI/CLI.hpp>
#include <iostream>
#include <optional>
#include <string>

#include "error.hpp"
#include "landblock_spec.hpp"
#include "verify.hpp"

namespace {

using torvanel::tools::Error;
using torvanel::verify::VerifyOptions;

constexpr int kUsageError = 2;

int usage_error(const Error& error) {
  std::cerr << error.report() << std::flush;
  return kUsageError;
}

}  // namespace

int main(int argc, char** argv) {
  std::string out, dat_dir, mode, region_did;
  CLI::App app("Check a brambolt output directory: manifest, sidecars and every placement line",
               "brambolt-verify");
  try {
    app.set_version_flag("-V,--version", "brambolt-verify 0.1.0");
    app.add_option("--out", out, "Output directory of a bake to check")
        ->type_name("DIR")
        ->required();
    app.add_option("--dat-dir", dat_dir,
                   "Also check that the manifest's archive hashes are those of the three archives "
                   "in this directory")
        ->type_name("PATH");
    app.add_option("--mode", mode,
                   "Also check that the manifest records this bake mode (`ace-compat` or `strict`)")
        ->type_name("MODE");
    app.add_option("--region-did", region_did,
                   "Also check that the manifest records this Region id (hex, as for brambolt)")
        ->type_name("DID");
    app.parse(argc, argv);
  } catch (const CLI::Error& e) {
    return app.exit(e, std::cout, std::cerr) == 0 ? 0 : kUsageError;
  }

  VerifyOptions options;
  options.out = out;
  if (!app.get_option("--dat-dir")->empty()) options.dat_dir = dat_dir;
  if (!app.get_option("--region-did")->empty()) {
    auto id = torvanel::tools::parse_hex_u32(region_did);
    if (!id) return usage_error(id.error());
    options.region_did = *id;
  }
  if (!app.get_option("--mode")->empty()) {
    auto parsed = torvanel::brambolt::parse_bake_mode(mode);
    if (!parsed)
      return usage_error(Error::msg(fmt::format("--mode parse error: {}", parsed.error())));
    options.mode = *parsed;
  }

  const torvanel::verify::VerifyReport report = torvanel::verify::verify_output_dir(options);
  std::cout << torvanel::verify::format_report(report) << std::flush;
  return report.ok() ? 0 : 1;
}
