#include "torvanel/dat/landblock.hpp"

#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "torvanel/writer/byte_writer.hpp"
#include "torvanel/writer/encode_landblock.hpp"

namespace torvanel::dat {
namespace {

using Bytes = std::vector<uint8_t>;
using writer::ByteWriter;
using writer::encode;

constexpr const char* kEndOfData = "failed to fill whole buffer";
constexpr const char* kEndOfBlock = "not enough bytes in reader";

// A frame at (x, y) turned about the vertical axis by the quaternion (w, 0, 0, z).
Frame frame_at(float x, float y, float w, float z) {
  return Frame{{x, y, 1.5f}, {w, 0.0f, 0.0f, z}};
}

const BinReadError& bin_read(const DatError& error) {
  static const BinReadError none = BinReadError::custom("not a BinRead error", 0);
  auto* e = error.get<DatError::BinRead>();
  return e ? e->error : none;
}

CellLandblock sample_cell() {
  CellLandblock block;
  block.id = 0xA9B4FFFF;
  block.has_objects = 1;
  for (size_t i = 0; i < CellLandblock::kVertices; ++i) {
    block.terrain[i] = static_cast<uint16_t>(i * 0x0301);
    block.height[i] = static_cast<uint8_t>(255 - i);
  }
  return block;
}

// One object, one building with an odd and an even portal, and a
// restriction table: every branch of the static-object record.
LandblockInfo sample_info() {
  LandblockInfo info;
  info.id = 0xA9B4FFFE;
  info.num_cells = 6;
  info.objects = {Stab{0x01000ABC, frame_at(10, 20, 1.0f, 0.0f)}};
  info.pack_mask = 0x0003;
  BuildInfo building;
  building.model_id = 0x02000123;
  building.frame = frame_at(96, 48, 0.70710677f, 0.70710677f);
  building.num_leaves = 4;
  building.portals = {PortalInternal{0x0001, 0x0100, 0x0002, {0x0101, 0x0102, 0x0103}},
                      PortalInternal{0x0002, 0x0101, 0x0000, {0x0104, 0x0105}}};
  info.buildings = {building};
  info.restriction_tables =
      RestrictionTable{common::FlatMap<uint32_t, uint32_t>::from_entries({{7, 70}, {3, 30}})};
  return info;
}

// ---- terrain record -------------------------------------------------------

TEST(CellLandblock, RoundTripsAndKeepsItsOwnId) {
  const auto block = sample_cell();
  const Bytes bytes = encode(block);
  ASSERT_EQ(bytes.size(), 252u);
  auto decoded = CellLandblock::unpack(bytes);
  ASSERT_TRUE(decoded) << decoded.error().text();
  EXPECT_EQ(*decoded, block);
}

TEST(CellLandblock, TerrainWordsAreColumnMajor) {
  auto block = sample_cell();
  block.terrain[10] = 0x0845;
  auto decoded = CellLandblock::unpack(encode(block));
  ASSERT_TRUE(decoded);
  // Index 10 = column 1, row 1; road 1, terrain type 17, scene slot 1.
  const uint16_t word = decoded->terrain[1 * 9 + 1];
  EXPECT_EQ(word, 0x0845);
  EXPECT_EQ(word & 0x3, 1);
  EXPECT_EQ((word >> 2) & 0x1F, 17);
  EXPECT_EQ(word >> 11, 1);
}

TEST(CellLandblock, FinalPaddingByteIsSkippedNotRead) {
  const auto block = sample_cell();
  Bytes bytes = encode(block);
  bytes.resize(251);
  auto decoded = CellLandblock::unpack(bytes);
  ASSERT_TRUE(decoded) << decoded.error().text();
  EXPECT_EQ(*decoded, block);

  bytes.resize(250);
  auto cut = CellLandblock::unpack(bytes);
  ASSERT_FALSE(cut);
  EXPECT_EQ(bin_read(cut.error()).message(), kEndOfBlock);
  EXPECT_EQ(bin_read(cut.error()).contexts(),
            std::vector<std::string>{"While parsing field 'height' in CellLandblock"});
}

// ---- static-object record -------------------------------------------------

TEST(LandblockInfo, RoundTripsThroughEveryBranch) {
  auto no_table = sample_info();
  no_table.pack_mask = 0x0000;
  no_table.restriction_tables.reset();
  auto no_portals = sample_info();
  no_portals.buildings[0].portals.clear();
  auto empty_table = sample_info();
  empty_table.restriction_tables = RestrictionTable{};

  for (const auto& info : {sample_info(), no_table, no_portals, empty_table}) {
    auto decoded = LandblockInfo::unpack(encode(info));
    ASSERT_TRUE(decoded) << decoded.error().text();
    EXPECT_EQ(*decoded, info);
  }
}

TEST(LandblockInfo, EmptyRecordIsSixteenBytes) {
  LandblockInfo info;
  info.id = 0x1234FFFE;
  const Bytes bytes = encode(info);
  ASSERT_EQ(bytes.size(), 16u);
  auto decoded = LandblockInfo::unpack(bytes);
  ASSERT_TRUE(decoded);
  EXPECT_EQ(decoded->id, 0x1234FFFEu);
  EXPECT_TRUE(decoded->objects.empty());
  EXPECT_TRUE(decoded->buildings.empty());
  EXPECT_FALSE(decoded->restriction_tables);
}

TEST(LandblockInfo, OnlyBitZeroOfPackMaskAnnouncesTheTable) {
  LandblockInfo info;
  info.pack_mask = 0x0002;
  Bytes bytes = encode(info);
  // Bytes that would make a restriction table if they were read.
  bytes.insert(bytes.end(), {0x01, 0x00, 0x00, 0x00, 0x05, 0, 0, 0, 0x06, 0, 0, 0});
  auto decoded = LandblockInfo::unpack(bytes);
  ASSERT_TRUE(decoded);
  EXPECT_EQ(decoded->pack_mask, 0x0002);
  EXPECT_FALSE(decoded->restriction_tables);
}

TEST(LandblockInfo, PortalPaddingFollowsAnOddStabCount) {
  ByteWriter odd;
  writer::write(odd, PortalInternal{1, 2, 3, {4, 5, 6}});
  EXPECT_EQ(odd.size(), 16u);
  ByteWriter even;
  writer::write(even, PortalInternal{1, 2, 3, {4, 5}});
  EXPECT_EQ(even.size(), 12u);

  // The next portal starts 2 bytes after the last stab of an odd one.
  const Bytes bytes = encode(sample_info());
  constexpr size_t kSecondPortal = 48 + 40 + 16;
  EXPECT_EQ(bytes[kSecondPortal], 0x02);      // its flags
  EXPECT_EQ(bytes[kSecondPortal - 2], 0x00);  // padding
  EXPECT_EQ(bytes[kSecondPortal - 3], 0x01);  // high byte of stab 0x0103
}

TEST(LandblockInfo, OddPortalAtTheVeryEndNeedsNoPadding) {
  LandblockInfo info;
  BuildInfo building;
  building.portals = {PortalInternal{0, 0, 0, {9}}};
  info.buildings = {building};
  Bytes bytes = encode(info);
  bytes.resize(bytes.size() - 2);
  auto decoded = LandblockInfo::unpack(bytes);
  ASSERT_TRUE(decoded) << decoded.error().text();
  EXPECT_EQ(*decoded, info);
}

TEST(LandblockInfo, RepeatedRestrictionKeyKeepsTheLaterValue) {
  ByteWriter w;
  w.u32(0x1234FFFE);
  w.u32(0);
  w.u32(0);  // no objects
  w.u16(0);  // no buildings
  w.u16(0x0001);
  w.u16(3);
  w.u16(0xBEEF);  // bucket size, ignored
  for (auto [key, value] : {std::pair{5u, 50u}, {2u, 20u}, {5u, 55u}}) {
    w.u32(key);
    w.u32(value);
  }
  auto decoded = LandblockInfo::unpack(w.data());
  ASSERT_TRUE(decoded) << decoded.error().text();
  ASSERT_TRUE(decoded->restriction_tables);
  const auto& tables = decoded->restriction_tables->tables;
  EXPECT_EQ(tables.size(), 2u);
  ASSERT_TRUE(tables.find(5));
  EXPECT_EQ(*tables.find(5), 55u);
  EXPECT_EQ(*tables.find(2), 20u);
}

TEST(LandblockInfo, HugeCountsEndAtTheDataNotInAnAllocation) {
  const uint32_t max32 = std::numeric_limits<uint32_t>::max();
  struct Case {
    Bytes bytes;
    std::string outer;
  };
  ByteWriter objects;
  objects.u32(0);
  objects.u32(0);
  objects.u32(max32);
  ByteWriter portals;
  portals.u32(0);
  portals.u32(0);
  portals.u32(0);
  portals.u16(1);
  portals.u16(0);
  portals.zeros(36);
  portals.u32(max32);
  const Case cases[] = {
      {objects.take(), "While parsing field 'objects' in LandblockInfo"},
      {portals.take(), "While parsing field 'buildings' in LandblockInfo"},
  };
  for (const auto& c : cases) {
    auto decoded = LandblockInfo::unpack(c.bytes);
    ASSERT_FALSE(decoded);
    EXPECT_EQ(bin_read(decoded.error()).message(), kEndOfData);
    EXPECT_EQ(bin_read(decoded.error()).contexts().back(), c.outer);
  }
}

// ---- cut records ----------------------------------------------------------

// The wire layout of a record as leaf fields with the contexts a failure in
// each of them carries, innermost first. Built independently of the
// decoders, from the record formats.
class Layout {
 public:
  struct Leaf {
    size_t end;
    std::vector<std::string> contexts;
    std::string cause;
  };

