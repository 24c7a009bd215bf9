// Runs the real executable as a child process and checks what a caller
// sees: exit status, standard output and standard error.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "support/process.hpp"
#include "support/temp_dir.hpp"

namespace torvanel::tools {
namespace {

namespace fs = std::filesystem;
using test_support::ProcessResult;
using test_support::TempDir;
using Env = std::vector<std::pair<std::string, std::optional<std::string>>>;

ProcessResult run_brambolt(std::vector<std::string> args, Env env = {}, fs::path cwd = {}) {
  test_support::ProcessSpec spec;
  spec.program = BRAMBOLT_EXE;
  spec.args = std::move(args);
  // The caller's own log filter must not leak into the run.
  spec.env = {{"SPDLOG_LEVEL", std::nullopt}};
  spec.env.insert(spec.env.end(), env.begin(), env.end());
  spec.cwd = std::move(cwd);
  auto result = test_support::run_process(spec);
  if (!result) {
    ADD_FAILURE() << result.error();
    return {};
  }
  EXPECT_FALSE(result->timed_out);
  return *result;
}

bool all_digits(std::string_view text) {
  return text.find_first_not_of("0123456789") == std::string_view::npos;
}

// Whether `stamp` is a UTC time to the second, "2025-01-31T12:00:00Z".
bool is_utc_stamp(std::string_view stamp) {
  return stamp.size() == 20 && all_digits(stamp.substr(0, 4)) && stamp[4] == '-' &&
         all_digits(stamp.substr(5, 2)) && stamp[7] == '-' && all_digits(stamp.substr(8, 2)) &&
         stamp[10] == 'T' && all_digits(stamp.substr(11, 2)) && stamp[13] == ':' &&
         all_digits(stamp.substr(14, 2)) && stamp[16] == ':' && all_digits(stamp.substr(17, 2)) &&
         stamp[19] == 'Z';
}

// The messages of the log lines of `level` (five columns, e.g. "INFO "),
// each line's shape checked: "[<stamp> <level> brambolt] <message>".
std::vector<std::string> log_messages(std::string_view err, std::string_view level) {
  std::vector<std::string> messages;
  while (!err.empty()) {
    std::string_view line = err.substr(0, err.find('\n'));
    err.remove_prefix(std::min(err.size(), line.size() + 1));
    if (!line.starts_with('[') || line.size() < 38) continue;
    EXPECT_TRUE(is_utc_stamp(line.substr(1, 20))) << line;
    EXPECT_EQ(line.substr(27, 11), " brambolt] ") << line;
    if (line.substr(22, 5) == level) messages.emplace_back(line.substr(38));
  }
  return messages;
}

class BramboltRun : public ::testing::Test {
 protected:
  // A valid command line with the output directory inside the temporary
  // directory, followed by `extra`.
  std::vector<std::string> args(std::vector<std::string> extra = {}) const {
    std::vector<std::string> all{"--dat-dir", dat_dir(), "--landblocks", "0xA9B4..0xAAB5",
                                 "--out", out_dir()};
    all.insert(all.end(), extra.begin(), extra.end());
    return all;
  }
  std::string dat_dir() const { return (tmp_.path() / "dat").string(); }
  std::string out_dir() const { return (tmp_.path() / "out").string(); }

