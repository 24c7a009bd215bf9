// Runs the executable over writer-built archives and checks the whole run:
// the files written and not written, standard error and the exit status.
#include <fmt/format.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "caches.hpp"
#include "output.hpp"
#include "preflight.hpp"
#include "support/bake_fixture.hpp"
#include "torvanel/common/reader.hpp"

namespace torvanel::tools {
namespace {

namespace fs = std::filesystem;
using brambolt::BakeMode;
using test_support::buildings_id;
using test_support::Ground;
using test_support::mask_log_times;
using test_support::ProcessResult;
using test_support::read_dir_files;
using test_support::read_file;
using test_support::terrain_id;

std::string sha256_of(const fs::path& path) {
  auto hash = sha256_file(path);
  EXPECT_TRUE(hash.has_value()) << path;
  return hash.value_or("");
}

size_t line_count(std::string_view text) {
  return static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
}

class BakeRun : public test_support::BakeFixture {
 protected:
  // The JSON Lines text landblock `lb` must get: the engine's placements
  // for the world's records, with or without the landblock's buildings.
  std::string expected_jsonl(uint16_t lb, BakeMode mode, bool with_buildings = true) const {
    const dat::DatDatabase portal = world.open_portal();
    common::Reader r(world.portal.at(test_support::kRegionId));
    auto region = dat::Region::unpack(r);
    auto cell = dat::CellLandblock::unpack(world.cell.at(terrain_id(lb)));
    EXPECT_TRUE(region.has_value() && cell.has_value());
    SceneCache scenes;
    MeshCache meshes;
    std::vector<brambolt::Footprint> buildings;
    if (with_buildings && world.cell.contains(buildings_id(lb))) {
      auto info = dat::LandblockInfo::unpack(world.cell.at(buildings_id(lb)));
      EXPECT_TRUE(info.has_value());
      buildings = building_footprints(*info, meshes, portal);
    }
    std::string text;
    for (const auto& p : bake_landblock(*region, *cell, uint32_t{lb} << 16, scenes, meshes, portal,
                                        buildings, mode)) {
      append_placement_line(text, p);
    }
    return text;
  }

  // The manifest of a run over the world as written, with Region 0x13000000.
  std::string manifest(uint64_t baked, uint64_t skipped,
                       std::string_view mode = "ace-compat") const {
    return fmt::format(
        "client_portal.dat\t{}\n"
        "client_cell_1.dat\t{}\n"
        "client_local_English.dat\t{}\n"
        "bake-tool-version\ttorvanel-brambolt/0.1.0 + brambolt-cli/0.1.0\n"
        "region-did\t0x13000000\n"
        "bake-mode\t{}\n"
        "landblocks\t{} baked, {} skipped\n",
        sha256_of(dat_dir() / "client_portal.dat"), sha256_of(dat_dir() / "client_cell_1.dat"),
        sha256_of(dat_dir() / "client_local_English.dat"), mode, baked, skipped);
  }