  // A nested structure read as field `name` of `type`.
  void enter(const std::string& name, const std::string& type) {
    outer_.insert(outer_.begin(), context(name, type));
  }
  void leave() { outer_.erase(outer_.begin()); }

  void field(const std::string& name, const std::string& type, size_t size,
             std::string cause = kEndOfData) {
    pos_ += size;
    std::vector<std::string> contexts{context(name, type)};
    contexts.insert(contexts.end(), outer_.begin(), outer_.end());
    leaves_.push_back({pos_, std::move(contexts), std::move(cause)});
  }
  void padding(size_t size) { pos_ += size; }

  void frame(const std::string& name, const std::string& type) {
    enter(name, type);
    enter("origin", "Frame");
    for (const char* c : {"x", "y", "z"}) field(c, "Vector3", 4);
    leave();
    enter("orientation", "Frame");
    for (const char* c : {"w", "x", "y", "z"}) field(c, "Quaternion", 4);
    leave();
    leave();
  }

  size_t size() const { return pos_; }

  // The field a record cut to `length` bytes fails in; none if it decodes.
  const Leaf* failing_at(size_t length) const {
    for (const auto& leaf : leaves_) {
      if (leaf.end > length) return &leaf;
    }
    return nullptr;
  }

 private:
  static std::string context(const std::string& name, const std::string& type) {
    return "While parsing field '" + name + "' in " + type;
  }

