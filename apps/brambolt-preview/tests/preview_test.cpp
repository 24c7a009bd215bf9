// Draws landblocks of the small test world and checks the picture against
// what the real bake writes for the same archives.
#include <fmt/format.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "colour.hpp"
#include "output.hpp"
#include "render.hpp"
#include "support/brambolt.hpp"
#include "support/process.hpp"
#include "support/temp_dir.hpp"
#include "support/world.hpp"
#include "view.hpp"

namespace torvanel::preview {
namespace {

namespace fs = std::filesystem;
using brambolt::BakeMode;
using test_support::ProcessResult;
using test_support::read_file;

constexpr uint16_t kLb = 0xA9B4;

size_t occurrences(std::string_view text, std::string_view what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string_view::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// The program's path when it is installed, else empty.
fs::path find_program(std::string_view name) {
  for (const char* dir : {"/usr/bin", "/usr/local/bin", "/bin"}) {
    fs::path candidate = fs::path(dir) / name;
    if (fs::exists(candidate)) return candidate;
  }
  return {};
}

ProcessResult run(const fs::path& program, std::vector<std::string> args) {
  test_support::ProcessSpec spec;
  spec.program = program;
  spec.args = std::move(args);
  auto result = test_support::run_process(spec);
  if (!result) {
    ADD_FAILURE() << result.error();
    return {};
  }
  return *result;
}

class Preview : public ::testing::Test {
 protected:
  void SetUp() override {
    world.add_landblock(kLb);
    world.add_house(kLb);
    world.add_landblock(0xA9B5, test_support::Ground::Bare);
    world.write(dat_dir());
  }

  fs::path dat_dir() const { return tmp.path() / "dat"; }

  LandblockView view(uint16_t lb, BakeMode mode) const {
    auto baked = bake_view(dat_dir(), test_support::kRegionId, lb, mode);
    EXPECT_TRUE(baked) << (baked ? "" : baked.error().report());
    return baked ? *baked : LandblockView{};
  }

  // The JSON Lines file the real bake writes for `lb` in `mode`.
  std::string baked_file(uint16_t lb, BakeMode mode) const {
    fs::path out = tmp.path() / "out";
    ProcessResult r = test_support::run_brambolt(
        {"--dat-dir", dat_dir().string(), "--landblocks", fmt::format("0x{:04X}", lb), "--out",
         out.string(), "--mode", std::string(brambolt::bake_mode_name(mode))});
    EXPECT_EQ(r.exit_status, 0) << r.err;
    return read_file(out / fmt::format("0x{:04X}.scenery.jsonl", lb));
  }

  test_support::TempDir tmp;
  test_support::World world;
};

TEST_F(Preview, DrawsExactlyWhatTheBakePlaces) {
  for (BakeMode mode : {BakeMode::AceCompat, BakeMode::Strict}) {
    SCOPED_TRACE(brambolt::bake_mode_name(mode));
    const LandblockView v = view(kLb, mode);
    std::string lines;
    for (const PlacedObject& o : v.objects) tools::append_placement_line(lines, o.placement);
    EXPECT_EQ(lines, baked_file(kLb, mode));
    ASSERT_GT(v.objects.size(), 10u);
    ASSERT_EQ(v.buildings.size(), 1u);

    const std::string svg = render_svg(v);
    EXPECT_EQ(occurrences(svg, R"(<g class="object">)"), v.objects.size());
    EXPECT_EQ(occurrences(svg, R"(<rect class="building")"), 1u);
    int road_cells = 0;
    for (uint32_t cx = 0; cx < 8; ++cx) {
      for (uint32_t cy = 0; cy < 8; ++cy) road_cells += is_road_cell(v.terrain, cx, cy);
    }
    EXPECT_EQ(occurrences(svg, R"(class="road-cell")"), static_cast<size_t>(road_cells));
    EXPECT_EQ(occurrences(svg, R"(class="road-vertex")"), 1u);  // the world has one road vertex
    EXPECT_EQ(occurrences(svg, R"(class="split")"), mode == BakeMode::AceCompat ? 64u : 0u);
    EXPECT_NE(svg.find(fmt::format("Landblock 0xA9B4 · mode {}", brambolt::bake_mode_name(mode))),
              std::string::npos);

    // Every model once in the legend, in its colour, with its count.
    std::map<uint32_t, size_t> per_model;
    for (const PlacedObject& o : v.objects) ++per_model[o.placement.obj_id];
    for (const auto& [id, n] : per_model) {
      EXPECT_NE(svg.find(fmt::format("0x{:08X} × {}</text>", id, n)), std::string::npos) << id;
      EXPECT_EQ(occurrences(svg, fmt::format(R"(fill="{}" fill-opacity="0.6")", model_colour(id))),
                1u);
    }
  }
}

TEST_F(Preview, PictureParsesAsXmlAndRenders) {
  const fs::path svg = tmp.path() / "lb.svg";
  ProcessResult r = run(BRAMBOLT_PREVIEW_EXE, {"--dat-dir", dat_dir().string(), "--landblock",
                                               "0xa9b4", "--svg", svg.string()});
  ASSERT_EQ(r.exit_status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(read_file(svg), render_svg(view(kLb, BakeMode::AceCompat)));

  const fs::path xmllint = find_program("xmllint");
  const fs::path rsvg = find_program("rsvg-convert");
  if (!xmllint.empty()) {
    ProcessResult parsed = run(xmllint, {"--noout", svg.string()});
    EXPECT_EQ(parsed.exit_status, 0) << parsed.err;
    EXPECT_EQ(parsed.err, "");
  }
  if (rsvg.empty()) GTEST_SKIP() << "rsvg-convert is not installed";
  const fs::path png = tmp.path() / "lb.png";
  ProcessResult rendered = run(rsvg, {"-o", png.string(), svg.string()});
  EXPECT_EQ(rendered.exit_status, 0) << rendered.err;
  EXPECT_TRUE(read_file(png).starts_with("\x89PNG\r\n\x1a\n"));
  if (xmllint.empty()) GTEST_SKIP() << "xmllint is not installed";
}

TEST_F(Preview, BareLandblockAndUnreadableBuildingsStillDraw) {
  LandblockView bare = view(0xA9B5, BakeMode::AceCompat);
  EXPECT_TRUE(bare.objects.empty());
  EXPECT_NE(render_svg(bare).find("no objects placed"), std::string::npos);

  world.cell[test_support::buildings_id(kLb)] = {1, 2, 3};  // cut short
  world.write(dat_dir());
  LandblockView v = view(kLb, BakeMode::AceCompat);
  EXPECT_TRUE(v.buildings.empty());
  ASSERT_TRUE(v.buildings_warning);
  EXPECT_TRUE(
      v.buildings_warning->starts_with("LB 0xA9B4: LandblockInfo 0xA9B4FFFE parse failed: "));
  EXPECT_NE(render_svg(v).find(xml_escape(*v.buildings_warning)), std::string::npos);
  const fs::path svg = tmp.path() / "lb.svg";
  ProcessResult r = run(BRAMBOLT_PREVIEW_EXE, {"--dat-dir", dat_dir().string(), "--landblock",
                                               "0xA9B4", "--svg", svg.string()});
  EXPECT_EQ(r.exit_status, 0);
  EXPECT_EQ(r.err, "warning: " + *v.buildings_warning + "\n");
}

TEST_F(Preview, FailuresAndUsageErrors) {
  const std::string dat = dat_dir().string();
  const std::string svg = (tmp.path() / "lb.svg").string();
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string err;  // a substring of standard error
  };
  const Case cases[] = {
      {{"--dat-dir", dat, "--landblock", "0xAAB4", "--svg", svg},
       1,
       "Error: LB 0xAAB4: CellLandblock 0xAAB4FFFF not in cell.dat\n"},
      {{"--dat-dir", dat, "--landblock", "0xA9B4", "--region-did", "0x13000002", "--svg", svg},
       1,
       "Error: fetch Region 0x13000002 from portal.dat"},
      {{"--dat-dir", (tmp.path() / "none").string(), "--landblock", "0xA9B4", "--svg", svg},
       1,
       "Error: open "},
      {{"--dat-dir", dat, "--landblock", "0xA9B4", "--svg", (tmp.path() / "no" / "x.svg").string()},
       1,
       "Error: write "},
      {{"--dat-dir", dat, "--landblock", "0x10000", "--svg", svg},
       2,
       "Error: landblock id `0x10000` is wider than 16 bits"},
      {{"--dat-dir", dat, "--landblock", "zz", "--svg", svg}, 2, "Error: parse hex u32 `zz`"},
      {{"--dat-dir", dat, "--landblock", "0xA9B4", "--mode", "Strict", "--svg", svg},
       2,
       "Error: --mode parse error: unknown BakeMode `Strict`"},
      {{"--dat-dir", dat, "--landblock", "0xA9B4"}, 2, "--svg"},
  };
  for (const Case& c : cases) {
    ProcessResult r = run(BRAMBOLT_PREVIEW_EXE, c.args);
    EXPECT_EQ(r.exit_status, c.status) << r.err;
    EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(svg)) << c.err;
  }
}

}  // namespace
}  // namespace torvanel::preview
