#include "torvanel/dat/utils.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace torvanel::dat {
namespace {

using Bytes = std::vector<uint8_t>;

constexpr const char* kEndOfData = "failed to fill whole buffer";
#define FFFD "\xEF\xBF\xBD"

TEST(CompressedU32, WidthFollowsTheTopBitsOfTheFirstByte) {
  struct Case {
    Bytes bytes;
    uint32_t value;
    uint64_t consumed;
  };
  const Case cases[] = {
      {{0x00}, 0, 1},
      {{0x7F, 0xAA}, 127, 1},
      {{0x80, 0x01}, 1, 2},
      {{0xBF, 0xFF}, 0x3FFF, 2},
      // Long form: two high bytes most significant first, then a little-endian u16.
      {{0xC0, 0x12, 0x78, 0x56}, 0x00125678, 4},
      {{0xFF, 0xFF, 0xFF, 0xFF}, 0x3FFFFFFF, 4},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.bytes));
    Reader r(c.bytes);
    auto value = read_compressed_u32(r);
    ASSERT_TRUE(value) << value.error().text();
    EXPECT_EQ(*value, c.value);
    EXPECT_EQ(r.position(), c.consumed);
  }
}

TEST(CompressedU32, CutShortIsEndOfData) {
  for (const Bytes& bytes : {Bytes{}, Bytes{0x85}, Bytes{0xC0, 0x12, 0x78}}) {
    SCOPED_TRACE(testing::PrintToString(bytes));
    Reader r(bytes);
    auto value = read_compressed_u32(r);
    ASSERT_FALSE(value);
    EXPECT_EQ(value.error().text(), kEndOfData);
  }
}

TEST(SmartVec, PackedCountThenValues) {
  const Bytes two{0x02, 0x01, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00};
  Reader r(two);
  auto values = read_smart_vec(r);
  ASSERT_TRUE(values);
  EXPECT_EQ(*values, (std::vector<uint32_t>{1, 2}));
  EXPECT_EQ(r.position(), 9u);

  const Bytes none{0x00, 0x07};
  Reader empty(none);
  auto nothing = read_smart_vec(empty);
  ASSERT_TRUE(nothing);
  EXPECT_TRUE(nothing->empty());
  EXPECT_EQ(empty.position(), 1u);
}

TEST(SmartVec, CountBeyondTheDataIsEndOfDataNotAnAllocation) {
  // 0x3FFFFFFF values announced, one and a half present.
  const Bytes huge{0xFF, 0xFF, 0xFF, 0xFF, 0x01, 0x00, 0x00, 0x00, 0x02, 0x00};
  const Bytes cut{0x02, 0x01, 0x00, 0x00, 0x00, 0x02};
  for (const Bytes& bytes : {huge, cut}) {
    Reader r(bytes);
    auto values = read_smart_vec(r);
    ASSERT_FALSE(values);
    EXPECT_EQ(values.error().text(), kEndOfData);
  }
}

TEST(PString, LengthPrefixedTextDecoded) {
  struct Case {
    unsigned width;
    Bytes bytes;
    std::string text;
    uint64_t end;
  };
  const Case cases[] = {
      {2, {0x03, 0x00, 'A', 'B', 'C'}, "ABC", 5},
      {2, {0x00, 0x00}, "", 2},
      {1, {0x02, 'h', 'i', 'x'}, "hi", 3},
      {4, {0x01, 0x00, 0x00, 0x00, 'Z'}, "Z", 5},
      // windows-1252 curly quotes.
      {2, {0x02, 0x00, 0x93, 0x94}, "\u201C\u201D", 4},
      // Byte-order marks select the decoder and are dropped.
      {2, {0x05, 0x00, 0xEF, 0xBB, 0xBF, 'A', 'B'}, "AB", 7},
      {2, {0x04, 0x00, 0xFF, 0xFE, 'A', 0x00}, "A", 6},
      {2, {0x04, 0x00, 0xFE, 0xFF, 0x00, 'A'}, "A", 6},
      // Too short to be a mark: windows-1252.
      {2, {0x01, 0x00, 0xFF}, "\u00FF", 3},
      {2, {0x02, 0x00, 0xEF, 0xBB}, "\u00EF\u00BB", 4},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.bytes));
    Reader r(c.bytes);
    auto text = read_pstring(r, c.width);
    ASSERT_TRUE(text) << text.error().text();
    EXPECT_EQ(*text, c.text);
    EXPECT_EQ(r.position(), c.end);
  }
}

TEST(PString, LengthPastTheEndIsEndOfData) {
  struct Case {
    unsigned width;
    Bytes bytes;
  };
  const Case cases[] = {
      {2, {0x04, 0x00, 'A', 'B', 'C'}},
      {2, {0x01}},
      {4, {0xFF, 0xFF, 0xFF, 0xFF, 'A'}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.bytes));
    Reader r(c.bytes);
    auto text = read_pstring(r, c.width);
    ASSERT_FALSE(text);
    EXPECT_EQ(text.error().text(), kEndOfData);
  }
}

