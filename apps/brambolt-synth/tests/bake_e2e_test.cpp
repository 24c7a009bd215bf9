// Runs brambolt-synth and then brambolt on its world, as the demo does.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "scratch_dir.hpp"

namespace torvanel::synth {
namespace {

namespace fs = std::filesystem;

struct Outcome {
  int status = -1;
  std::string out, err;
};

std::string slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// Runs `command` through the shell with both output streams captured in
// files of `dir`, and without the caller's log filter.
Outcome run(const ScratchDir& dir, const std::string& command) {
  const fs::path out = dir / "stdout", err = dir / "stderr";
  const std::string line = "env -u SPDLOG_LEVEL " + command + " >" + out.string() + " 2>" +
                           err.string() + " </dev/null";
  const int raw = std::system(line.c_str());
  Outcome r;
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  r.out = slurp(out);
  r.err = slurp(err);
  return r;
}

struct Summary {
  int baked = -1, min = -1, p50 = -1, max = -1, total = -1, nonzero = -1;
};

// "brambolt done: 9 LBs baked, 0 skipped, placements min/p50/max=a/b/c
// total=t nonzero_lbs=n"
Summary parse_summary(const std::string& err) {
  Summary s;
  const size_t at = err.find("brambolt done: ");
  if (at == std::string::npos) return s;
  int skipped = -1;
  std::sscanf(err.c_str() + at,
              "brambolt done: %d LBs baked, %d skipped, placements min/p50/max=%d/%d/%d total=%d "
              "nonzero_lbs=%d",
              &s.baked, &skipped, &s.min, &s.p50, &s.max, &s.total, &s.nonzero);
  return s;
}

class SyntheticBake : public ::testing::TestWithParam<const char*> {};

// The world bakes in both modes with scenery on nearly every landblock:
// tens of objects each, as a real landscape has.
TEST_P(SyntheticBake, PlacesScenery) {
  ScratchDir tmp;
  const std::string world = (tmp / "world").string(), bake = (tmp / "bake").string();
  const std::string area = "0xA9B4..0xABB6";
  const Outcome synth =
      run(tmp, std::string(SYNTH_EXE) + " --seed 3 --landblocks " + area + " --out " + world);
  ASSERT_EQ(synth.status, 0) << synth.err;
  EXPECT_EQ(synth.err, "");  // no progress display unless standard error is a terminal
  EXPECT_NE(synth.out.find("9 landblocks"), std::string::npos) << synth.out;

  const Outcome baked = run(tmp, std::string(BRAMBOLT_EXE) + " --dat-dir " + world + " --landblocks " +
                                 area + " --out " + bake + " --mode " + GetParam());
  ASSERT_EQ(baked.status, 0) << baked.err;
  const Summary s = parse_summary(baked.err);
  EXPECT_EQ(s.baked, 9) << baked.err;
  EXPECT_GE(s.nonzero, 8) << baked.err;
  EXPECT_GE(s.p50, 10) << baked.err;
  EXPECT_LE(s.max, 400) << baked.err;
  EXPECT_TRUE(fs::exists(tmp / "bake" / "0xA9B4.scenery.jsonl"));
}

INSTANTIATE_TEST_SUITE_P(Modes, SyntheticBake, ::testing::Values("ace-compat", "strict"));

}  // namespace
}  // namespace torvanel::synth
