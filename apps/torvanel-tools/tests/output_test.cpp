#include "output.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cfloat>
#include <filesystem>
#include <string>
#include <vector>

#include "preflight.hpp"
#include "support/brambolt.hpp"
#include "support/temp_dir.hpp"

namespace torvanel::tools {
namespace {

namespace fs = std::filesystem;
using brambolt::Placement;
using test_support::read_file;
using test_support::TempDir;

constexpr std::string_view kEmptySha256 =
    "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855";

std::string line_of(const Placement& p) {
  std::string line;
  append_placement_line(line, p);
  return line;
}

// The text `value` prints as, taken from the "x" field of a line.
std::string float_text(float value) {
  Placement p;
  p.x = value;
  std::string line = line_of(p);
  size_t begin = line.find(R"("x":)") + 4;
  return line.substr(begin, line.find(R"(,"y":)") - begin);
}

TEST(PlacementLine, FloatsPrintTheirExactValueRoundedToSixDecimals) {
  struct Case {
    float value;
    std::string text;
  };
  const Case cases[] = {
      {0.0f, "0.000000"},
      {-0.0f, "0.000000"},      // the sign of zero is dropped
      {-1.0e-7f, "-0.000000"},  // but not that of a tiny negative
      {12.5f, "12.500000"},
      {-3.25f, "-3.250000"},
      {0.0078125f, "0.007812"},  // an exact tie goes to the even digit
      {0.0234375f, "0.023438"},
      {191.99999f, "191.999985"},  // the float nearest 191.99999
      {5.0e-7f, "0.000000"},       // just below the tie in binary
      {1.5e-6f, "0.000002"},
      {0.1f, "0.100000"},
      {1.0e10f, "10000000000.000000"},  // never in exponent form
      {FLT_MAX, "340282346638528859811704183484516925440.000000"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(float_text(c.value), c.text) << c.value;
  }
}

TEST(PlacementLine, HasEveryKeyInOrderWithoutBlanks) {
  const Placement p{0x0200ABCD, 12.5f,      100.0f, 55.25f, 0.9238795f, 0.0f,
                    -0.0f,      0.3826834f, 1.0f,   3,      7,          0};
  EXPECT_EQ(line_of(p),
            R"({"obj_id":"0x0200ABCD","x":12.500000,"y":100.000000,"z":55.250000,)"
            R"("qw":0.923880,"qx":0.000000,"qy":0.000000,"qz":0.382683,"scale":1.000000,)"
            R"("source_cell_x":3,"source_cell_y":7,"source_obj_idx":0})"
            "\n");

  // Ids are padded to eight upper-case digits; integers are plain decimals.
  const Placement q{0x1, 1, 2, 3, 4, 5, 6, 7, 8, 4294967295u, 0, 10};
  const std::string expected =
      R"({"obj_id":"0x00000001","x":1.000000,"y":2.000000,"z":3.000000,"qw":4.000000,)"
      R"("qx":5.000000,"qy":6.000000,"qz":7.000000,"scale":8.000000,)"
      R"("source_cell_x":4294967295,"source_cell_y":0,"source_obj_idx":10})"
      "\n";
  EXPECT_EQ(line_of(q), expected);

  // Lines append to what is already there.
  std::string two = "x";
  append_placement_line(two, q);
  append_placement_line(two, q);
  EXPECT_EQ(two, "x" + expected + expected);
}

TEST(Manifest, NamesInputsVersionsRegionModeAndCounts) {
  const std::string portal(64, 'a'), cell(64, 'b'), local(64, 'c');
  EXPECT_EQ(format_manifest(portal, cell, local, 0x13000000, 2, 1, brambolt::BakeMode::AceCompat),
            "client_portal.dat\t" + portal + "\n" + "client_cell_1.dat\t" + cell + "\n" +
                "client_local_English.dat\t" + local + "\n" +
                "bake-tool-version\ttorvanel-brambolt/0.1.0 + brambolt-cli/0.1.0\n"
                "region-did\t0x13000000\n"
                "bake-mode\tace-compat\n"
                "landblocks\t2 baked, 1 skipped\n");
  std::string strict =
      format_manifest(portal, cell, local, 0x2A, 0, 12345678901, brambolt::BakeMode::Strict);
  EXPECT_NE(strict.find("\nregion-did\t0x0000002A\nbake-mode\tstrict\n"
                        "landblocks\t0 baked, 12345678901 skipped\n"),
            std::string::npos)
      << strict;
}

TEST(DistributionSummary, SortedCountsGiveMinUpperMedianMaxTotalAndNonzero) {
  struct Case {
    std::vector<uint64_t> counts;
    DistributionSummary summary;
  };
  const Case cases[] = {
      {{5, 0, 9, 2}, {0, 5, 9, 16, 3}}, {{7}, {7, 7, 7, 7, 1}},
      {{1, 2}, {1, 2, 2, 3, 2}},  // even n: the upper of the middle two
      {{3, 1, 2}, {1, 2, 3, 6, 3}},     {{0, 0}, {0, 0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    std::vector<uint64_t> counts = c.counts;
    EXPECT_EQ(distribution_summary(counts), c.summary) << ::testing::PrintToString(c.counts);
    EXPECT_EQ(counts, c.counts) << "the counts are left as they were";
  }
  EXPECT_EQ(distribution_summary({}), std::nullopt);
}

class WriteLandblock : public ::testing::Test {
 protected:
  fs::path out() const { return tmp_.path(); }
  TempDir tmp_;
};

TEST_F(WriteLandblock, WritesTheLinesAndTheirHashUnderUpperCaseNames) {
  // Enough lines to pass through the buffer several times.
  std::vector<Placement> placements;
  std::string expected;
  for (uint32_t i = 0; i < 300; ++i) {
    Placement p{0x01000000 + i, i * 0.5f, 191.0f - i * 0.25f, -7.0f, 1, 0, 0, 0, 1, i % 9,
                i / 9 % 9,      i};
    placements.push_back(p);
    expected += line_of(p);
  }
  ASSERT_GT(expected.size(), 3 * 8192u);

  struct Case {
    uint16_t lb;
    std::vector<Placement> placements;
    std::string jsonl;
    std::string name;
  };
  const Case cases[] = {
      {0xA9B4, placements, expected, "0xA9B4.scenery.jsonl"},
      {0x0012, {}, "", "0x0012.scenery.jsonl"},
  };
  for (const Case& c : cases) {
    auto path = write_landblock(out(), c.lb, c.placements);
    ASSERT_TRUE(path.has_value()) << path.error().report();
    EXPECT_EQ(*path, out() / c.name);
    EXPECT_EQ(read_file(*path), c.jsonl) << c.name;
    auto hash = sha256_file(*path);
    ASSERT_TRUE(hash.has_value());
    EXPECT_EQ(read_file(out() / (c.name + ".sha256")), *hash + "\n") << c.name;
  }
  EXPECT_EQ(read_file(out() / "0x0012.scenery.jsonl.sha256"), std::string(kEmptySha256) + "\n");
}

TEST_F(WriteLandblock, ReplacesEarlierFilesOfTheSameLandblock) {
  tmp_.write_file("0x0001.scenery.jsonl", std::string(20000, 'x'));
  tmp_.write_file("0x0001.scenery.jsonl.sha256", std::string(100, 'y'));
  ASSERT_TRUE(write_landblock(out(), 0x0001, {}).has_value());
  EXPECT_EQ(read_file(out() / "0x0001.scenery.jsonl"), "");
  EXPECT_EQ(read_file(out() / "0x0001.scenery.jsonl.sha256"), std::string(kEmptySha256) + "\n");
}

// A symbolic link in the output directory under an output file's name is
// refused rather than followed: nothing outside the directory is written.
TEST_F(WriteLandblock, RefusesSymbolicLinksUnderItsFileNames) {
  const Placement p{0x01000001, 1, 2, 3, 1, 0, 0, 0, 1, 0, 0, 0};
  for (const char* name : {"0x0001.scenery.jsonl", "0x0001.scenery.jsonl.sha256"}) {
    for (bool dangling : {false, true}) {
      TempDir dir;
      const fs::path out = dir.path() / "out";
      fs::create_directory(out);
      const fs::path victim = dir.path() / "victim";
      if (!dangling) dir.write_file("victim", "precious");
      fs::create_symlink(victim, out / name);

      auto result = write_landblock(out, 0x0001, std::vector{p});
      ASSERT_FALSE(result.has_value()) << name;
      EXPECT_EQ(result.error().report(),
                "Error: create " + (out / name).string() +
                    "\n\nCaused by:\n    Too many levels of symbolic links\n");
      EXPECT_EQ(fs::exists(victim), !dangling) << name;
      if (!dangling) {
        EXPECT_EQ(read_file(victim), "precious") << name;
      }
    }
  }
}

TEST_F(WriteLandblock, ReportsAFileThatCannotBeCreated) {
  const fs::path missing = out() / "missing";
  auto result = write_landblock(missing, 0xFFFF, {});
  ASSERT_FALSE(result.has_value());
  EXPECT_EQ(result.error().report(), "Error: create " +
                                         (missing / "0xFFFF.scenery.jsonl").string() +
                                         "\n\nCaused by:\n    No such file or directory\n");
}

TEST(WriteManifest, ReplacesTheFileButRefusesASymbolicLink) {
  TempDir tmp;
  tmp.write_file("bake-source.sha256", std::string(5000, 'x'));
  ASSERT_TRUE(write_manifest(tmp.path(), "manifest\n").has_value());
  EXPECT_EQ(read_file(tmp.path() / "bake-source.sha256"), "manifest\n");

  TempDir linked;
  const fs::path victim = linked.write_file("victim", "precious");
  fs::create_directory(linked.path() / "out");
  fs::create_symlink(victim, linked.path() / "out" / "bake-source.sha256");
  auto result = write_manifest(linked.path() / "out", "manifest\n");
  ASSERT_FALSE(result.has_value());
  EXPECT_EQ(result.error().report(), "Error: write " +
                                         (linked.path() / "out" / "bake-source.sha256").string() +
                                         "\n\nCaused by:\n    Too many levels of symbolic links\n");
  EXPECT_EQ(read_file(victim), "precious");
}

}  // namespace
}  // namespace torvanel::tools
