#include "landblock_spec.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/temp_dir.hpp"

namespace torvanel::tools {
namespace {

using Chain = std::vector<std::string>;
using test_support::TempDir;
using namespace std::string_literals;

constexpr const char* kEmpty = "cannot parse integer from empty string";
constexpr const char* kInvalid = "invalid digit found in string";
constexpr const char* kTooLarge = "number too large to fit in target type";
constexpr const char* kNarrowing = "out of range integral type conversion attempted";

TEST(ParseHexU32, AcceptsEveryPrefixAndPaddingForm) {
  struct Case {
    std::string text;
    uint32_t value;
  };
  const Case cases[] = {
      {"13000000", 0x13000000},
      {"0x13000000", 0x13000000},
      {"0X13000000", 0x13000000},
      {"0013000000", 0x13000000},
      {"00000000000000000000ffffffff", 0xFFFFFFFF},
      {"0xa9B4", 0xA9B4},
      {" \t0xA9B4\r\n", 0xA9B4},
      {"\u3000\u00A0\u2003 0xA9B4\u2028\u0085\u205F", 0xA9B4},
      {"0x0x10", 0x10},
      {"0x0X1F", 0x1F},
      {"0x+13000000", 0x13000000},
      {"+a9b4", 0xA9B4},
      {"0x0", 0},
  };
  for (const Case& c : cases) {
    auto value = parse_hex_u32(c.text);
    ASSERT_TRUE(value.has_value()) << c.text << ": " << value.error().report();
    EXPECT_EQ(*value, c.value) << c.text;
  }
}

TEST(ParseHexU32, FailureNamesTheTrimmedTextAndTheCause) {
  struct Case {
    std::string text;
    Chain chain;
  };
  const Case cases[] = {
      {"", {"parse hex u32 ``", kEmpty}},
      {"\u00A0", {"parse hex u32 ``", kEmpty}},
      {"  0x ", {"parse hex u32 `0x`", kEmpty}},
      {"0x0X", {"parse hex u32 `0x0X`", kEmpty}},
      {"zz", {"parse hex u32 `zz`", kInvalid}},
      {"+", {"parse hex u32 `+`", kInvalid}},
      {"0x+", {"parse hex u32 `0x+`", kInvalid}},
      {"+0x13000000", {"parse hex u32 `+0x13000000`", kInvalid}},
      {"0X0x1F", {"parse hex u32 `0X0x1F`", kInvalid}},
      {"-1", {"parse hex u32 `-1`", kInvalid}},
      {"1_000", {"parse hex u32 `1_000`", kInvalid}},
      {"A9 B4", {"parse hex u32 `A9 B4`", kInvalid}},
      {"0x100000000", {"parse hex u32 `0x100000000`", kTooLarge}},
      {"FFFFFFFFF", {"parse hex u32 `FFFFFFFFF`", kTooLarge}},
  };
  for (const Case& c : cases) {
    auto value = parse_hex_u32(c.text);
    ASSERT_FALSE(value.has_value()) << c.text;
    EXPECT_EQ(value.error().chain(), c.chain) << c.text;
  }
}

TEST(ParseLandblockSpec, SingleIdsAndRectangles) {
  struct Case {
    std::string spec;
    std::vector<uint16_t> ids;
  };
  const Case cases[] = {
      {"A9B4", {0xA9B4}},
      {"0xa9b4", {0xA9B4}},
      {"  0XA9B4\t", {0xA9B4}},
      {"0xFFFF", {0xFFFF}},
      // Column by column, rows ascending: not the ids numerically between.
      {"0xA9B4..0xAAB5", {0xA9B4, 0xA9B5, 0xAAB4, 0xAAB5}},
      {"0xA9B4 .. 0xA9B4", {0xA9B4}},
      {"0x00FE..0x02FF", {0x00FE, 0x00FF, 0x01FE, 0x01FF, 0x02FE, 0x02FF}},
      {"0xA9B4..0xA9B6", {0xA9B4, 0xA9B5, 0xA9B6}},
  };
  for (const Case& c : cases) {
    auto ids = parse_landblock_spec(c.spec);
    ASSERT_TRUE(ids.has_value()) << c.spec << ": " << ids.error().report();
    EXPECT_EQ(*ids, c.ids) << c.spec;
  }
}

TEST(ParseLandblockSpec, WholeWorldRectangleCoversEveryIdOnce) {
  auto ids = parse_landblock_spec("0x0000..0xFFFF");
  ASSERT_TRUE(ids.has_value());
  ASSERT_EQ(ids->size(), 65536u);
  for (size_t i = 0; i < ids->size(); ++i) ASSERT_EQ((*ids)[i], i);
}

TEST(ParseLandblockSpec, RejectsBadIdsAndRanges) {
  struct Case {
    std::string spec;
    Chain chain;
  };
  const Case cases[] = {
      {"", {"parse hex u32 ``", kEmpty}},
      {"zz", {"parse hex u32 `zz`", kInvalid}},
      {"0x10000", {"landblock id `0x10000` is wider than 16 bits", kNarrowing}},
      {" 0x10000 ", {"landblock id `0x10000` is wider than 16 bits", kNarrowing}},
      {"..0x10", {"parse hex u32 ``", kEmpty}},
      {"0x10..", {"parse hex u32 ``", kEmpty}},
      // The low bound is converted first.
      {"zz..yy", {"parse hex u32 `zz`", kInvalid}},
      {"0x1..0x2..0x3", {"parse hex u32 `0x2..0x3`", kInvalid}},
      {"0x1..0x10000", {"range bound `0x10000` is wider than 16 bits", kNarrowing}},
      {"0x10000..0x10001", {"range bound `0x10000` is wider than 16 bits", kNarrowing}},
      // The order test comes before the width test.
      {"0x10001..0x10000", {"--landblocks range high `0x10000` is below low `0x10001`"}},
      {"0xAAB4..0xA9B5", {"--landblocks range high `0xA9B5` is below low `0xAAB4`"}},
      {"0xA9B5..0xAAB4", {"--landblocks rectangle: hi=(0xAA,0xB4) must dominate lo=(0xA9,0xB5)"}},
      {"0x0005..0x0104", {"--landblocks rectangle: hi=(0x1,0x4) must dominate lo=(0x0,0x5)"}},
  };
  for (const Case& c : cases) {
    auto ids = parse_landblock_spec(c.spec);
    ASSERT_FALSE(ids.has_value()) << c.spec;
    EXPECT_EQ(ids.error().chain(), c.chain) << c.spec;
  }
}

TEST(ParseLandblockSpec, ListFileKeepsOrderAndDuplicatesAndSkipsBlankAndCommentLines) {
  TempDir dir;
  struct Case {
    std::string contents;
    std::vector<uint16_t> ids;
  };
  const Case cases[] = {
      {"0xA9B4\n0xA9B5\n0xA9B4\n", {0xA9B4, 0xA9B5, 0xA9B4}},
      {"0xA9B4\r\n# comment\r\n\r\n  a9b5  \r\n0x0001", {0xA9B4, 0xA9B5, 0x0001}},
      {"  # indented comment\n\t\n0XFFFF\n", {0xFFFF}},
      {"\n\n# only comments\n   \n#0xA9B4\n", {}},
      {"", {}},
  };
  for (const Case& c : cases) {
    auto path = dir.write_file("ids.txt", c.contents);
    auto ids = parse_landblock_spec("@" + path.string());
    ASSERT_TRUE(ids.has_value()) << c.contents << ": " << ids.error().report();
    EXPECT_EQ(*ids, c.ids) << c.contents;
  }
}

TEST(ParseLandblockSpec, ListFileIsTakenBeforeTheRangeTest) {
  TempDir dir;
  auto path = dir.write_file("lbs..0x10", "0xA9B4\n");
  auto ids = parse_landblock_spec("  @" + path.string() + "  ");
  ASSERT_TRUE(ids.has_value()) << ids.error().report();
  EXPECT_EQ(*ids, std::vector<uint16_t>{0xA9B4});
}

TEST(ParseLandblockSpec, ListFileLineErrorsNameTheLine) {
  TempDir dir;
  struct Case {
    std::string contents;
    Chain chain;  // {path} stands for the file's path
  };
  const Case cases[] = {
      {"0xA9B4\n\nzz\n", {"landblock list `{path}` line 3", "parse hex u32 `zz`", kInvalid}},
      {"# x\r\n0xA9B4 # x\r\n", {"landblock list `{path}` line 2", "parse hex u32 `0xA9B4 # x`",
                                 kInvalid}},
      {"0x\n", {"landblock list `{path}` line 1", "parse hex u32 `0x`", kEmpty}},
      {"0xA9B4\n 0x1A9B4 \n",
       {"landblock id `0x1A9B4` is wider than 16 bits — expected packed key", kNarrowing}},
  };
  for (const Case& c : cases) {
    auto path = dir.write_file("ids.txt", c.contents).string();
    Chain expected = c.chain;
    if (auto at = expected[0].find("{path}"); at != std::string::npos) {
      expected[0].replace(at, 6, path);
    }
    auto ids = parse_landblock_spec("@" + path);
    ASSERT_FALSE(ids.has_value()) << c.contents;
    EXPECT_EQ(ids.error().chain(), expected) << c.contents;
  }
}

TEST(ParseLandblockSpec, ListFileReportShowsBothNumberedCauses) {
  TempDir dir;
  auto path = dir.write_file("ids.txt", "0xA9B4\n0xA9B5\nzz\n").string();
  auto ids = parse_landblock_spec("@" + path);
  ASSERT_FALSE(ids.has_value());
  EXPECT_EQ(ids.error().report(), "Error: landblock list `" + path +
                                      "` line 3\n"
                                      "\n"
                                      "Caused by:\n"
                                      "    0: parse hex u32 `zz`\n"
                                      "    1: invalid digit found in string\n");
}

TEST(ParseLandblockSpec, UnreadableListFileIsAReadError) {
  TempDir dir;
  auto missing = (dir.path() / "missing.txt").string();
  auto not_utf8 = dir.write_file("latin1.txt", "0xA9B4\n0xA9B5 \xE9t\xE9\n").string();
  auto dir_path = dir.path().string();
  struct Case {
    std::string spec;
    Chain chain;
  };
  const Case cases[] = {
      {"@" + missing, {"read landblock list `" + missing + "`", "No such file or directory"}},
      {"@" + dir_path, {"read landblock list `" + dir_path + "`", "Is a directory"}},
      {"@" + not_utf8,
       {"read landblock list `" + not_utf8 + "`", "stream did not contain valid UTF-8"}},
      // The path is everything after the "@": a blank there is part of it.
      {"@ " + dir_path, {"read landblock list ` " + dir_path + "`", "No such file or directory"}},
      {"@a\0b"s,
       {"read landblock list `a\0b`"s, "file name contained an unexpected NUL byte"}},
  };
  for (const Case& c : cases) {
    auto ids = parse_landblock_spec(c.spec);
    ASSERT_FALSE(ids.has_value()) << c.spec;
    EXPECT_EQ(ids.error().chain(), c.chain) << c.spec;
  }
}

}  // namespace
}  // namespace torvanel::tools
