#include "text.hpp"

#include <gtest/gtest.h>

#include <string>

namespace torvanel::tools {
namespace {

using namespace std::string_literals;

TEST(IsValidUtf8, AcceptsWellFormedAndRejectsMalformedSequences) {
  struct Case {
    std::string bytes;
    bool valid;
  };
  const Case cases[] = {
      {"", true},
      {"0xA9B4 — ids\u00E9", true},
      {"\u007F\u0080\u07FF\u0800\uFFFF\U00010000\U0010FFFF", true},
      {"\0"s, true},
      {"\x80", false},              // continuation byte without a lead
      {"\xC0\xAF", false},          // overlong "/"
      {"\xC1\xBF", false},          // overlong
      {"\xE0\x9F\xBF", false},      // overlong three-byte form
      {"\xED\xA0\x80", false},      // surrogate U+D800
      {"\xF0\x8F\xBF\xBF", false},  // overlong four-byte form
      {"\xF4\x90\x80\x80", false},  // above U+10FFFF
      {"\xF5\x80\x80\x80", false},
      {"\xFF", false},
      {"ok\xE2\x80", false},        // truncated at the end
      {"\xE2\x28\xA1", false},      // bad second byte
      {"\xF0\x9F\x98\x28", false},  // bad last byte
  };
  for (const Case& c : cases) {
    EXPECT_EQ(is_valid_utf8(c.bytes), c.valid) << testing::PrintToString(c.bytes);
  }
}

TEST(TrimWhitespace, RemovesUnicodeWhiteSpaceOnly) {
  struct Case {
    std::string text;
    std::string trimmed;
  };
  const Case cases[] = {
      {" \t\n\v\f\rid\r\n", "id"},
      {"\u0085\u00A0\u1680\u2000\u200A\u2028\u2029\u202F\u205F\u3000id"
       "\u3000\u205F\u202F\u2029\u2028\u200A\u2000\u1680\u00A0\u0085",
       "id"},
      {"a b", "a b"},
      {"\u200B\uFEFFid", "\u200B\uFEFFid"},  // zero-width space and BOM are not white space
      {"\xA0id\x85", "\xA0id\x85"},          // lone bytes, not characters
      {"   ", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(trim_whitespace(c.text), c.trimmed) << c.text;
}

}  // namespace
}  // namespace torvanel::tools
