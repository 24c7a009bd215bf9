#include "torvanel/common/reader.hpp"

#include <gtest/gtest.h>

#include "torvanel/common/math.hpp"

namespace torvanel::common {
namespace {

TEST(Reader, ReadsLittleEndianAndFailsAtEndOfData) {
  const std::vector<uint8_t> bytes{0x01, 0x02, 0x03, 0x04, 0x05};
  Reader r(bytes);
  EXPECT_EQ(*r.u32(), 0x04030201u);
  auto fail = r.u16();
  ASSERT_FALSE(fail);
  EXPECT_EQ(fail.error().text(), "failed to fill whole buffer");
  EXPECT_EQ(*r.u8(), 0x05);
}

TEST(Reader, SkipsPastTheEndAndOnlyALaterReadFails) {
  const std::vector<uint8_t> bytes(9, 0);
  Reader r(bytes);
  for (auto [start, aligned] : {std::pair{8, 8}, {9, 12}, {11, 12}, {12, 12}}) {
    Reader at(bytes);
    at.skip(start);
    at.align4();
    EXPECT_EQ(at.position(), static_cast<uint64_t>(aligned)) << start;
  }
  r.skip(100);
  EXPECT_EQ(r.remaining(), 0u);
  EXPECT_FALSE(r.u8());
}

TEST(Reader, FixedBlockHasItsOwnEndOfDataText) {
  const std::vector<uint8_t> bytes(15, 0);
  Reader r(bytes);
  auto block = r.byte_array<16>();
  ASSERT_FALSE(block);
  EXPECT_EQ(block.error().text(), "not enough bytes in reader");
}

TEST(Geometry, FrameCutShortNamesInnermostFieldFirst) {
  const std::vector<uint8_t> bytes(27, 0);
  Reader r(bytes);
  auto frame = Frame::read(r);
  ASSERT_FALSE(frame);
  EXPECT_EQ(frame.error().contexts(),
            (std::vector<std::string>{"While parsing field 'z' in Quaternion",
                                      "While parsing field 'orientation' in Frame"}));
  EXPECT_EQ(frame.error().text(),
            "failed to fill whole buffer\nWhile parsing field 'z' in Quaternion\n"
            "While parsing field 'orientation' in Frame");

  const std::vector<uint8_t> exact(28, 0);
  Reader whole(exact);
  ASSERT_TRUE(Frame::read(whole));
  EXPECT_EQ(whole.position(), 28u);
}

TEST(Geometry, PlaneCutInNormal) {
  const std::vector<uint8_t> bytes(7, 0);
  Reader r(bytes);
  auto plane = Plane::read(r);
  ASSERT_FALSE(plane);
  EXPECT_EQ(plane.error().contexts(),
            (std::vector<std::string>{"While parsing field 'y' in Vector3",
                                      "While parsing field 'normal' in Plane"}));
}

}  // namespace
}  // namespace torvanel::common
