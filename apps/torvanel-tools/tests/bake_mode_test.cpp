#include "torvanel/brambolt/bake_mode.hpp"

#include <gtest/gtest.h>

#include <string>

namespace torvanel::brambolt {
namespace {

TEST(BakeMode, AcceptsTheListedSpellingsOnly) {
  struct Case {
    std::string text;
    BakeMode mode;
  };
  const Case accepted[] = {
      {"ace-compat", BakeMode::AceCompat},
      {"ace_compat", BakeMode::AceCompat},
      {"acecompat", BakeMode::AceCompat},
      {"strict", BakeMode::Strict},
  };
  for (const Case& c : accepted) {
    auto mode = parse_bake_mode(c.text);
    ASSERT_TRUE(mode.has_value()) << c.text;
    EXPECT_EQ(*mode, c.mode) << c.text;
  }

  for (std::string text :
       {"Strict", "STRICT", " strict", "strict ", "ace compat", "Ace-Compat", ""}) {
    auto mode = parse_bake_mode(text);
    ASSERT_FALSE(mode.has_value()) << text;
    EXPECT_EQ(mode.error(), "unknown BakeMode `" + text + "` (expected `ace-compat` or `strict`)");
  }
}

TEST(BakeMode, CanonicalNames) {
  EXPECT_EQ(bake_mode_name(BakeMode::AceCompat), "ace-compat");
  EXPECT_EQ(bake_mode_name(BakeMode::Strict), "strict");
}

}  // namespace
}  // namespace torvanel::brambolt
