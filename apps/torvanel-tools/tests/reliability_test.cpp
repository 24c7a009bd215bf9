// Output that cannot be written ends the run with status 1 and the cause,
// keeps every file already written and writes no manifest.
#include <fmt/format.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "support/bake_fixture.hpp"

namespace torvanel::tools {
namespace {

namespace fs = std::filesystem;
using test_support::brambolt_spec;
using test_support::Ground;
using test_support::ProcessResult;
using test_support::read_dir_files;
using test_support::read_file;

class OutputFailure : public test_support::BakeFixture {
 protected:
  // The files a run without obstacles writes for `landblocks`.
  std::map<std::string, std::string> clean_bake(const std::string& landblocks) const {
    const fs::path out = tmp.path() / "clean";
    world.write(dat_dir());
    ProcessResult r = test_support::run_brambolt(brambolt_spec(
        {"--dat-dir", dat_dir().string(), "--landblocks", landblocks, "--out", out.string()}));
    EXPECT_EQ(r.exit_status, 0) << r.err;
    return read_dir_files(out);
  }
};

TEST_F(OutputFailure, UnwritableOrLinkedOutputNamesEndTheRun) {
  world.add_landblock(0xA9B4);
  world.add_landblock(0xA9B5);
  const std::map<std::string, std::string> clean = clean_bake("0xA9B4..0xA9B5");
  ASSERT_EQ(clean.size(), 5u);
  const std::vector<std::string> a9b4 = {"0xA9B4.scenery.jsonl", "0xA9B4.scenery.jsonl.sha256"};
  const std::vector<std::string> both = {"0xA9B4.scenery.jsonl", "0xA9B4.scenery.jsonl.sha256",
                                         "0xA9B5.scenery.jsonl", "0xA9B5.scenery.jsonl.sha256"};
  struct Case {
    std::string taken;  // the output name a directory or a link already has
    bool link;          // a symbolic link to a file outside the output directory
    std::string err;    // {} is the path of the name taken
    std::vector<std::string> kept;
  };
  const Case cases[] = {
      {"0xA9B5.scenery.jsonl", false, "Error: create {}\n\nCaused by:\n    Is a directory\n", a9b4},
      {"0xA9B4.scenery.jsonl.sha256",
       false,
       "Error: create {}\n\nCaused by:\n    Is a directory\n",
       {"0xA9B4.scenery.jsonl"}},
      {"bake-source.sha256", false, "Error: write {}\n\nCaused by:\n    Is a directory\n", both},
      {"0xA9B5.scenery.jsonl", true,
       "Error: create {}\n\nCaused by:\n    Too many levels of symbolic links\n", a9b4},
      {"0xA9B4.scenery.jsonl.sha256",
       true,
       "Error: create {}\n\nCaused by:\n    Too many levels of symbolic links\n",
       {"0xA9B4.scenery.jsonl"}},
      {"bake-source.sha256", true,
       "Error: write {}\n\nCaused by:\n    Too many levels of symbolic links\n", both},
  };
  const fs::path victim = tmp.path() / "victim";
  for (const Case& c : cases) {
    const std::string shown = c.taken + (c.link ? " (link)" : " (directory)");
    fs::remove_all(out_dir());
    fs::create_directories(out_dir());
    if (c.link) {
      tmp.write_file("victim", "precious");
      fs::create_symlink(victim, out_dir() / c.taken);
    } else {
      fs::create_directory(out_dir() / c.taken);
    }

    ProcessResult r = bake("0xA9B4..0xA9B5");
    EXPECT_EQ(r.exit_status, 1) << shown;
    EXPECT_EQ(r.err, fmt::format(fmt::runtime(c.err), (out_dir() / c.taken).string())) << shown;
    std::map<std::string, std::string> kept;
    for (const std::string& name : c.kept) kept[name] = clean.at(name);
    EXPECT_EQ(read_dir_files(out_dir()), kept) << shown;
    if (c.link) {
      EXPECT_EQ(read_file(victim), "precious") << shown;
    }
  }
}

TEST_F(OutputFailure, DiskFillingUpEndsTheRunKeepingEarlierFiles) {
  world.add_landblock(0xA9B4, Ground::Bare);  // an empty file
  world.add_landblock(0xA9B5);                // far more than the disk takes
  world.add_landblock(0xA9B6);
  const std::map<std::string, std::string> clean = clean_bake("0xA9B4..0xA9B6");
  constexpr rlim_t kRoom = 4096;
  ASSERT_GT(clean.at("0xA9B5.scenery.jsonl").size(), 2 * 8192u);
  fs::create_directories(out_dir());
  tmp.write_file("out/bake-source.sha256", "an earlier run's manifest\n");

  auto spec = this->spec("0xA9B4..0xA9B6");
  // No file may grow beyond kRoom bytes; the write that would is refused.
  spec.in_child = [] {
    struct rlimit limit = {kRoom, kRoom};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    ::signal(SIGXFSZ, SIG_IGN);
  };
  ProcessResult r = test_support::run_brambolt(spec);
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(r.err, "Error: File too large\n");

  std::map<std::string, std::string> files = read_dir_files(out_dir());
  // The file being written when the disk filled up holds what fitted.
  const std::string partial = files["0xA9B5.scenery.jsonl"];
  EXPECT_EQ(partial, clean.at("0xA9B5.scenery.jsonl").substr(0, kRoom));
  files.erase("0xA9B5.scenery.jsonl");
  const std::map<std::string, std::string> expected = {
      {"0xA9B4.scenery.jsonl", ""},
      {"0xA9B4.scenery.jsonl.sha256", clean.at("0xA9B4.scenery.jsonl.sha256")},
      {"bake-source.sha256", "an earlier run's manifest\n"},
  };
  EXPECT_EQ(files, expected);
}

}  // namespace
}  // namespace torvanel::tools
