#include "config.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace torvanel::tools {
namespace {

Cli cli_with(std::string landblocks, std::string region_did, std::string mode) {
  Cli cli;
  cli.dat_dir = "/data/ac";
  cli.landblocks = std::move(landblocks);
  cli.region_did = std::move(region_did);
  cli.out = "/srv/bake";
  cli.mode = std::move(mode);
  return cli;
}

TEST(ResolveConfig, ConvertsAllThreeValues) {
  auto config = resolve_config(cli_with("0xA9B4..0xAAB5", "13000000", "ace_compat"));
  ASSERT_TRUE(config.has_value()) << config.error().report();
  EXPECT_EQ(config->region_did, 0x13000000u);
  EXPECT_EQ(config->landblocks, (std::vector<uint16_t>{0xA9B4, 0xA9B5, 0xAAB4, 0xAAB5}));
  EXPECT_EQ(config->mode, brambolt::BakeMode::AceCompat);
}

TEST(ResolveConfig, ReportsTheFirstBadValueInRegionLandblocksModeOrder) {
  struct Case {
    Cli cli;
    std::string report;
  };
  const Case cases[] = {
      {cli_with("0x10000", "zz", "Strict"),
       "Error: parse hex u32 `zz`\n\nCaused by:\n    invalid digit found in string\n"},
      {cli_with("0x10000", "0x13000000", "Strict"),
       "Error: landblock id `0x10000` is wider than 16 bits\n\nCaused by:\n"
       "    out of range integral type conversion attempted\n"},
      {cli_with("0xA9B4", "0x13000000", "Strict"),
       "Error: --mode parse error: unknown BakeMode `Strict` "
       "(expected `ace-compat` or `strict`)\n"},
  };
  for (const Case& c : cases) {
    auto config = resolve_config(c.cli);
    ASSERT_FALSE(config.has_value());
    EXPECT_EQ(config.error().report(), c.report);
  }
}

TEST(FormatBanner, EchoesTheGivenTextsAndTheConvertedValues) {
  Cli cli = cli_with(" 0xA9B4..0xAAB5", "0x1300", "ace_compat");
  RunConfig config{0x1300, {0xA9B4, 0xA9B5, 0xAAB4, 0xAAB5}, brambolt::BakeMode::AceCompat};
  EXPECT_EQ(format_banner(cli, config),
            "brambolt: --dat-dir=/data/ac --landblocks= 0xA9B4..0xAAB5 (4 LBs) "
            "--region-did=0x00001300 --mode=ace-compat --out=/srv/bake");
  config.mode = brambolt::BakeMode::Strict;
  config.landblocks.clear();
  EXPECT_EQ(format_banner(cli, config),
            "brambolt: --dat-dir=/data/ac --landblocks= 0xA9B4..0xAAB5 (0 LBs) "
            "--region-did=0x00001300 --mode=strict --out=/srv/bake");
}

}  // namespace
}  // namespace torvanel::tools