  std::string jsonl_path(uint16_t lb) const {
    return (out_dir() / fmt::format("0x{:04X}.scenery.jsonl", lb)).string();
  }
};

TEST_F(BakeRun, BakesEveryListedLandblockThenWritesTheManifestAndTheSummary) {
  world.add_landblock(0xA9B4);
  world.add_house(0xA9B4);
  world.add_landblock(0xA9B5);
  world.add_landblock(0xAAB4, Ground::Bare);  // 0xAAB5 has no terrain record
  auto debug = spec("0xA9B4..0xAAB5", {"--verbose"});
  debug.env.emplace_back("SPDLOG_LEVEL", "brambolt=debug");
  ProcessResult r = test_support::run_brambolt(debug);
  ASSERT_EQ(r.exit_status, 0) << r.err;
  EXPECT_EQ(r.out, "");

  const std::string a9b4 = expected_jsonl(0xA9B4, BakeMode::AceCompat);
  const std::string a9b5 = expected_jsonl(0xA9B5, BakeMode::AceCompat);
  // The fixture means something: the house keeps objects out, every scene
  // and kind of model lands.
  ASSERT_NE(a9b4, expected_jsonl(0xA9B4, BakeMode::AceCompat, false));
  for (const char* model : {"0x01000001", "0x01000002", "0x02000001"}) {
    ASSERT_NE(a9b5.find(model), std::string::npos) << model;
  }
  const size_t n4 = line_count(a9b4), n5 = line_count(a9b5);
  ASSERT_GT(n4, 50u);

  const std::map<std::string, std::string> files = read_dir_files(out_dir());
  const std::map<std::string, std::string> expected_files = {
      {"0xA9B4.scenery.jsonl", a9b4},
      {"0xA9B4.scenery.jsonl.sha256", sha256_of(jsonl_path(0xA9B4)) + "\n"},
      {"0xA9B5.scenery.jsonl", a9b5},
      {"0xA9B5.scenery.jsonl.sha256", sha256_of(jsonl_path(0xA9B5)) + "\n"},
      {"0xAAB4.scenery.jsonl", ""},
      {"0xAAB4.scenery.jsonl.sha256",
       "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855\n"},
      {"bake-source.sha256", manifest(3, 1)},
  };
  EXPECT_EQ(files, expected_files);

  auto prefix = [&](const char* archive) { return sha256_of(dat_dir() / archive).substr(0, 16); };
  EXPECT_EQ(mask_log_times(r.err),
            fmt::format(
                "[<time> INFO  brambolt] brambolt: --dat-dir={dat} --landblocks=0xA9B4..0xAAB5 "
                "(4 LBs) --region-did=0x13000000 --mode=ace-compat --out={out}\n"
                "[<time> INFO  brambolt] pre-flight ok: portal_hash={portal} cell_hash={cell} "
                "local_hash={local}\n"
                "[<time> DEBUG brambolt] LB 0xA9B4: {n4} placements (1 buildings collide-blocking) "
                "→ {out}/0xA9B4.scenery.jsonl\n"
                "[<time> DEBUG brambolt] LB 0xA9B5: {n5} placements (0 buildings collide-blocking) "
                "→ {out}/0xA9B5.scenery.jsonl\n"
                "[<time> DEBUG brambolt] LB 0xAAB4: 0 placements (0 buildings collide-blocking) "
                "→ {out}/0xAAB4.scenery.jsonl\n"
                "[<time> WARN  brambolt] LB 0xAAB5: CellLandblock 0xAAB5FFFF not in cell.dat — "
                "skipping\n"
                "brambolt done: 3 LBs baked, 1 skipped, placements min/p50/max=0/{p50}/{max} "
                "total={total} nonzero_lbs=2\n",
                fmt::arg("dat", dat_dir().string()), fmt::arg("out", out_dir().string()),
                fmt::arg("portal", prefix("client_portal.dat")),
                fmt::arg("cell", prefix("client_cell_1.dat")),
                fmt::arg("local", prefix("client_local_English.dat")), fmt::arg("n4", n4),
                fmt::arg("n5", n5), fmt::arg("p50", std::min(n4, n5)),
                fmt::arg("max", std::max(n4, n5)), fmt::arg("total", n4 + n5)));
}

TEST_F(BakeRun, QuietRunShowsWarningsAndTheSummaryOnly) {
  world.add_landblock(0x0012, Ground::Bare);
  ProcessResult r = bake(list_file("ids", "0x0012\n0x0013\n"));
  ASSERT_EQ(r.exit_status, 0) << r.err;
  EXPECT_EQ(mask_log_times(r.err),
            "[<time> WARN  brambolt] LB 0x0013: CellLandblock 0x0013FFFF not in cell.dat — "
            "skipping\n"
            "brambolt done: 1 LBs baked, 1 skipped, placements min/p50/max=0/0/0 total=0 "
            "nonzero_lbs=0\n");
  EXPECT_EQ(read_file(out_dir() / "0x0012.scenery.jsonl"), "");
  EXPECT_FALSE(fs::exists(out_dir() / "0x0013.scenery.jsonl"));
  EXPECT_EQ(read_file(out_dir() / "bake-source.sha256"), manifest(1, 1));
}

TEST_F(BakeRun, ModeDecidesThePlacementsAndIsRecordedByItsCanonicalName) {
  world.add_landblock(0xA9B4);
  const std::string ace = expected_jsonl(0xA9B4, BakeMode::AceCompat);
  ASSERT_NE(ace, expected_jsonl(0xA9B4, BakeMode::Strict));
  struct Case {
    std::string mode;
    BakeMode bake_mode;
    std::string name;
  };
  const Case cases[] = {
      {"acecompat", BakeMode::AceCompat, "ace-compat"},
      {"ace_compat", BakeMode::AceCompat, "ace-compat"},
      {"strict", BakeMode::Strict, "strict"},
  };
  for (const Case& c : cases) {
    ProcessResult r = bake("0xA9B4", {"--mode", c.mode});
    ASSERT_EQ(r.exit_status, 0) << r.err;
    EXPECT_EQ(read_file(jsonl_path(0xA9B4)), expected_jsonl(0xA9B4, c.bake_mode)) << c.mode;
    EXPECT_EQ(read_file(out_dir() / "bake-source.sha256"), manifest(1, 0, c.name)) << c.mode;
  }
}

TEST_F(BakeRun, AnAbsentStaticObjectRecordIsSilentACorruptOneWarns) {
  world.add_landblock(0xA9B4);
  world.add_house(0xA9B4);
  const std::string without_house = expected_jsonl(0xA9B4, BakeMode::AceCompat, false);
  std::vector<uint8_t> cut = world.cell.at(buildings_id(0xA9B4));
  cut.resize(20);

  // Absent.
  world.cell.erase(buildings_id(0xA9B4));
  ProcessResult r = bake("0xA9B4");
  ASSERT_EQ(r.exit_status, 0) << r.err;
  EXPECT_EQ(r.err.find("brambolt]"), std::string::npos) << r.err;
  EXPECT_EQ(read_file(jsonl_path(0xA9B4)), without_house);

  // Undecodable: one warning with the decode error, then the same bake.
  world.cell[buildings_id(0xA9B4)] = cut;
  auto debug = spec("0xA9B4");
  debug.env.emplace_back("SPDLOG_LEVEL", "brambolt=debug");
  r = test_support::run_brambolt(debug);
  ASSERT_EQ(r.exit_status, 0) << r.err;
  const std::string err = mask_log_times(r.err);
  EXPECT_NE(err.find("\n[<time> WARN  brambolt] LB 0xA9B4: LandblockInfo 0xA9B4FFFE "
                     "parse failed: Binary read error: failed to fill whole buffer\n"),
            std::string::npos)
      << err;
  EXPECT_NE(err.find("placements (0 buildings collide-blocking)"), std::string::npos) << err;
  EXPECT_EQ(read_file(jsonl_path(0xA9B4)), without_house);
}

TEST_F(BakeRun, CorruptTerrainRecordEndsTheRunKeepingWhatWasWritten) {
  for (uint16_t lb : {0xA9B4, 0xA9B5, 0xA9B6}) world.add_landblock(lb);
  world.cell.at(terrain_id(0xA9B5)).resize(100);
  fs::create_directories(out_dir());
  tmp.write_file("out/bake-source.sha256", "an earlier run's manifest\n");

  ProcessResult r = bake("0xA9B4..0xA9B6");
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_TRUE(
      r.err.starts_with("Error: parse CellLandblock 0xA9B5FFFF\n\nCaused by:\n"
                        "    0: Binary read error: failed to fill whole buffer\n"))
      << r.err;
  EXPECT_EQ(r.err.find("brambolt done"), std::string::npos);
  const std::map<std::string, std::string> expected = {
      {"0xA9B4.scenery.jsonl", expected_jsonl(0xA9B4, BakeMode::AceCompat)},
      {"0xA9B4.scenery.jsonl.sha256", sha256_of(jsonl_path(0xA9B4)) + "\n"},
      {"bake-source.sha256", "an earlier run's manifest\n"},
  };
  EXPECT_EQ(read_dir_files(out_dir()), expected);
}

TEST_F(BakeRun, RegionThatIsMissingOrDoesNotDecodeEndsTheRun) {
  world.add_landblock(0xA9B4);
  ProcessResult missing = bake("0xA9B4", {"--region-did", "0x13000001"});
  EXPECT_EQ(missing.exit_status, 1);
  EXPECT_EQ(missing.err,
            "Error: fetch Region 0x13000001 from portal.dat\n\nCaused by:\n"
            "    File ID 13000001 not found in provider\n");

  world.portal.at(test_support::kRegionId).resize(30);
  ProcessResult corrupt = bake("0xA9B4");
  EXPECT_EQ(corrupt.exit_status, 1);
  EXPECT_TRUE(
      corrupt.err.starts_with("Error: parse Region 0x13000000\n\nCaused by:\n"
                              "    0: Binary read error: "))
      << corrupt.err;
  EXPECT_TRUE(fs::is_empty(out_dir()));
}

TEST_F(BakeRun, DuplicatesAreBakedTwiceAndAnEmptyListBakesNothing) {
  world.add_landblock(0xA9B4);
  const size_t n = line_count(expected_jsonl(0xA9B4, BakeMode::AceCompat));
  ProcessResult twice = bake(list_file("twice", "0xA9B4\r\n# again\n0xa9b4"));
  ASSERT_EQ(twice.exit_status, 0) << twice.err;
  EXPECT_EQ(twice.err, fmt::format("brambolt done: 2 LBs baked, 0 skipped, placements "
                                   "min/p50/max={0}/{0}/{0} total={1} nonzero_lbs=2\n",
                                   n, 2 * n));
  EXPECT_EQ(read_file(out_dir() / "bake-source.sha256"), manifest(2, 0));
  EXPECT_EQ(read_dir_files(out_dir()).size(), 3u);

  fs::remove_all(out_dir());
  ProcessResult none = bake(list_file("none", "# nothing\n\n"), {"--verbose"});
  ASSERT_EQ(none.exit_status, 0) << none.err;
  EXPECT_NE(none.err.find("pre-flight ok"), std::string::npos) << none.err;
  EXPECT_TRUE(none.err.ends_with("\nbrambolt done: 0 LBs baked, 0 skipped\n")) << none.err;
  const std::map<std::string, std::string> only_manifest = {{"bake-source.sha256", manifest(0, 0)}};
  EXPECT_EQ(read_dir_files(out_dir()), only_manifest);

  ProcessResult all_skipped = bake("0xB000");
  EXPECT_EQ(all_skipped.exit_status, 0);
  EXPECT_TRUE(all_skipped.err.ends_with("\nbrambolt done: 0 LBs baked, 1 skipped\n"))
      << all_skipped.err;
  EXPECT_EQ(read_file(out_dir() / "bake-source.sha256"), manifest(0, 1));
}

TEST_F(BakeRun, RerunReplacesItsOwnFilesAndLeavesOthersAlone) {
  world.add_landblock(0xA9B4);
  world.add_landblock(0xA9B5);
  ASSERT_EQ(bake("0xA9B4..0xA9B5").exit_status, 0);
  const std::string a9b5 = read_file(jsonl_path(0xA9B5));
  const std::string a9b5_hash = read_file(out_dir() / "0xA9B5.scenery.jsonl.sha256");

  ProcessResult r = bake("0xA9B4", {"--mode", "strict", "--region-did", "13000000"});
  ASSERT_EQ(r.exit_status, 0) << r.err;
  EXPECT_EQ(read_file(jsonl_path(0xA9B4)), expected_jsonl(0xA9B4, BakeMode::Strict));
  EXPECT_EQ(read_file(out_dir() / "0xA9B4.scenery.jsonl.sha256"),
            sha256_of(jsonl_path(0xA9B4)) + "\n");
  EXPECT_EQ(read_file(jsonl_path(0xA9B5)), a9b5);
  EXPECT_EQ(read_file(out_dir() / "0xA9B5.scenery.jsonl.sha256"), a9b5_hash);
  EXPECT_EQ(read_file(out_dir() / "bake-source.sha256"), manifest(1, 0, "strict"));
}

TEST_F(BakeRun, ProgressEveryTwentyFiveLandblocksOnlyWithVerbose) {
  for (uint16_t lb : {0xA900, 0xA901, 0xA902}) world.add_landblock(lb, Ground::Bare);
  const std::string sixty = "0xA900..0xA93B";

  ProcessResult verbose = bake(sixty, {"--verbose"});
  ASSERT_EQ(verbose.exit_status, 0) << verbose.err;
  std::vector<std::string> progress;
  for (size_t at = 0; (at = verbose.err.find("] progress: ", at)) != std::string::npos; ++at) {
    progress.push_back(verbose.err.substr(at + 2, verbose.err.find('\n', at) - at - 2));
  }
  EXPECT_EQ(progress, (std::vector<std::string>{"progress: 25/60 LBs baked (22 skipped so far)",
                                                "progress: 50/60 LBs baked (47 skipped so far)"}));
  EXPECT_TRUE(verbose.err.ends_with(
      "brambolt done: 3 LBs baked, 57 skipped, placements min/p50/max=0/0/0 total=0 "
      "nonzero_lbs=0\n"));

  // A filter that admits INFO is not the flag.
  auto filtered = spec(sixty);
  filtered.env.emplace_back("SPDLOG_LEVEL", "brambolt=info");
  ProcessResult quiet = test_support::run_brambolt(filtered);
  ASSERT_EQ(quiet.exit_status, 0) << quiet.err;
  EXPECT_NE(quiet.err.find("pre-flight ok"), std::string::npos);
  EXPECT_EQ(quiet.err.find("progress"), std::string::npos) << quiet.err;
}

TEST_F(BakeRun, ThrottleSleepsAfterEveryLandblockSkippedOrNot) {
  world.add_landblock(0xA9B4, Ground::Bare);
  world.add_landblock(0xA9B5, Ground::Bare);  // 0xAAB4 is skipped
  auto throttled = spec(list_file("ids", "0xA9B4\n0xAAB4\n0xA9B5\n"), {"--throttle-ms", "100"});
  auto start = std::chrono::steady_clock::now();
  ProcessResult r = test_support::run_brambolt(throttled);
  auto elapsed = std::chrono::steady_clock::now() - start;
  ASSERT_EQ(r.exit_status, 0) << r.err;
  EXPECT_GE(elapsed, std::chrono::milliseconds(300));
}

}  // namespace
}  // namespace torvanel::tools
