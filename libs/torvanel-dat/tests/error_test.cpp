#include "torvanel/dat/error.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace torvanel::dat {
namespace {

BinReadError cut_in_stab() {
  auto error = BinReadError::end_of_data();
  error.add_context("id", "Stab");
  return error;
}

TEST(DatError, TextOfEveryVariant) {
  const std::string enoent = std::strerror(ENOENT);
  struct Case {
    DatError error;
    std::string text;
  };
  const Case cases[] = {
      {IoError::from_errno(EIO), "IO error: " + std::string(std::strerror(EIO))},
      {cut_in_stab(),
       "Binary read error: failed to fill whole buffer\nWhile parsing field 'id' in Stab"},
      {DatError::of(DatError::NotFound{0x2A}), "File ID 0000002A not found in provider"},
      {DatError::of(DatError::NotFound{0x13000000}), "File ID 13000000 not found in provider"},
      {DatError::of(DatError::DuplicateId{0xABCDEF01}), "Duplicate File ID ABCDEF01 detected"},
      {DatError::of(DatError::DuplicateNamespacedId{"portal", 0x0100001F}),
       "Duplicate namespaced file portal:0100001F detected"},
      {DatError::of(DatError::InvalidMagic{"TR"}), "Invalid magic for format: TR"},
      {DatError::of(DatError::UnsupportedVersion{0xFFFFFFFF}), "Unsupported version: 4294967295"},
      {DatError::of(DatError::InvalidNamespace{"x y"}), "Invalid namespace: x y"},
      {DatError::of(DatError::Corruption{"bad chain"}), "Corruption detected: bad chain"},
      {DatError::of(DatError::DecompressionFailed{0xFF}),
       "Failed to recover compressed file 000000FF"},
      {DatError::of(DatError::PathError{"dat/client_cell_1.dat", IoError::from_errno(ENOENT)}),
       "Failed to open file at dat/client_cell_1.dat: " + enoent},
      {DatError::of(DatError::PathError{"bad\xFFname", IoError::from_errno(ENOENT)}),
       "Failed to open file at bad\xEF\xBF\xBDname: " + enoent},
      {DatError::of(DatError::Other{"anything"}), "Other error: anything"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.error.text(), c.text);
  }
}

TEST(DatError, OnlyIoBinReadAndPathErrorHaveACause) {
  const DatError io = IoError::unexpected_eof();
  ASSERT_TRUE(io.get<DatError::Io>());
  EXPECT_EQ(io.source_text(), "failed to fill whole buffer");

  const DatError bin = cut_in_stab();
  ASSERT_TRUE(bin.get<DatError::BinRead>());
  EXPECT_EQ(bin.source_text(), "failed to fill whole buffer\nWhile parsing field 'id' in Stab");

  const auto path = DatError::of(DatError::PathError{"missing.dat", IoError::from_errno(ENOENT)});
  EXPECT_EQ(path.source_text(), std::string(std::strerror(ENOENT)));

  EXPECT_EQ(DatError::of(DatError::NotFound{1}).source_text(), std::nullopt);
  EXPECT_EQ(DatError::of(DatError::Other{"x"}).source_text(), std::nullopt);
}

TEST(DatError, DebugFormNamesTheFieldsOfStructVariants) {
  const auto dup = DatError::of(DatError::DuplicateNamespacedId{"cell", 7});
  EXPECT_NE(dup.debug().find("namespace"), std::string::npos);
  EXPECT_NE(dup.debug().find("file_id"), std::string::npos);
  const auto path = DatError::of(DatError::PathError{"a.dat", IoError::from_errno(ENOENT)});
  EXPECT_NE(path.debug().find("path"), std::string::npos);
  EXPECT_NE(path.debug().find("source"), std::string::npos);
  EXPECT_EQ(DatError::of(DatError::NotFound{42}).debug().rfind("NotFound", 0), 0u);
}

}  // namespace
}  // namespace torvanel::dat
