#include "preflight.hpp"

#include <gtest/gtest.h>

#include <string>

#include "support/temp_dir.hpp"

namespace torvanel::tools {
namespace {

using test_support::TempDir;

TEST(IsModderAllocated, TypesOneToSeventyEightWithSecondByteFF) {
  struct Case {
    uint32_t id;
    bool modder;
  };
  const Case cases[] = {
      {0x01FF0000, true},  {0x01FFFFFF, true},  {0x06FF0010, true},  {0x78FFFFFF, true},
      {0x0AFFFFFF, true},  {0x00FF1234, false}, {0x79FF0000, false}, {0xFFFF0000, false},
      {0x01FE0000, false}, {0x0100FFFF, false}, {0x13000000, false}, {0x78FEFFFF, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(is_modder_allocated(c.id), c.modder) << std::hex << c.id;
  }
}

TEST(Sha256File, HashesWholeFilesInLowerCaseHex) {
  TempDir tmp;
  struct Case {
    std::string contents;
    std::string hash;
  };
  const Case cases[] = {
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      // Many 64 KiB reads and a short last one.
      {std::string(1000000, 'a'),
       "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
  };
  for (const Case& c : cases) {
    auto hash = sha256_file(tmp.write_file("file", c.contents));
    ASSERT_TRUE(hash.has_value()) << hash.error().report();
    EXPECT_EQ(*hash, c.hash) << c.contents.size() << " bytes";
  }
}

TEST(Sha256File, ReportsFilesThatCannotBeOpenedOrRead) {
  TempDir tmp;
  auto missing = sha256_file(tmp.path() / "missing");
  ASSERT_FALSE(missing.has_value());
  EXPECT_EQ(missing.error().report(), "Error: open for hash " + (tmp.path() / "missing").string() +
                                          "\n\nCaused by:\n    No such file or directory\n");
  // A directory opens but cannot be read: the bare system error.
  auto directory = sha256_file(tmp.path());
  ASSERT_FALSE(directory.has_value());
  EXPECT_EQ(directory.error().report(), "Error: Is a directory\n");
}

}  // namespace
}  // namespace torvanel::tools
