#include "torvanel/dat/file_type/setup_model.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "torvanel/writer/byte_writer.hpp"
#include "torvanel/writer/encode_math.hpp"
#include "torvanel/writer/encode_setup_model.hpp"

namespace torvanel::dat {
namespace {

using Bytes = std::vector<uint8_t>;
using Contexts = std::vector<std::string>;
using common::BinReadError;
using common::FlatMap;
using writer::ByteWriter;

constexpr const char* kEndOfData = "failed to fill whole buffer";

ReadResult<SetupModel> unpack(std::span<const uint8_t> bytes) {
  Reader r(bytes);
  return SetupModel::unpack(r);
}

Frame frame(float x) { return Frame{{x, 2, 3}, {1, 0, 0, 0}}; }

// `data` bytes of a hook, counting up from `first`.
Bytes counting(size_t size, uint8_t first = 1) {
  Bytes out(size);
  for (size_t i = 0; i < size; ++i) out[i] = static_cast<uint8_t>(first + i);
  return out;
}

// Every list and map filled, every value distinct.
SetupModel full_setup(uint32_t flags) {
  SetupModel s;
  s.id = 0x02000123;
  s.flags = flags;
  s.parts = {0x01000001, 0x01000002};
  if (flags & SetupModel::kHasPartValues) s.part_values = {7, 8};
  if (flags & SetupModel::kHasPartVectors) s.part_vectors = {{1, 2, 3}, {4, 5, 6}};
  s.location_map_a = FlatMap<uint32_t, LocationType>::from_entries(
      {{1, {-1, frame(10)}}, {5, {2, frame(11)}}});
  s.location_map_b = FlatMap<uint32_t, LocationType>::from_entries({{3, {0, frame(12)}}});
  s.placements = FlatMap<uint32_t, PlacementType>::from_entries(
      {{0, {{frame(13), frame(14)}, {{1, 0x10, counting(4)}, {5, 0x11, {9, 0xFF, 0x7F, 0}}}}},
       {0x65, {{frame(15), frame(16)}, {}}}});
  s.cyl_spheres = {{{1, 2, 3}, 4, 5}};
  s.spheres = {{{1, 1, 1}, 2}, {{3, 3, 3}, 4}};
  s.extra_value_1 = 11;
  s.extra_value_2 = 12;
  s.extra_value_3 = 13;
  s.extra_value_4 = 14;
  s.sphere_a = {{5, 5, 5}, 6};
  s.sphere_b = {{7, 7, 7}, 8};
  s.lights = FlatMap<uint32_t, LightInfo>::from_entries(
      {{2, {frame(17), 0xFF8040C0, 0.5f, 2.5f, 1.25f}}});
  s.optional_value_1 = 0xFFFFFFFF;
  s.optional_value_2 = 5;
  s.optional_value_4 = 1;
  return s;
}

// The record after the placements: empty lists, zero values, empty map,
// no optional values.
void put_empty_tail(ByteWriter& w) {
  w.u32(0);  // cylinder spheres
  w.u32(0);  // spheres
  w.zeros(16 + 16 + 16);
  w.u32(0);  // lights
  w.zeros(20);
}

TEST(SetupModel, FlagsDecideThePerPartLists) {
  struct Case {
    uint32_t flags, parts;
  };
  for (const Case& c : {Case{0, 3}, {3, 2}, {1, 2}, {2, 1}, {0xFFFFFFFC, 1}}) {
    ByteWriter w;
    w.u32(0x02000001);
    w.u32(c.flags);
    w.u32(c.parts);
    for (uint32_t i = 0; i < c.parts; ++i) w.u32(0x01000000 + i);
    if (c.flags & 1) {
      for (uint32_t i = 0; i < c.parts; ++i) w.u32(100 + i);
    }
    if (c.flags & 2) {
      for (uint32_t i = 0; i < c.parts; ++i) writer::write(w, Vector3{1, 2, float(i)});
    }
    w.u32(0);  // location map a
    w.u32(0);  // location map b
    w.i32(1);  // one placement with a frame per part
    w.u32(0);
    for (uint32_t i = 0; i < c.parts; ++i) writer::write(w, frame(float(i)));
    w.u32(0);  // hooks
    put_empty_tail(w);

    Reader r(w.data());
    auto s = SetupModel::unpack(r);
    ASSERT_TRUE(s) << c.flags << ": " << s.error().text();
    EXPECT_EQ(r.position(), w.size()) << c.flags;
    EXPECT_EQ(s->parts.size(), c.parts);
    EXPECT_EQ(s->part_values.size(), c.flags & 1 ? c.parts : 0) << c.flags;
    EXPECT_EQ(s->part_vectors.size(), c.flags & 2 ? c.parts : 0) << c.flags;
    if (c.flags & 2) {
      EXPECT_EQ(s->part_vectors.back(), (Vector3{1, 2, float(c.parts - 1)}));
    }
    ASSERT_EQ(s->placements.size(), 1u);
    EXPECT_EQ(s->placements.find(0)->frames.size(), c.parts);
  }
}

TEST(SetupModel, RoundTripsEveryField) {
  std::vector<SetupModel> setups;
  for (uint32_t flags : {0u, 1u, 2u, 3u, 0x80000003u}) setups.push_back(full_setup(flags));
  setups.push_back(writer::setup_model_from_parts(0x02000777, {0x01000005, 0x01000006}));
  setups.push_back(writer::setup_model_from_parts(0x02000778, {}));
  for (const SetupModel& s : setups) {
    const Bytes bytes = writer::encode(s);
    auto decoded = unpack(bytes);
    ASSERT_TRUE(decoded) << decoded.error().text();
    EXPECT_EQ(*decoded, s) << std::hex << s.id << " flags " << s.flags;
    EXPECT_EQ(writer::encode(*decoded), bytes);
  }
}

TEST(SetupModel, TrailingValueZeroIsAbsent) {
  for (uint32_t value : {0u, 1u, 0x7Fu, 0xFFFFFFFFu}) {
    Bytes bytes = writer::encode(writer::setup_model_from_parts(0x02000001, {0x01000001}));
    ByteWriter tail;
    tail.u32(value);
    std::copy(tail.data().begin(), tail.data().end(), bytes.end() - 12);  // the third value
    auto s = unpack(bytes);
    ASSERT_TRUE(s) << s.error().text();
    const std::optional<uint32_t> expected =
        value == 0 ? std::nullopt : std::optional<uint32_t>(value);
    EXPECT_EQ(s->optional_value_3, expected) << value;
    EXPECT_FALSE(s->optional_value_1 || s->optional_value_2 || s->optional_value_4 ||
                 s->optional_value_5);
  }
}

TEST(SetupModel, RepeatedKeysKeepTheLaterEntry) {
  ByteWriter w;
  w.u32(0x02000001);
  w.u32(0);
  w.u32(0);  // no parts: placements hold no frames
  w.u32(2);
  for (int32_t part : {1, 2}) {
    w.u32(6);
    writer::write(w, LocationType{part, frame(0)});
  }
  w.u32(0);
  w.i32(2);
  for (uint32_t hook_value : {1u, 2u}) {
    w.u32(7);
    writer::write(w, PlacementType{{}, {{0, hook_value, {}}}});
  }
  w.u32(0);
  w.u32(0);
  w.zeros(48);
  w.u32(2);
  for (uint32_t color : {3u, 4u}) {
    w.u32(9);
    writer::write(w, LightInfo{frame(0), color, 0, 0, 0});
  }
  w.zeros(20);

  auto s = unpack(w.data());
  ASSERT_TRUE(s) << s.error().text();
  ASSERT_EQ(s->location_map_a.size(), 1u);
  EXPECT_EQ(s->location_map_a.find(6)->part_id, 2);
  ASSERT_EQ(s->placements.size(), 1u);
  EXPECT_EQ(s->placements.find(7)->hooks.at(0).hook_value, 2u);
  ASSERT_EQ(s->lights.size(), 1u);
  EXPECT_EQ(s->lights.find(9)->color, 4u);
}

TEST(SetupModel, NegativePlacementCountIsRefused) {
  for (int32_t count : {-1, INT32_MIN}) {
    ByteWriter w;
    w.u32(0x0200ABCD);
    w.u32(0);
    w.u32(0);
    w.u32(0);
    w.u32(0);
    w.i32(count);
    put_empty_tail(w);
    auto s = unpack(w.data());
    ASSERT_FALSE(s);
    EXPECT_EQ(s.error().kind(), BinReadError::Kind::Custom);
    EXPECT_EQ(s.error().message(), "SetupModel 0x0200ABCD declared negative placement count " +
                                       std::to_string(count));
    EXPECT_EQ(s.error().position(), 24u);
    EXPECT_TRUE(s.error().contexts().empty());
  }
}

// The payload plus padding every hook type gives; type 5 apart.
constexpr size_t kHookDataSize[] = {0, 4, 4, 28, 0, 4, 4,  16, 12, 16, 12, 16, 8, 40,
                                    4, 4, 4, 0,  4, 8, 12, 16, 12, 8,  12, 4,  40};

TEST(AnimationHook, EachTypeReadsItsPayloadAndPadding) {
  struct Case {
    uint32_t type;
    Bytes data;
  };
  std::vector<Case> cases;
  for (uint32_t type = 0; type <= 26; ++type) {
    if (type != 5) cases.push_back({type, counting(kHookDataSize[type])});
  }
  // Type 5: a byte, a u16 without 0x8000 and one padding byte; or a byte, a
  // u16 with 0x8000, a second u16 and three padding bytes.
  cases.push_back({5, {0x01, 0xFF, 0x7F, 0xEE}});
  cases.push_back({5, {0x01, 0x00, 0x80, 0x34, 0x12, 0xEE, 0xEE, 0xEE}});
  for (const Case& c : cases) {
    // Padding counts from the hook's first byte, not from the record's.
    for (size_t offset : {0, 1}) {
      ByteWriter w;
      w.zeros(offset);
      w.u32(c.type);
      w.u32(0xABCD);
      w.bytes(c.data);
      const size_t end = w.size();
      w.u32(0xFFFFFFFF);
      Reader r(w.data());
      r.skip(offset);
      auto hook = AnimationHook::unpack(r);
      ASSERT_TRUE(hook) << c.type << ": " << hook.error().text();
      EXPECT_EQ(*hook, (AnimationHook{c.type, 0xABCD, c.data})) << c.type;
      EXPECT_EQ(r.position(), end) << c.type;

      ByteWriter again;
      again.zeros(offset);
      writer::write(again, *hook);
      EXPECT_EQ(again.data(), Bytes(w.data().begin(), w.data().begin() + end));
    }
  }
}

TEST(AnimationHook, MissingPaddingEndsInEndOfData) {
  for (uint16_t word : {0x7FFF, 0x8000}) {
    ByteWriter w;
    w.u32(5);
    w.u32(0);
    w.u8(1);
    w.u16(word);
    if (word & 0x8000) w.u16(0);
    w.zeros(word & 0x8000 ? 2 : 0);  // one padding byte short
    Reader r(w.data());
    auto hook = AnimationHook::unpack(r);
    ASSERT_FALSE(hook);
    EXPECT_EQ(hook.error().text(), kEndOfData);
  }
}

TEST(AnimationHook, TypeAbove26IsRefusedBeforeItsPayload) {
  SetupModel s = writer::setup_model_from_parts(0x02000001, {});
  Bytes bytes = writer::encode(s);
  // Rebuild with one hook of type 27 in the placement (its hook count sits
  // at offset 28: id, flags, parts, two map counts, placement count, key).
  ByteWriter w;
  w.bytes(std::span(bytes).first(28));
  w.u32(1);
  w.u32(27);
  w.u32(0x55);
  put_empty_tail(w);
  auto failed = unpack(w.data());
  ASSERT_FALSE(failed);
  EXPECT_EQ(failed.error().kind(), BinReadError::Kind::Custom);
  EXPECT_EQ(failed.error().message(), "Unsupported AnimationHook type: 0x0000001B");
  EXPECT_EQ(failed.error().position(), 40u);
}

TEST(SetupModel, NestedReadersNameTheirFields) {
  ByteWriter w;
  w.u32(0x02000001);
  w.u32(0);
  w.u32(0);
  w.u32(1);
  w.u32(4);
  const size_t location = w.size();
  writer::write(w, LocationType{1, frame(0)});
  w.u32(0);
  w.i32(0);
  w.u32(1);
  const size_t cyl = w.size();
  writer::write(w, CylSphere{{1, 2, 3}, 4, 5});
  w.u32(0);
  w.zeros(48);
  w.u32(1);
  w.u32(8);
  const size_t light = w.size();
  writer::write(w, LightInfo{frame(0), 1, 2, 3, 4});
  w.zeros(20);
  ASSERT_TRUE(unpack(w.data()));

  const std::vector<std::pair<size_t, Contexts>> cuts{
      {location + 2, {"While parsing field 'part_id' in LocationType"}},
      {location + 4 + 21,
       {"While parsing field 'y' in Quaternion", "While parsing field 'orientation' in Frame",
        "While parsing field 'frame' in LocationType"}},
      {cyl + 5, {"While parsing field 'y' in Vector3", "While parsing field 'origin' in CylSphere"}},
      {cyl + 12, {"While parsing field 'radius' in CylSphere"}},
      {cyl + 19, {"While parsing field 'height' in CylSphere"}},
      {light + 1,
       {"While parsing field 'x' in Vector3", "While parsing field 'origin' in Frame",
        "While parsing field 'viewer_space_location' in LightInfo"}},
      {light + 28, {"While parsing field 'color' in LightInfo"}},
      {light + 33, {"While parsing field 'intensity' in LightInfo"}},
      {light + 36, {"While parsing field 'falloff' in LightInfo"}},
      {light + 43, {"While parsing field 'cone_angle' in LightInfo"}},
      {w.size() - 1, {}},
  };
  for (const auto& [length, contexts] : cuts) {
    auto s = unpack(std::span(w.data()).first(length));
    ASSERT_FALSE(s) << length;
    EXPECT_EQ(s.error().message(), kEndOfData);
    EXPECT_EQ(s.error().contexts(), contexts) << length;
  }
}

TEST(SetupModel, CutAnywhereFailsCleanly) {
  const Bytes bytes = writer::encode(full_setup(3));
  for (size_t length = 0; length < bytes.size(); ++length) {
    auto s = unpack(std::span(bytes).first(length));
    ASSERT_FALSE(s) << length;
    EXPECT_EQ(s.error().kind(), BinReadError::Kind::Io) << length;
    EXPECT_EQ(s.error().message(), kEndOfData) << length;
  }
}

TEST(SetupModel, CountsBeyondTheDataEndInEndOfData) {
  const Bytes base = writer::encode(full_setup(3));
  // Counts in full_setup(3): the parts at 8; location map a after two
  // parts, two values and two vectors; the first placement's hooks after
  // both location maps, the placement count, its key and two frames.
  constexpr size_t kLocationsA = 12 + 2 * 4 + 2 * 4 + 2 * 12;
  constexpr size_t kHooks = kLocationsA + 4 + 2 * 36 + 4 + 36 + 4 + 4 + 2 * 28;
  // The hooks that follow a huge hook count are read from whatever bytes
  // come next, so that one may also end in an unsupported hook type.
  for (size_t offset : {size_t{8}, kLocationsA, kHooks}) {
    Bytes bytes = base;
    for (size_t i = 0; i < 4; ++i) bytes[offset + i] = 0xFF;
    auto s = unpack(bytes);
    ASSERT_FALSE(s) << offset;
    if (offset != kHooks) {
      EXPECT_EQ(s.error().kind(), BinReadError::Kind::Io) << offset;
    }
  }
  // The largest placement count with a setup of many parts.
  ByteWriter w;
  w.u32(0x02000001);
  w.u32(0);
  w.u32(3);
  w.zeros(12);
  w.u32(0);
  w.u32(0);
  w.i32(INT32_MAX);
  auto s = unpack(w.data());
  ASSERT_FALSE(s);
  EXPECT_EQ(s.error().text(), kEndOfData);
}

}  // namespace
}  // namespace torvanel::dat
