#include "torvanel/common/flat_map.hpp"

#include <gtest/gtest.h>

#include <string>

namespace torvanel::common {
namespace {

using Map = FlatMap<uint32_t, std::string>;

TEST(FlatMap, LaterEntryOfARepeatedKeyWinsInEveryOrder) {
  const std::vector<std::pair<std::vector<Map::Entry>, std::vector<Map::Entry>>> cases = {
      {{}, {}},
      {{{1, "a"}, {2, "b"}, {2, "c"}, {3, "d"}}, {{1, "a"}, {2, "c"}, {3, "d"}}},
      {{{3, "a"}, {1, "b"}, {3, "c"}, {2, "d"}, {1, "e"}}, {{1, "e"}, {2, "d"}, {3, "c"}}},
      {{{5, "x"}, {5, "y"}, {5, "z"}}, {{5, "z"}}},
  };
  for (const auto& [entries, expected] : cases) {
    Map map = Map::from_entries(entries);
    EXPECT_EQ(std::vector<Map::Entry>(map.begin(), map.end()), expected);
  }
}

TEST(FlatMap, FindsPresentKeysOnly) {
  Map map = Map::from_entries({{7, "seven"}, {2, "two"}});
  ASSERT_NE(map.find(7), nullptr);
  EXPECT_EQ(*map.find(7), "seven");
  EXPECT_EQ(map.find(3), nullptr);
  EXPECT_EQ(map.size(), 2u);
}

}  // namespace
}  // namespace torvanel::common