  size_t pos_ = 0;
  std::vector<std::string> outer_;
  std::vector<Leaf> leaves_;
};

Layout sample_cell_layout() {
  Layout l;
  l.field("id", "CellLandblock", 4);
  l.field("has_objects", "CellLandblock", 4);
  l.field("terrain", "CellLandblock", 162);
  l.field("height", "CellLandblock", 81, kEndOfBlock);
  l.padding(1);
  return l;
}

Layout sample_info_layout() {
  Layout l;
  l.field("id", "LandblockInfo", 4);
  l.field("num_cells", "LandblockInfo", 4);
  l.field("num_objects", "LandblockInfo", 4);
  l.enter("objects", "LandblockInfo");
  l.field("id", "Stab", 4);
  l.frame("frame", "Stab");
  l.leave();
  l.field("num_buildings", "LandblockInfo", 2);
  l.field("pack_mask", "LandblockInfo", 2);
  l.enter("buildings", "LandblockInfo");
  l.field("model_id", "BuildInfo", 4);
  l.frame("frame", "BuildInfo");
  l.field("num_leaves", "BuildInfo", 4);
  l.field("num_portals", "BuildInfo", 4);
  l.enter("portals", "BuildInfo");
  for (size_t stabs : {3, 2}) {
    for (const char* f : {"flags", "other_cell_id", "other_portal_id", "num_stabs"}) {
      l.field(f, "PortalInternal", 2);
    }
    l.field("stab_list", "PortalInternal", 2 * stabs);
    l.padding(stabs % 2 * 2);
  }
  l.leave();
  l.leave();
  l.enter("restriction_tables", "LandblockInfo");
  l.field("count", "RestrictionTable", 2);
  l.field("_bucket_size", "RestrictionTable", 2);
  l.field("tables", "RestrictionTable", 2 * 8);
  l.leave();
  return l;
}

template <class Record>
void expect_clean_failures_when_cut(const Bytes& full, const Layout& layout) {
  ASSERT_EQ(full.size(), layout.size());
  for (size_t length = 0; length < full.size(); ++length) {
    SCOPED_TRACE(length);
    const Bytes cut(full.begin(), full.begin() + static_cast<ptrdiff_t>(length));
    auto decoded = Record::unpack(cut);
    const auto* leaf = layout.failing_at(length);
    if (!leaf) {
      EXPECT_TRUE(decoded);
      continue;
    }
    ASSERT_FALSE(decoded);
    const auto& error = bin_read(decoded.error());
    EXPECT_EQ(error.message(), leaf->cause);
    EXPECT_EQ(error.contexts(), leaf->contexts);
  }
}

TEST(CutRecord, TerrainRecordFailsInTheFieldItEndsIn) {
  expect_clean_failures_when_cut<CellLandblock>(encode(sample_cell()), sample_cell_layout());
}

TEST(CutRecord, StaticObjectRecordFailsInTheFieldItEndsIn) {
  expect_clean_failures_when_cut<LandblockInfo>(encode(sample_info()), sample_info_layout());
}

TEST(CutRecord, ErrorTextCarriesTheWholeChain) {
  Bytes bytes = encode(sample_info());
  bytes.resize(48 + 4 + 12 + 6);  // inside the building frame's orientation.x
  auto decoded = LandblockInfo::unpack(bytes);
  ASSERT_FALSE(decoded);
  EXPECT_EQ(decoded.error().text(),
            "Binary read error: failed to fill whole buffer\n"
            "While parsing field 'x' in Quaternion\n"
            "While parsing field 'orientation' in Frame\n"
            "While parsing field 'frame' in BuildInfo\n"
            "While parsing field 'buildings' in LandblockInfo");
}

}  // namespace
}  // namespace torvanel::dat
