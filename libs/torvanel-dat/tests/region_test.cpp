#include "torvanel/dat/file_type/region.hpp"

#include <gtest/gtest.h>

#include <span>
#include <string>
#include <vector>

#include "torvanel/writer/encode_region.hpp"

namespace torvanel::dat {
namespace {

using writer::ByteWriter;
using writer::encode;
using writer::full_region;

// Every text of a Region record has its 2-byte length at a multiple of 4, so
// the padding after it depends only on the text's length mod 4.
constexpr size_t kPadAfterName[4] = {2, 1, 0, 3};

// Padding in hand-laid records; the decoders must skip it unread.
constexpr uint8_t kJunk = 0xEE;

void fill(ByteWriter& w, size_t n, uint8_t byte) {
  for (size_t i = 0; i < n; ++i) w.u8(byte);
}

void name(ByteWriter& w, const std::string& text, uint8_t pad) {
  w.pstring(text);
  fill(w, kPadAfterName[text.size() % 4], pad);
}

std::vector<uint8_t> written(const Region& region) { return encode(region); }

template <class T>
std::vector<uint8_t> written(const T& value) {
  ByteWriter w;
  writer::write(w, value);
  return w.take();
}

// `build(pad)` lays out a T by hand with `pad` in every padding byte. With
// junk padding it must decode, all of it, to `expected`; writing the result
// back must give the layout with zero padding.
template <class T, class Build>
void expect_layout(Build build, const T& expected) {
  const std::vector<uint8_t> bytes = build(kJunk);
  Reader r(bytes);
  auto decoded = T::unpack(r);
  ASSERT_TRUE(decoded) << decoded.error().text();
  EXPECT_EQ(r.position(), bytes.size());
  EXPECT_EQ(*decoded, expected);
  EXPECT_EQ(written(*decoded), build(0));
}

// A GameTime up to its first count.
void calendar_head(ByteWriter& w) {
  w.f64(0);
  w.u32(0);
  w.u32(0);
  w.u32(0);
  name(w, "", 0);
}

template <class T>
std::string decode_error(std::span<const uint8_t> bytes) {
  Reader r(bytes);
  auto decoded = T::unpack(r);
  return decoded ? "decoded" : decoded.error().text();
}

TEST(GameTime, LayoutWithPaddingAfterEveryText) {
  GameTime expected;
  expected.value_f64 = 1.5;
  expected.value_1 = 1;
  expected.value_2 = 2;
  expected.value_3 = 3;
  expected.name = "c";
  expected.times_of_day = {{10, true, "ab"}, {11, false, "xyz"}};
  expected.name_list = {"", "q"};
  expected.seasons = {{20, "wint"}};
  expect_layout(
      [](uint8_t pad) {
        ByteWriter w;
        w.f64(1.5);
        w.u32(1);
        w.u32(2);
        w.u32(3);
        name(w, "c", pad);
        w.u32(2);
        w.u32(10);
        w.u32(1);
        name(w, "ab", pad);
        w.u32(11);
        w.u32(0);
        name(w, "xyz", pad);
        w.u32(2);
        name(w, "", pad);
        name(w, "q", pad);
        w.u32(1);
        w.u32(20);
        name(w, "wint", pad);
        return w.take();
      },
      expected);
}

TEST(GameTime, TimeOfDayFlagIsAnyNonzeroWord) {
  for (auto [stored, flag] : {std::pair{0u, false}, {1u, true}, {2u, true}, {0x80000000u, true}}) {
    ByteWriter w;
    w.u32(5);
    w.u32(stored);
    w.pstring("ab");
    Reader r(w.data());
    auto time_of_day = TimeOfDay::unpack(r);
    ASSERT_TRUE(time_of_day);
    EXPECT_EQ(time_of_day->flag, flag) << stored;
  }
}

TEST(SkyDesc, LayoutWithDayGroupAndSkyTimes) {
  SkyTimeOfDay sky_time;
  for (uint32_t i = 0; i < 11; ++i) sky_time.values[i] = 11 + i;
  sky_time.entries = {{31, 32, 33, 34, 35, 36}, {41, 42, 43, 44, 45, 46}};
  SkyDesc expected{-2.5, 7.75, {{100, "dusk", {{1, 2, 3, 4, 5, 6, 7, 8, 9}}, {sky_time}}}};
  expect_layout(
      [&](uint8_t pad) {
        ByteWriter w;
        w.f64(-2.5);
        w.f64(7.75);
        w.u32(1);
        w.u32(100);
        name(w, "dusk", pad);  // ends 2 past a multiple of 4
        w.u32(1);
        for (uint32_t v = 1; v <= 9; ++v) w.u32(v);
        w.u32(1);
        for (uint32_t v : sky_time.values) w.u32(v);
        w.u32(2);
        for (const auto& entry : sky_time.entries) {
          for (uint32_t v : entry) w.u32(v);
        }
        return w.take();
      },
      expected);
}

TEST(SoundDesc, OneAmbientWithThreeEntriesIs72Bytes) {
  SoundDesc expected{{{5, {{1, 2, 3, 4, 5}, {6, 7, 8, 9, 10}, {11, 12, 13, 14, 15}}}}};
  expect_layout(
      [](uint8_t) {
        ByteWriter w;
        w.u32(1);
        w.u32(5);
        w.u32(3);
        for (uint32_t v = 1; v <= 15; ++v) w.u32(v);
        EXPECT_EQ(w.size(), 72u);
        return w.take();
      },
      expected);
}

TEST(RegionMisc, IsSixWordsAndReadsNothingMore) {
  ByteWriter w;
  for (uint32_t v = 1; v <= 7; ++v) w.u32(v);
  Reader r(w.data());
  auto misc = RegionMisc::unpack(r);
  ASSERT_TRUE(misc);
  EXPECT_EQ(*misc, (RegionMisc{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(r.position(), 24u);
}

TEST(SceneDesc, LayoutWithEmptyScenesList) {
  SceneDesc expected{{{7, {0x12000001, 0x12000002}}, {8, {}}}};
  expect_layout(
      [](uint8_t) {
        ByteWriter w;
        w.u32(2);
        w.u32(7);
        w.u32(2);
        w.u32(0x12000001);
        w.u32(0x12000002);
        w.u32(8);
        w.u32(0);
        return w.take();
      },
      expected);
}

TEST(TerrainDesc, LayoutWithPaddingAfterTypeNamesAndEmptyLists) {
  TerrainDesc expected;
  expected.terrain_types = {{"g", 3, {1, 0}}, {"", 4, {}}};
  expected.desc_value_1 = 5;
  expected.desc_value_2 = 6;
  expected.pair_list_1 = {{7, 8}};
  expected.pair_list_3 = {{9, 10}, {11, 12}};
  expected.record_list = {{13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23}};
  expect_layout(
      [](uint8_t pad) {
        ByteWriter w;
        w.u32(2);
        name(w, "g", pad);
        w.u32(3);
        w.u32(2);
        w.u32(1);
        w.u32(0);
        name(w, "", pad);
        w.u32(4);
        w.u32(0);
        w.u32(5);
        w.u32(6);
        w.u32(1);
        w.u32(7);
        w.u32(8);
        w.u32(0);
        w.u32(2);
        for (uint32_t v = 9; v <= 12; ++v) w.u32(v);
        w.u32(1);
        for (uint32_t v = 13; v <= 23; ++v) w.u32(v);
        return w.take();
      },
      expected);
}

// A whole record laid out by hand, for every remainder of the region name's
// length: header, padding, land values and table, calendar, then the
// optional descriptors in the order sky, sound, scene, terrain, misc.
TEST(Region, LayoutForEveryNameAlignment) {
  const Region parts = full_region(1);
  for (size_t length = 0; length < 4; ++length) {
    SCOPED_TRACE(length);
    Region expected = parts;
    expected.id = 0x13000001;
    expected.header_value_1 = 7;
    expected.header_value_2 = 8;
    expected.name = std::string(length, 'n');
    expected.land_value_1 = -1;
    expected.land_value_2 = 2;
    expected.land_value_3 = 3.5f;
    expected.land_value_4 = 4;
    expected.land_value_5 = -5;
    expected.land_value_6 = 6.5f;
    expected.land_value_7 = 0xDEADBEEF;
    expected.land_value_8 = 8;
    for (int code = 0; code < 256; ++code) expected.land_height_table[code] = code * 0.5f;
    expected.parts_mask = 0x213;
    expect_layout(
        [&](uint8_t pad) {
          ByteWriter w;
          w.u32(0x13000001);
          w.u32(7);
          w.u32(8);
          name(w, expected.name, pad);
          w.i32(-1);
          w.i32(2);
          w.f32(3.5f);
          w.i32(4);
          w.i32(-5);
          w.f32(6.5f);
          w.u32(0xDEADBEEF);
          w.u32(8);
          for (int code = 0; code < 256; ++code) w.f32(code * 0.5f);
          writer::write(w, parts.game_time);
          w.u32(0x213);
          writer::write(w, *parts.sky_desc);
          writer::write(w, *parts.sound_desc);
          writer::write(w, *parts.scene_desc);
          writer::write(w, parts.terrain_desc);
          writer::write(w, *parts.region_misc);
          return w.take();
        },
        expected);
  }
}

// Each optional descriptor is present exactly when its bit is set; other
// bits change nothing but are kept.
TEST(Region, RoundTripsEveryMaskAndNameLength) {
  for (uint32_t mask : {0x000u, 0x001u, 0x002u, 0x010u, 0x200u, 0x213u, 0xFFFFFFFFu, 0xFDECu}) {
    for (size_t length = 0; length < 4; ++length) {
      SCOPED_TRACE(testing::Message() << "mask " << mask << " name length " << length);
      Region expected = full_region(length);
      expected.parts_mask = mask;
      if (!(mask & Region::kSkyBit)) expected.sky_desc.reset();
      if (!(mask & Region::kSoundBit)) expected.sound_desc.reset();
      if (!(mask & Region::kSceneBit)) expected.scene_desc.reset();
      if (!(mask & Region::kMiscBit)) expected.region_misc.reset();
      const auto bytes = encode(expected);
      Reader r(bytes);
      auto decoded = Region::unpack(r);
      ASSERT_TRUE(decoded) << decoded.error().text();
      EXPECT_EQ(*decoded, expected);
      EXPECT_EQ(r.position(), bytes.size());
    }
  }
}

TEST(Region, EndsAfterTheLastDescriptorItsMaskNames) {
  Region without_misc = full_region();
  without_misc.parts_mask &= ~Region::kMiscBit;
  without_misc.region_misc.reset();
  const auto ends_after_terrain = encode(without_misc);
  EXPECT_EQ(decode_error<Region>(ends_after_terrain), "decoded");

  // The same record claiming a misc descriptor it does not have.
  auto full = encode(full_region());
  std::vector<uint8_t> cut(full.begin(), full.end() - 24);
  EXPECT_EQ(decode_error<Region>(cut), "failed to fill whole buffer");

  // Trailing bytes are left unread.
  const size_t record_size = full.size();
  full.insert(full.end(), {1, 2, 3, 4, 5});
  Reader r(full);
  auto decoded = Region::unpack(r);
  ASSERT_TRUE(decoded);
  EXPECT_EQ(*decoded, full_region());
  EXPECT_EQ(r.position(), record_size);
}

// Cut anywhere, padding included, a record fails with the bare end-of-data
// error: no field context, no partial result.
TEST(Region, EveryTruncationFailsWithEndOfData) {
  const auto bytes = encode(full_region(1));
  for (size_t size = 0; size < bytes.size(); ++size) {
    Reader r(std::span<const uint8_t>(bytes).first(size));
    auto decoded = Region::unpack(r);
    ASSERT_FALSE(decoded) << size;
    EXPECT_EQ(decoded.error().kind(), common::BinReadError::Kind::Io) << size;
    EXPECT_EQ(decoded.error().text(), "failed to fill whole buffer") << size;
  }
}

// A count of 4 billion must end in the end-of-data error, not in an attempt
// to reserve storage for it.
TEST(Region, HugeDeclaredCountsFailWithEndOfData) {
  using Prefix = void (*)(ByteWriter&);
  struct Case {
    const char* list;
    std::string (*decode)(std::span<const uint8_t>);
    Prefix prefix;
  };
  const Case cases[] = {
      {"terrain_types", decode_error<TerrainDesc>, [](ByteWriter&) {}},
      {"TerrainType scene_types", decode_error<TerrainDesc>,
       [](ByteWriter& w) {
         w.u32(1);
         name(w, "", 0);
         w.u32(0);
       }},
      {"pair_list_1", decode_error<TerrainDesc>,
       [](ByteWriter& w) {
         w.u32(0);
         w.u32(0);
         w.u32(0);
       }},
      {"record_list", decode_error<TerrainDesc>,
       [](ByteWriter& w) {
         for (int i = 0; i < 6; ++i) w.u32(0);
       }},
      {"scene_types", decode_error<SceneDesc>, [](ByteWriter&) {}},
      {"scenes", decode_error<SceneDesc>,
       [](ByteWriter& w) {
         w.u32(1);
         w.u32(0);
       }},
      {"ambient_descs", decode_error<SoundDesc>, [](ByteWriter&) {}},
      {"AmbientSTBDesc entries", decode_error<SoundDesc>,
       [](ByteWriter& w) {
         w.u32(1);
         w.u32(0);
       }},
      {"day_groups", decode_error<SkyDesc>,
       [](ByteWriter& w) {
         w.f64(0);
         w.f64(0);
       }},
      {"DayGroup entries", decode_error<SkyDesc>,
       [](ByteWriter& w) {
         w.f64(0);
         w.f64(0);
         w.u32(1);
         w.u32(0);
         name(w, "", 0);
       }},
      {"sky_times", decode_error<DayGroup>,
       [](ByteWriter& w) {
         w.u32(0);
         name(w, "", 0);
         w.u32(0);
       }},
      {"SkyTimeOfDay entries", decode_error<SkyTimeOfDay>,
       [](ByteWriter& w) {
         for (int i = 0; i < 11; ++i) w.u32(0);
       }},
      {"times_of_day", decode_error<GameTime>, calendar_head},
      {"name_list", decode_error<GameTime>,
       [](ByteWriter& w) {
         calendar_head(w);
         w.u32(0);
       }},
      {"seasons", decode_error<GameTime>,
       [](ByteWriter& w) {
         calendar_head(w);
         w.u32(0);
         w.u32(0);
       }},
  };
  for (const Case& c : cases) {
    ByteWriter w;
    c.prefix(w);
    w.u32(0xFFFFFFFF);
    w.zeros(64);
    EXPECT_EQ(c.decode(w.data()), "failed to fill whole buffer") << c.list;
  }
}

TEST(MinimalRegion, DecodesToItselfWithSceneDescExactlyWhenGiven) {
  const Region bare = writer::minimal_region();
  EXPECT_EQ(bare.parts_mask, 0u);
  EXPECT_EQ(bare.land_height_table[255], 510.0f);

  const Region with_scenes = writer::minimal_region(
      {{"grass", 0, {0, 1}}}, SceneDesc{{{0, {0x12000001}}, {0, {}}}});
  EXPECT_EQ(with_scenes.parts_mask, Region::kSceneBit);

  for (const Region& region : {bare, with_scenes}) {
    const auto bytes = encode(region);
    Reader r(bytes);
    auto decoded = Region::unpack(r);
    ASSERT_TRUE(decoded) << decoded.error().text();
    EXPECT_EQ(*decoded, region);
  }
}

}  // namespace
}  // namespace torvanel::dat