TEST(PString, UnsupportedWidthIsAnAssertionAndConsumesNothing) {
  const Bytes bytes{0x00, 0x03, 0x00, 0x00, 'A', 'B', 'C'};
  for (unsigned width : {0u, 3u, 8u}) {
    SCOPED_TRACE(width);
    Reader r(bytes);
    r.skip(1);
    auto text = read_pstring(r, width);
    ASSERT_FALSE(text);
    EXPECT_EQ(text.error().kind(), common::BinReadError::Kind::Assertion);
    EXPECT_EQ(text.error().message(), "Unsupported PString length size");
    EXPECT_EQ(text.error().position(), 1u);
    EXPECT_EQ(r.position(), 1u);
  }
}

TEST(DecodeText, Windows1252IncludingTheC1Holes) {
  struct Case {
    uint8_t byte;
    std::string text;
  };
  const Case cases[] = {
      {0x41, "A"},          {0x80, "\u20AC"}, {0x81, "\u0081"}, {0x8A, "\u0160"},
      {0x8D, "\u008D"},     {0x8F, "\u008F"}, {0x90, "\u0090"}, {0x9D, "\u009D"},
      {0x9F, "\u0178"},     {0xA0, "\u00A0"}, {0xE9, "\u00E9"}, {0xFF, "\u00FF"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(int(c.byte));
    const Bytes bytes{'<', c.byte, '>'};
    EXPECT_EQ(decode_text(bytes), "<" + c.text + ">");
  }
}

// Shared by the BOM-marked path of decode_text and by utf8_lossy.
struct Utf8Case {
  std::string bytes;
  std::string text;
};
const Utf8Case kUtf8Cases[] = {
    {"plain", "plain"},
    {"\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},
    {"\xE2\x82\xAC", "\xE2\x82\xAC"},
    // Invalid lead bytes, one replacement each.
    {"\xC0\x80", FFFD FFFD},
    {"\xF8z", FFFD "z"},
    // Overlong, surrogate and out-of-range forms stop at their first byte.
    {"\xE0\x80\x80", FFFD FFFD FFFD},
    {"\xED\xA0\x80", FFFD FFFD FFFD},
    {"\xF4\x90\x80\x80", FFFD FFFD FFFD FFFD},
    // A cut sequence is one replacement; the breaking byte starts afresh.
    {"\xE2\x82", FFFD},
    {"\xE2\x82" "A", FFFD "A"},
    {"\xF0\x9F\x98" "\xC3\xA9", FFFD "\xC3\xA9"},
    {"\x80\xBF", FFFD FFFD},
};

TEST(DecodeText, Utf8AfterItsMark) {
  for (const auto& c : kUtf8Cases) {
    SCOPED_TRACE(testing::PrintToString(c.bytes));
    const std::string marked = "\xEF\xBB\xBF" + c.bytes;
    EXPECT_EQ(decode_text({reinterpret_cast<const uint8_t*>(marked.data()), marked.size()}),
              c.text);
  }
}

TEST(Utf8Lossy, ReplacesMalformedSequencesAndKeepsAMark) {
  for (const auto& c : kUtf8Cases) {
    SCOPED_TRACE(testing::PrintToString(c.bytes));
    EXPECT_EQ(utf8_lossy(c.bytes), c.text);
  }
  EXPECT_EQ(utf8_lossy("\xEF\xBB\xBF" "A"), "\xEF\xBB\xBF" "A");
}

TEST(DecodeText, Utf16AfterItsMark) {
  struct Case {
    Bytes bytes;
    std::string text;
  };
  const Case cases[] = {
      {{0xFF, 0xFE}, ""},
      {{0xFF, 0xFE, 0xE9, 0x00, 0xAC, 0x20}, "\u00E9\u20AC"},
      {{0xFF, 0xFE, 0x3D, 0xD8, 0x00, 0xDE}, "\xF0\x9F\x98\x80"},
      {{0xFE, 0xFF, 0xD8, 0x3D, 0xDE, 0x00}, "\xF0\x9F\x98\x80"},
      // A lone lead surrogate is replaced and the unit after it kept.
      {{0xFF, 0xFE, 0x00, 0xD8, 'A', 0x00}, FFFD "A"},
      {{0xFF, 0xFE, 0x00, 0xD8, 0x00, 0xD8, 0x00, 0xDC}, FFFD "\xF0\x90\x80\x80"},
      {{0xFF, 0xFE, 0x00, 0xDC, 'A', 0x00}, FFFD "A"},
      {{0xFF, 0xFE, 0x00, 0xD8}, FFFD},
      // An odd final byte; with a pending lead surrogate still one replacement.
      {{0xFF, 0xFE, 'A', 0x00, 'B'}, "A" FFFD},
      {{0xFF, 0xFE, 0x00, 0xD8, 'B'}, FFFD},
      {{0xFE, 0xFF, 0x00}, FFFD},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.bytes));
    EXPECT_EQ(decode_text(c.bytes), c.text);
  }
}

}  // namespace
}  // namespace torvanel::dat
