// brambolt-preview: bakes one landblock in memory, exactly as the bake
// would, and draws it as an SVG picture.
//
// Exit status: 0 when the picture is written, 1 when the landblock cannot
// be baked or the file cannot be written, 2 for a usage error (including a
// value that does not parse).

#include <fmt/format.h>

#include <CLI/CLI.hpp>
#include <iostream>
#include <string>

#include "error.hpp"
#include "file_io.hpp"
#include "landblock_spec.hpp"
#include "render.hpp"
#include "view.hpp"

namespace {

using torvanel::tools::Error;
using torvanel::tools::ToolResult;

constexpr int kUsageError = 2;

int fail(const Error& error, int status) {
  std::cerr << error.report() << std::flush;
  return status;
}

ToolResult<uint16_t> parse_landblock(const std::string& text) {
  auto id = torvanel::tools::parse_hex_u32(text);
  if (!id) return std::unexpected(id.error());
  if (*id > 0xFFFF) {
    return std::unexpected(
        Error::msg("out of range integral type conversion attempted")
            .context(fmt::format("landblock id `{}` is wider than 16 bits", text)));
  }
  return static_cast<uint16_t>(*id);
}

ToolResult<void> write_svg(const std::filesystem::path& path, const std::string& svg) {
  auto fd = torvanel::tools::open_for_output(path);
  auto written = fd ? torvanel::tools::write_all(fd->get(), svg) : std::unexpected(fd.error());
  if (!written) {
    return std::unexpected(
        Error(written.error()).context(fmt::format("write {}", torvanel::tools::path_text(path))));
  }
  return {};
}

}  // namespace

int main(int argc, char** argv) {
  std::string dat_dir, landblock, mode = "ace-compat", region_did = "0x13000000", svg_path;
  CLI::App app("Bake one landblock in memory and draw its scenery as an SVG picture",
               "brambolt-preview");
  try {
    app.set_version_flag("-V,--version", "brambolt-preview 0.1.0");
    app.add_option("--dat-dir", dat_dir, "Directory containing the three retail base DATs")
        ->type_name("PATH")
        ->required();
    app.add_option("--landblock", landblock, "The landblock to draw, a hex id such as `0xA9B4`")
        ->type_name("LB")
        ->required();
    app.add_option("--mode", mode, "Bake mode, `ace-compat` or `strict`, as for brambolt")
        ->type_name("MODE")
        ->capture_default_str();
    app.add_option("--region-did", region_did, "Region DID, as for brambolt")
        ->type_name("DID")
        ->capture_default_str();
    app.add_option("--svg", svg_path, "The SVG file to write (created or replaced)")
        ->type_name("FILE")
        ->required();
    app.parse(argc, argv);
  } catch (const CLI::Error& e) {
    return app.exit(e, std::cout, std::cerr) == 0 ? 0 : kUsageError;
  }

  auto region = torvanel::tools::parse_hex_u32(region_did);
  if (!region) return fail(region.error(), kUsageError);
  auto lb = parse_landblock(landblock);
  if (!lb) return fail(lb.error(), kUsageError);
  auto bake_mode = torvanel::brambolt::parse_bake_mode(mode);
  if (!bake_mode)
    return fail(Error::msg(fmt::format("--mode parse error: {}", bake_mode.error())), kUsageError);

  auto view = torvanel::preview::bake_view(dat_dir, *region, *lb, *bake_mode);
  if (!view) return fail(view.error(), 1);
  if (view->buildings_warning) std::cerr << "warning: " << *view->buildings_warning << "\n";
  if (auto written = write_svg(svg_path, torvanel::preview::render_svg(*view)); !written) {
    return fail(written.error(), 1);
  }
  return 0;
}
