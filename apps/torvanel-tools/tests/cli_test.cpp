#include "cli.hpp"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <variant>
#include <vector>

namespace torvanel::tools {
namespace {

struct Parsed {
  std::variant<Cli, CliExit> result;
  std::string out;
  std::string err;
};

Parsed parse(std::vector<std::string> args) {
  args.insert(args.begin(), "torvanel-tools");
  std::vector<const char*> argv;
  for (const std::string& arg : args) argv.push_back(arg.c_str());
  std::ostringstream out, err;
  auto result = parse_cli(static_cast<int>(argv.size()), argv.data(), out, err);
  return {std::move(result), out.str(), err.str()};
}

// Parses a command line that must succeed.
Cli parse_ok(std::vector<std::string> args) {
  Parsed parsed = parse(std::move(args));
  EXPECT_EQ(parsed.err, "");
  if (auto* cli = std::get_if<Cli>(&parsed.result)) return *cli;
  ADD_FAILURE() << "parse failed: " << parsed.err;
  return {};
}

TEST(ParseCli, RequiredOptionsAloneGiveTheDefaults) {
  Cli cli = parse_ok({"--dat-dir", "/data/ac", "--landblocks", "0xA9B4", "--out", "/srv/bake"});
  EXPECT_EQ(cli.dat_dir, "/data/ac");
  EXPECT_EQ(cli.landblocks, "0xA9B4");
  EXPECT_EQ(cli.region_did, "0x13000000");
  EXPECT_EQ(cli.out, "/srv/bake");
  EXPECT_EQ(cli.throttle_ms, 0u);
  EXPECT_FALSE(cli.verbose);
  EXPECT_EQ(cli.mode, "ace-compat");
}

TEST(ParseCli, ValuesAfterABlankOrAnEqualsSignAreTheSame) {
  Cli spaced = parse_ok({"--mode", "strict", "--out", "o", "--verbose", "--throttle-ms", "25",
                         "--region-did", "13000000", "--landblocks", " 0xA9B4..0xAAB5 ",
                         "--dat-dir", "d"});
  Cli joined = parse_ok({"--dat-dir=d", "--landblocks= 0xA9B4..0xAAB5 ", "--region-did=13000000",
                         "--out=o", "--throttle-ms=25", "--verbose", "--mode=strict"});
  for (const Cli& cli : {spaced, joined}) {
    EXPECT_EQ(cli.dat_dir, "d");
    EXPECT_EQ(cli.landblocks, " 0xA9B4..0xAAB5 ");  // kept as given
    EXPECT_EQ(cli.region_did, "13000000");
    EXPECT_EQ(cli.out, "o");
    EXPECT_EQ(cli.throttle_ms, 25u);
    EXPECT_TRUE(cli.verbose);
    EXPECT_EQ(cli.mode, "strict");
  }
}

TEST(ParseCli, ThrottleIsAnUnsignedDecimal) {
  struct Case {
    std::string text;
    uint64_t value;
  };
  const Case cases[] = {
      {"0", 0}, {"100", 100}, {"007", 7}, {"+5", 5}, {"18446744073709551615", UINT64_MAX},
  };
  for (const Case& c : cases) {
    Cli cli =
        parse_ok({"--dat-dir", "d", "--landblocks", "1", "--out", "o", "--throttle-ms", c.text});
    EXPECT_EQ(cli.throttle_ms, c.value) << c.text;
  }
}

TEST(ParseCli, PathsMayBeAnyBytesAndMayStartWithADash) {
  Cli cli = parse_ok({"--dat-dir", "/data/\xFF\xFE", "--landblocks", "1", "--out", "-bake"});
  EXPECT_EQ(cli.dat_dir.native(), "/data/\xFF\xFE");
  EXPECT_EQ(cli.out.native(), "-bake");
}

}  // namespace
}  // namespace torvanel::tools
