#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "synth_cli.hpp"

namespace torvanel::synth {
namespace {

struct Parsed {
  std::variant<SynthCli, SynthCliExit> result;
  std::string out, err;
};

Parsed parse(std::vector<const char*> args) {
  args.insert(args.begin(), "brambolt-synth");
  std::ostringstream out, err;
  auto result = parse_synth_cli(static_cast<int>(args.size()), args.data(), out, err);
  return {std::move(result), out.str(), err.str()};
}

SynthOptions options(std::vector<const char*> args) {
  Parsed p = parse(std::move(args));
  const auto* cli = std::get_if<SynthCli>(&p.result);
  EXPECT_NE(cli, nullptr) << p.err;
  if (cli == nullptr) return {};
  auto o = to_options(*cli);
  EXPECT_TRUE(o) << (o ? "" : o.error().report());
  return o.value_or(SynthOptions{});
}

TEST(SynthCli, DefaultsToTheDemoAreaUnpadded) {
  const SynthOptions o = options({"--out", "w"});
  EXPECT_EQ(o.out, "w");
  EXPECT_EQ(o.seed, 1u);
  ASSERT_EQ(o.landblocks.size(), 64u);
  EXPECT_EQ(o.landblocks.front(), 0xA9B4);
  EXPECT_EQ(o.landblocks.back(), 0xB0BB);
  EXPECT_EQ(o.min_portal_bytes + o.min_cell_bytes + o.min_local_bytes, 0u);
}

TEST(SynthCli, WholeWorldIsEveryColumnAndRowBelow0xFF) {
  const SynthOptions o = options({"--out", "w", "--whole-world", "--seed", "42"});
  EXPECT_EQ(o.seed, 42u);
  ASSERT_EQ(o.landblocks.size(), 255u * 255u);
  EXPECT_EQ(o.landblocks.front(), 0x0000);
  EXPECT_EQ(o.landblocks[255], 0x0100);
  EXPECT_EQ(o.landblocks.back(), 0xFEFE);
}

TEST(SynthCli, ArchiveSizeOverridesTheCommonSize) {
  const SynthOptions o = options({"--out", "w", "--min-archive-mib", "5", "--min-cell-mib", "7"});
  EXPECT_EQ(o.min_portal_bytes, 5u << 20);
  EXPECT_EQ(o.min_cell_bytes, 7u << 20);
  EXPECT_EQ(o.min_local_bytes, 5u << 20);
}

TEST(SynthCli, LandblocksUseTheBakeGrammar) {
  EXPECT_EQ(options({"--out", "w", "--landblocks", "0xA9B4..0xAAB5"}).landblocks,
            (std::vector<uint16_t>{0xA9B4, 0xA9B5, 0xAAB4, 0xAAB5}));

  Parsed p = parse({"--out", "w", "--landblocks", "zz"});
  auto o = to_options(std::get<SynthCli>(p.result));
  ASSERT_FALSE(o);
  EXPECT_EQ(o.error().chain().front(), "parse hex u32 `zz`");
}

TEST(SynthCli, UsageErrorsExitWithStatus2) {
  const std::vector<std::vector<const char*>> bad{
      {},                                                       // no --out
      {"--out", "w", "--whole-world", "--landblocks", "0x0000"},  // both
      {"--out", "w", "--min-archive-mib", "4000"},              // past 4 GiB
      {"--out", "w", "--seed", "-1"},
      {"--out", "w", "--seed", "0x10"},
      {"--out", "w", "--bogus"},
  };
  for (const auto& args : bad) {
    Parsed p = parse(args);
    const auto* exit = std::get_if<SynthCliExit>(&p.result);
    ASSERT_NE(exit, nullptr) << (args.size() > 2 ? args[2] : "(none)");
    EXPECT_EQ(exit->status, 2);
    EXPECT_FALSE(p.err.empty());
  }
}

TEST(SynthCli, HelpAndVersionExitWithStatus0) {
  for (const char* flag : {"--help", "--version"}) {
    Parsed p = parse({flag});
    const auto* exit = std::get_if<SynthCliExit>(&p.result);
    ASSERT_NE(exit, nullptr) << flag;
    EXPECT_EQ(exit->status, 0);
    EXPECT_NE(p.out.find("brambolt-synth"), std::string::npos) << flag;
  }
}

}  // namespace
}  // namespace torvanel::synth
