// The same inputs and options give byte-identical output, whatever the
// run's other circumstances.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "support/bake_fixture.hpp"

namespace torvanel::tools {
namespace {

namespace fs = std::filesystem;
using test_support::brambolt_spec;
using test_support::ProcessResult;
using test_support::read_dir_files;

class Determinism : public test_support::BakeFixture {};

TEST_F(Determinism, TwoRunsOverTheSameInputsWriteIdenticalFiles) {
  world.add_landblock(0xA9B4);
  world.add_house(0xA9B4);
  world.add_landblock(0xA9B5);
  world.add_landblock(0xAAB4, test_support::Ground::Bare);  // 0xAAB5 is skipped
  for (const char* mode : {"ace-compat", "strict"}) {
    ProcessResult first = bake("0xA9B4..0xAAB5", {"--mode", mode});
    ASSERT_EQ(first.exit_status, 0) << first.err;
    const std::map<std::string, std::string> files = read_dir_files(out_dir());
    ASSERT_EQ(files.size(), 7u);

    // Another output directory, the same list spelt as a file, other log
    // settings, a throttle; and then the first directory once more.
    const fs::path other = tmp.path() / "other";
    auto spec = brambolt_spec({"--dat-dir", dat_dir().string(), "--landblocks",
                               list_file("ids", "0xA9B4\n0xA9B5\n0xAAB4\n0xAAB5\n"), "--out",
                               other.string(), "--mode", mode, "--verbose", "--throttle-ms", "1"});
    spec.env.emplace_back("SPDLOG_LEVEL", "brambolt=debug");
    ProcessResult second = test_support::run_brambolt(spec);
    ASSERT_EQ(second.exit_status, 0) << second.err;
    EXPECT_EQ(read_dir_files(other), files) << mode;

    ProcessResult again = bake("0xA9B4..0xAAB5", {"--mode", mode});
    ASSERT_EQ(again.exit_status, 0) << again.err;
    EXPECT_EQ(read_dir_files(out_dir()), files) << mode;
  }
}

}  // namespace
}  // namespace torvanel::tools