  TempDir tmp_;
};

TEST_F(BramboltRun, HelpListsEveryOptionOnStandardOutput) {
  const std::string texts[] = {
      "Bake AC procedural scenery to explicit per-LB JSONL placement lists (Phase B.3)",
      "Usage: torvanel-tools --dat-dir PATH --landblocks LB_SPEC --out DIR [OPTIONS]",
      "-h,--help",
      "-V,--version",
      "--dat-dir PATH",
      "--landblocks LB_SPEC",
      "--region-did DID=0x13000000",
      "--out DIR",
      "--throttle-ms THROTTLE_MS=0",
      "--verbose",
      "--mode MODE=ace-compat",
      "Directory containing the three retail base DATs: `client_portal.dat`, `client_cell_1.dat`, "
      "`client_local_English.dat`. MUST be retail-clean — the pre-flight rejects sibling "
      "`custom_textures/` / `iter-*/` / `*.wbproj` and any modder-allocated record IDs",
      "Landblock spec. One of: - hex LB id: `0xA9B4` - inclusive range: `0xA3AE..0xAFBA` "
      "(row-major over 256-cell grid) - file list: `@<path>` reads one hex id per line",
      "Region DID. Defaults to `0x13000000` (Dereth).",
      "Output directory. Created if missing. Will contain one `<lbHex>.scenery.jsonl` per "
      "landblock plus a `bake-source.sha256` sidecar",
      "Per-LB sleep in milliseconds. Default 0 (no throttling). Useful for sharing CPU on long "
      "bakes",
      "Emit progress logs (INFO level) to stderr. Without this flag only WARN + ERROR surface",
      "Bake mode. `ace-compat` (default) replays today's ACE `Scenery.Load` bit-for-bit — "
      "triangle-plane Z + no slope check — for 1:1 client/server agreement with an "
      "ACE-derivative server (Coldeve etc.). `strict` is the renderer-friendly variant: bilinear "
      "Z (matches `torvanel-world`'s player physics) and slope rejection ON. The mode appears in "
      "`bake-source.sha256` so downstream consumers can refuse a mode they don't expect",
  };
  for (const char* flag : {"--help", "-h"}) {
    ProcessResult r = run_brambolt({flag});
    EXPECT_EQ(r.exit_status, 0) << flag;
    EXPECT_EQ(r.err, "") << flag;
    for (const std::string& text : texts) {
      EXPECT_NE(r.out.find(text), std::string::npos) << flag << " lacks: " << text << "\n" << r.out;
    }
  }
  // Help wins over missing required options.
  ProcessResult r = run_brambolt({"--out", out_dir(), "--help"});
  EXPECT_EQ(r.exit_status, 0);
  EXPECT_NE(r.out.find("Usage: torvanel-tools"), std::string::npos);
  EXPECT_FALSE(fs::exists(out_dir()));
}

TEST_F(BramboltRun, VersionGoesToStandardOutput) {
  for (const char* flag : {"--version", "-V"}) {
    ProcessResult r = run_brambolt({flag});
    EXPECT_EQ(r.exit_status, 0) << flag;
    EXPECT_EQ(r.out, "torvanel-tools 0.1.0\n") << flag;
    EXPECT_EQ(r.err, "") << flag;
  }
}

TEST_F(BramboltRun, ParserErrorsExitWithStatusTwoBeforeAnythingElse) {
  struct Case {
    std::vector<std::string> args;
    std::string in_message;
  };
  const std::string d = dat_dir(), o = out_dir();
  const Case cases[] = {
      {{}, "is required"},
      {{"--landblocks", "1", "--out", o}, "--dat-dir is required"},
      {{"--dat-dir", d, "--out", o}, "--landblocks is required"},
      {{"--dat-dir", d, "--landblocks", "1"}, "--out is required"},
      {args({"--bogus"}), "--bogus"},
      {args({"-v"}), "-v"},
      {args({"extra"}), "extra"},
      {{"--dat-dir", d, "--landblocks", "1", "--out"}, "--out"},
      {{"--dat-dir", d, "--landblocks", "1", "--out="}, "--out"},
      {{"--dat-dir", d, "--landblocks", "1", "--out", "--verbose"}, "--out"},
      {{"--dat-dir", d, "--landblocks", "--region-did=1", "--out", o}, "--landblocks"},
      {args({"--out", o}), "--out"},
      {args({"--mode=strict", "--mode", "strict"}), "--mode"},
      {args({"--verbose", "--verbose"}), "--verbose"},
      {args({"--verbose=yes"}), "verbose"},
      {args({"--throttle-ms", "-1"}), "--throttle-ms"},
      {args({"--throttle-ms=-1"}), "--throttle-ms"},
      {args({"--throttle-ms", "abc"}), "--throttle-ms"},
      {args({"--throttle-ms", "0x10"}), "--throttle-ms"},
      {args({"--throttle-ms", " 5"}), "--throttle-ms"},
      {args({"--throttle-ms", "1.5"}), "--throttle-ms"},
      {args({"--throttle-ms", "18446744073709551616"}), "--throttle-ms"},
      {{"--dat-dir", d, "--landblocks", "0xA9B4\xFF", "--out", o}, "--landblocks"},
      {args({"--region-did", "\xC0\xAF"}), "--region-did"},
      {args({"--mode", "strict\xE2\x80"}), "--mode"},
  };
  for (const Case& c : cases) {
    std::string shown;
    for (const std::string& arg : c.args) shown += " " + arg;
    ProcessResult r = run_brambolt(c.args, {{"SPDLOG_LEVEL", "brambolt=debug"}});
    EXPECT_EQ(r.exit_status, 2) << shown << "\n" << r.err;
    EXPECT_EQ(r.out, "") << shown;
    EXPECT_NE(r.err.find(c.in_message), std::string::npos) << shown << "\n" << r.err;
    EXPECT_NE(r.err.find("Usage: torvanel-tools"), std::string::npos) << shown << "\n" << r.err;
    EXPECT_EQ(r.err.find("brambolt]"), std::string::npos) << shown << ": logged while parsing";
    EXPECT_FALSE(fs::exists(o)) << shown;
  }
}

TEST_F(BramboltRun, ConversionErrorsPrintTheReportAndCreateNothing) {
  tmp_.write_file("ids.txt", "0xA9B4\n0xA9B5\nzz\n");
  struct Case {
    std::string landblocks;
    std::vector<std::string> extra;
    std::string err;
  };
  const Case cases[] = {
      {"0x10000", {"--region-did", "zz", "--mode", "Strict"},
       "Error: parse hex u32 `zz`\n\nCaused by:\n    invalid digit found in string\n"},
      {"0xA9B4", {"--region-did", "0x100000000"},
       "Error: parse hex u32 `0x100000000`\n\nCaused by:\n"
       "    number too large to fit in target type\n"},
      {"0x10000", {"--mode", "Strict"},
       "Error: landblock id `0x10000` is wider than 16 bits\n\nCaused by:\n"
       "    out of range integral type conversion attempted\n"},
      {"@ids.txt", {},
       "Error: landblock list `ids.txt` line 3\n\nCaused by:\n"
       "    0: parse hex u32 `zz`\n    1: invalid digit found in string\n"},
      {"0xA9B4", {"--mode", "Strict"},
       "Error: --mode parse error: unknown BakeMode `Strict` "
       "(expected `ace-compat` or `strict`)\n"},
  };
  for (const Case& c : cases) {
    // With --verbose: the banner comes only after the conversion.
    std::vector<std::string> all{"--dat-dir", dat_dir(),  "--landblocks", c.landblocks,
                                 "--out",     out_dir(), "--verbose"};
    all.insert(all.end(), c.extra.begin(), c.extra.end());
    ProcessResult r = run_brambolt(all, {}, tmp_.path());
    EXPECT_EQ(r.exit_status, 1) << c.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, c.err);
    EXPECT_FALSE(fs::exists(out_dir())) << c.err;
  }
}

TEST_F(BramboltRun, VerboseLogsTheBannerThenCreatesTheOutputDirectory) {
  std::string out = (tmp_.path() / "a" / "b" / "out").string();
  ProcessResult r = run_brambolt({"--dat-dir", dat_dir(), "--landblocks", "0xA9B4..0xAAB5 ",
                                  "--region-did", "13000000", "--mode", "ace_compat", "--out", out,
                                  "--verbose"});
  std::vector<std::string> banner = log_messages(r.err, "INFO ");
  ASSERT_FALSE(banner.empty()) << r.err;
  EXPECT_EQ(banner[0], "brambolt: --dat-dir=" + dat_dir() +
                           " --landblocks=0xA9B4..0xAAB5  (4 LBs) --region-did=0x13000000"
                           " --mode=ace-compat --out=" +
                           out);
  EXPECT_EQ(r.err.rfind("[", 0), 0u) << "the banner is the first line:\n" << r.err;
  EXPECT_EQ(r.err.find('\x1b'), std::string::npos) << "colour on a pipe";
  EXPECT_TRUE(fs::is_directory(out));
  // There is no input archive to bake from.
  EXPECT_EQ(r.exit_status, 1) << r.err;
  EXPECT_NE(r.err.find("\nError: "), std::string::npos) << r.err;
}

TEST_F(BramboltRun, LogFilterKeepsPerTargetLevelsButNotTheGlobalOne) {
  struct Case {
    std::optional<std::string> filter;
    bool verbose;
    bool banner;
  };
  const Case cases[] = {
      {std::nullopt, false, false},
      {std::nullopt, true, true},
      {"info", false, false},
      {"trace", false, false},
      {"off", true, true},
      {"brambolt=debug", false, true},
      {"brambolt=info", false, true},
      {"brambolt=warn", true, false},
      {"debug,brambolt=off", true, false},
      {"brambolt=bogus", true, true},
  };
  for (const Case& c : cases) {
    std::string shown = c.filter.value_or("(unset)") + (c.verbose ? " --verbose" : "");
    ProcessResult r =
        run_brambolt(c.verbose ? args({"--verbose"}) : args(), {{"SPDLOG_LEVEL", c.filter}});
    EXPECT_EQ(r.exit_status, 1) << shown << "\n" << r.err;
    EXPECT_EQ(!log_messages(r.err, "INFO ").empty(), c.banner) << shown << "\n" << r.err;
  }
}

TEST_F(BramboltRun, UncreatableOutputDirectoryIsReported) {
  tmp_.write_file("file", "");
  std::string out = (tmp_.path() / "file" / "out").string();
  ProcessResult r = run_brambolt({"--dat-dir", dat_dir(), "--landblocks", "0xA9B4", "--out", out});
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(r.err, "Error: create --out `" + out + "`\n\nCaused by:\n    Not a directory\n");
}

}  // namespace
}  // namespace torvanel::tools
