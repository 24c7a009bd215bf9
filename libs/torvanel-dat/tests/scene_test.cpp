#include "torvanel/dat/file_type/scene.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "torvanel/writer/byte_writer.hpp"
#include "torvanel/writer/encode_scene.hpp"

namespace torvanel::dat {
namespace {

using Bytes = std::vector<uint8_t>;
using Contexts = std::vector<std::string>;
using writer::ByteWriter;

constexpr const char* kEndOfData = "failed to fill whole buffer";

ReadResult<Scene> unpack(const Bytes& bytes) {
  Reader r(bytes);
  return Scene::unpack(r);
}

// Every field distinct, so that a swapped or shifted field shows.
ObjectDesc sample_object(uint32_t obj_id) {
  ObjectDesc d;
  d.obj_id = obj_id;
  d.frame = {{1, 2, 3}, {4, 5, 6, 7}};
  d.frequency = 8;
  d.displace_x = 9;
  d.displace_y = 10;
  d.min_scale = 11;
  d.max_scale = 12;
  d.max_rotation = 13;
  d.min_slope = 14;
  d.max_slope = 15;
  d.extra_value_1 = 16;
  d.extra_value_2 = 17;
  d.skip_flag = 1;
  return d;
}

TEST(Scene, ObjectFieldsSitAtTheirWireOffsets) {
  // Written field by field, independently of the encoder.
  ByteWriter w;
  w.u32(0x12000005);
  w.u32(1);
  w.u32(0x01000ABC);
  for (int i = 1; i <= 15; ++i) w.f32(static_cast<float>(i));
  for (uint32_t i = 16; i <= 18; ++i) w.u32(i);
  w.u32(0xDEADBEEF);  // trailing bytes are ignored

  auto scene = unpack(w.data());
  ASSERT_TRUE(scene) << scene.error().text();
  EXPECT_EQ(scene->id, 0x12000005u);
  ASSERT_EQ(scene->objects.size(), 1u);
  ObjectDesc expected = sample_object(0x01000ABC);
  expected.skip_flag = 18;
  EXPECT_EQ(scene->objects[0], expected);
}

TEST(Scene, RoundTripsInStreamOrder) {
  for (size_t count : {0, 1, 3}) {
    Scene scene{0x12000001, {}};
    for (size_t i = 0; i < count; ++i) {
      scene.objects.push_back(sample_object(0x01000000 + static_cast<uint32_t>(count - i)));
    }
    const Bytes bytes = writer::encode(scene);
    ASSERT_EQ(bytes.size(), 8 + 76 * count);
    auto decoded = unpack(bytes);
    ASSERT_TRUE(decoded) << decoded.error().text();
    EXPECT_EQ(*decoded, scene) << count;
  }
}

TEST(Scene, CutAnywhereFailsWithTheFrameContextsOnly) {
  const Bytes bytes = writer::encode(Scene{0x12000001, {sample_object(0x01000001)}});
  const Contexts none;
  for (size_t length = 0; length < bytes.size(); ++length) {
    const Bytes cut(bytes.begin(), bytes.begin() + static_cast<long>(length));
    auto scene = unpack(cut);
    ASSERT_FALSE(scene) << length;
    EXPECT_EQ(scene.error().message(), kEndOfData) << length;
    // The frame spans bytes 12..39: origin 12..23, orientation 24..39.
    Contexts expected;
    if (length >= 12 && length < 24) {
      expected = {"While parsing field '" + std::string(1, "xyz"[(length - 12) / 4]) +
                      "' in Vector3",
                  "While parsing field 'origin' in Frame"};
    } else if (length >= 24 && length < 40) {
      expected = {"While parsing field '" + std::string(1, "wxyz"[(length - 24) / 4]) +
                      "' in Quaternion",
                  "While parsing field 'orientation' in Frame"};
    }
    EXPECT_EQ(scene.error().contexts(), expected) << length;
  }
}

TEST(Scene, CountBeyondTheDataEndsInEndOfData) {
  Bytes bytes = writer::encode(Scene{0x12000001, {sample_object(0x01000001)}});
  bytes[4] = bytes[5] = bytes[6] = bytes[7] = 0xFF;
  auto scene = unpack(bytes);
  ASSERT_FALSE(scene);
  EXPECT_EQ(scene.error().text(), kEndOfData);
}

}  // namespace
}  // namespace torvanel::dat
