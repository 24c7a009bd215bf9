#include "torvanel/dat/database.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include <fmt/format.h>

#include "torvanel/writer/archive_writer.hpp"

namespace torvanel::dat {
namespace {

using writer::ArchiveWriter;
using writer::ChainLayout;
using writer::put_u32;
using writer::RawNode;
using Bytes = std::vector<uint8_t>;

constexpr uint64_t kRootOffsetField = 0x160;
constexpr uint64_t kBlockSizeField = 0x144;

auto fields(const DatFileEntry& e) {
  return std::tuple(e.bit_flags, e.id, e.offset, e.size, e.timestamp, e.version);
}

// Bytes that differ from record to record and compress well when asked to.
Bytes record_bytes(std::mt19937& rng, size_t size, bool compressible) {
  Bytes out(size);
  for (auto& b : out) b = static_cast<uint8_t>(compressible ? 'a' + rng() % 3 : rng());
  return out;
}

// A listed id whose record is empty.
DatFileEntry entry(uint32_t id, uint32_t version = 0) {
  return DatFileEntry{.id = id, .version = version};
}

std::set<uint32_t> ids_of(const DatDatabase& db) {
  std::set<uint32_t> ids;
  for (const auto& [id, e] : db.entries()) ids.insert(id);
  return ids;
}

TEST(DatDatabase, RoundTripsRecordsThroughMultiLevelDirectories) {
  struct Config {
    uint32_t block_size;
    writer::DirectoryOptions directory;
    int records;
  };
  const Config configs[] = {
      {256, {.node_capacity = 61, .layout = ChainLayout::Contiguous}, 3000},
      {1024, {.node_capacity = 3, .layout = ChainLayout::Scattered}, 600},
      {64, {.node_capacity = 61, .layout = ChainLayout::OverLong}, 300},
  };
  for (const Config& config : configs) {
    SCOPED_TRACE(fmt::format("block size {}, node capacity {}", config.block_size,
                             config.directory.node_capacity));
    std::mt19937 rng(config.block_size);
    std::vector<uint32_t> ids(config.records);
    for (int i = 0; i < config.records; ++i) ids[i] = 0x01000000 + 7 * i;
    std::shuffle(ids.begin(), ids.end(), rng);

    ArchiveWriter w(config.block_size, config.directory);
    std::vector<std::pair<DatFileEntry, Bytes>> stored;
    for (int i = 0; i < config.records; ++i) {
      const bool compress = i % 3 == 0;
      const size_t size = i % 50 == 0 ? 20000 : rng() % 3000;
      Bytes data = record_bytes(rng, size, compress);
      const writer::RecordOptions options{
          .compress = compress,
          .bit_flags = static_cast<uint32_t>(i % 5) << 4,
          .timestamp = static_cast<uint32_t>(rng()),
          .version = static_cast<uint32_t>(i),
          .layout = static_cast<ChainLayout>(i % 3),
      };
      stored.emplace_back(w.add(ids[i], data, options), std::move(data));
    }
    const Bytes image = std::move(w).finish();

    auto db = writer::open_image(image);
    ASSERT_TRUE(db) << db.error().text();
    const uint32_t root = db->header().root_offset;
    uint32_t first_branch;
    std::memcpy(&first_branch, image.data() + root + 4, 4);
    EXPECT_NE(first_branch, 0u) << "root is a leaf";

    ASSERT_EQ(db->entries().size(), stored.size());
    for (const auto& [listed, data] : stored) {
      auto found = db->entries().find(listed.id);
      ASSERT_NE(found, db->entries().end());
      EXPECT_EQ(fields(found->second), fields(listed));
      auto bytes = db->get_file(listed.id);
      ASSERT_TRUE(bytes) << bytes.error().text();
      EXPECT_EQ(*bytes, data) << fmt::format("{:08X}", listed.id);
    }
    EXPECT_FALSE(db->get_file(0x01000001));
  }
}

TEST(DatDatabase, LeafRootAndMissingIds) {
  ArchiveWriter w;
  w.add(0x13000000, Bytes{1, 2, 3});
  w.add(0x01000001, Bytes{4, 5});
  auto db = writer::open_image(std::move(w).finish());
  ASSERT_TRUE(db) << db.error().text();

  EXPECT_EQ(ids_of(*db), (std::set<uint32_t>{0x01000001, 0x13000000}));
  EXPECT_EQ(*db->get_file(0x13000000), (Bytes{1, 2, 3}));
  EXPECT_EQ(*db->get_file(0x01000001), (Bytes{4, 5}));
  auto missing = db->get_file(0x2A);
  ASSERT_FALSE(missing);
  ASSERT_NE(missing.error().get<DatError::NotFound>(), nullptr);
  EXPECT_EQ(missing.error().text(), "File ID 0000002A not found in provider");
}

TEST(DatDatabase, KeepsTheHeaderAsReadAndRootZeroIsAnEmptyDirectory) {
  ArchiveWriter w;
  w.add(0x13000000, Bytes{1});
  DatHeader& h = w.header();
  h.magic = 0x11;
  h.dataset = 0x33;
  h.subset = 0x44;
  h.free_head = 0x55;
  h.free_tail = 0x66;
  h.free_count = 0x77;
  h.new_lru = 0x88;
  h.old_lru = 0x99;
  h.use_lru = 0xAA;
  h.master_map_id = 0xBB;
  h.engine_version = 0xCC;
  h.game_version = 0xDD;
  for (size_t i = 0; i < 16; ++i) h.version_string[i] = static_cast<uint8_t>(0xF0 + i);
  h.version_minor = 0xEE;
  const DatHeader expected = h;
  w.set_root(0);
  const Bytes image = std::move(w).finish();

  auto db = writer::open_image(image);
  ASSERT_TRUE(db) << db.error().text();
  const DatHeader& got = db->header();
  EXPECT_EQ(std::tuple(got.magic, got.block_size, got.file_size, got.dataset, got.subset,
                       got.free_head, got.free_tail, got.free_count, got.root_offset, got.new_lru,
                       got.old_lru, got.use_lru, got.master_map_id, got.engine_version,
                       got.game_version, got.version_string, got.version_minor),
            std::tuple(expected.magic, 1024u, static_cast<uint32_t>(image.size()),
                       expected.dataset, expected.subset, expected.free_head, expected.free_tail,
                       expected.free_count, 0u, expected.new_lru, expected.old_lru,
                       expected.use_lru, expected.master_map_id, expected.engine_version,
                       expected.game_version, expected.version_string, expected.version_minor));
  EXPECT_TRUE(db->entries().empty());
  EXPECT_FALSE(db->get_file(0x13000000));
}

// A root over 62 one-entry leaves (leaf j holds id 0x1000 + j): which
// children the walk reads depends on the root's entry count and branches.
TEST(DatDatabase, InnerNodeReadsChildrenZeroToCountSkippingZeroBranches) {
  struct Case {
    const char* name;
    uint32_t count;
    std::vector<int> branches;  // nonzero branch indices
    std::vector<int> read;      // children expected to be read
  };
  std::vector<int> all(62);
  for (int j = 0; j < 62; ++j) all[j] = j;
  const Case cases[] = {
      {"children beyond the count are ignored", 2, {0, 1, 2, 3}, {0, 1, 2}},
      {"a zero branch is skipped, the next still read", 2, {0, 2, 3}, {0, 2}},
      {"no entries, one child", 0, {0, 1}, {0}},
      {"a full node has 62 children", 61, all, all},
      {"a zero first branch makes a leaf", 2, {1, 2}, {}},
  };
  for (const Case& c : cases) {
    ArchiveWriter w;
    RawNode root;
    for (int j : c.branches) {
      root.branches[j] = w.write_node({.entries = {entry(0x1000 + j)}});
    }
    for (uint32_t i = 0; i < c.count; ++i) root.entries.push_back(entry(0x100 + i));
    w.set_root(w.write_node(root));
    auto db = writer::open_image(std::move(w).finish());
    ASSERT_TRUE(db) << c.name << ": " << db.error().text();

    std::set<uint32_t> expected;
    for (uint32_t i = 0; i < c.count; ++i) expected.insert(0x100 + i);
    for (int j : c.read) expected.insert(0x1000 + j);
    EXPECT_EQ(ids_of(*db), expected) << c.name;
  }
}

TEST(DatDatabase, LaterEntriesInWalkOrderWin) {
  ArchiveWriter w;
  const DatFileEntry in_root = w.add(7, Bytes{'r', 'o', 'o', 't'}, {.version = 1});
  const DatFileEntry in_child = w.add(7, Bytes{'c', 'h', 'i', 'l', 'd'}, {.version = 2});
  const uint32_t left = w.write_node({.entries = {entry(9, 1), in_child}});
  const uint32_t right = w.write_node({.entries = {entry(9, 3)}});
  RawNode root{.entries = {in_root, entry(8)}};
  root.branches[0] = left;
  root.branches[2] = right;
  w.set_root(w.write_node(root));
  auto db = writer::open_image(std::move(w).finish());
  ASSERT_TRUE(db) << db.error().text();

  EXPECT_EQ(db->entries().at(7).version, 2u);
  EXPECT_EQ(*db->get_file(7), (Bytes{'c', 'h', 'i', 'l', 'd'}));
  EXPECT_EQ(db->entries().at(9).version, 3u);
}

TEST(DatDatabase, GathersChainsBlockByBlockAndLastBlocksWhole) {
  std::mt19937 rng(3);
  struct Case {
    const char* name;
    size_t size;
    ChainLayout layout;
  };
  const Case cases[] = {
      {"two blocks apart: 1020 bytes, then 980", 2000, ChainLayout::Scattered},
      {"one block whose pointer is 0 holds all 2000 bytes", 2000, ChainLayout::OverLong},
      {"one linked block, then 1980 bytes after the last pointer", 3000, ChainLayout::OverLong},
      {"many blocks apart", 50000, ChainLayout::Scattered},
      {"payload exactly fills its blocks", 2040, ChainLayout::Contiguous},
  };
  ArchiveWriter w(1024);
  std::vector<std::pair<DatFileEntry, Bytes>> stored;
  for (const Case& c : cases) {
    Bytes data = record_bytes(rng, c.size, false);
    stored.emplace_back(w.add(static_cast<uint32_t>(stored.size() + 1), data, {.layout = c.layout}),
                        std::move(data));
  }
  Bytes image = std::move(w).finish();

  uint32_t first_pointer;
  std::memcpy(&first_pointer, image.data() + stored[1].first.offset, 4);
  ASSERT_EQ(first_pointer, 0u);
  // The exactly filled chain's last pointer leads nowhere; it is never
  // followed because the size is reached before it.
  put_u32(image, stored[4].first.offset + 1024, 0xFFFFFFF0);

  auto db = writer::open_image(image);
  ASSERT_TRUE(db) << db.error().text();
  for (size_t i = 0; i < stored.size(); ++i) {
    auto bytes = db->get_file(stored[i].first.id);
    ASSERT_TRUE(bytes) << cases[i].name << ": " << bytes.error().text();
    EXPECT_EQ(*bytes, stored[i].second) << cases[i].name;
  }
}

TEST(DatDatabase, SizeZeroReadsNothing) {
  ArchiveWriter w;
  w.add_entry({.id = 1, .offset = 0xFFFFFF00, .size = 0});
  w.add_entry({.bit_flags = 1, .id = 2, .offset = 0xFFFFFF00, .size = 0});
  auto db = writer::open_image(std::move(w).finish());
  ASSERT_TRUE(db) << db.error().text();
  for (uint32_t id : {1u, 2u}) {
    auto bytes = db->get_file(id);
    ASSERT_TRUE(bytes) << bytes.error().text();
    EXPECT_TRUE(bytes->empty());
  }
}

TEST(DatDatabase, ChainsTheFileCannotSupplyFailWithIoAndLeaveTheDatabaseUsable) {
  ArchiveWriter w(1024);
  const DatFileEntry good = w.add(1, Bytes(3000, 0x5A));
  const DatFileEntry top_bit = w.add(2, Bytes(3000, 0x11));
  // The root node comes last, as two blocks; its second block ends the file.
  const uint32_t root = w.end_offset();
  w.set_root(w.write_node({.entries = {
                               good,
                               top_bit,
                               {.id = 10, .offset = root + 8192, .size = 10},
                               {.id = 11, .offset = good.offset, .size = 0xFFFFFF00},
                               {.bit_flags = 1, .id = 12, .offset = good.offset, .size = 0xFFFFFF00},
                               {.id = 13, .offset = root + 1024, .size = 1500},
                           }}));
  Bytes image = std::move(w).finish();
  ASSERT_EQ(image.size(), root + 2048u);
  // A next pointer is an offset as stored: the top bit is no flag.
  put_u32(image, top_bit.offset, 0x80000000u | (top_bit.offset + 1024));

  auto db = writer::open_image(image);
  ASSERT_TRUE(db) << db.error().text();
  for (uint32_t id : {2u, 10u, 11u, 12u, 13u}) {
    auto bytes = db->get_file(id);
    ASSERT_FALSE(bytes) << id;
    ASSERT_NE(bytes.error().get<DatError::Io>(), nullptr) << bytes.error().debug();
    EXPECT_EQ(bytes.error().text(), "IO error: failed to fill whole buffer") << id;
    EXPECT_EQ(*db->get_file(1), Bytes(3000, 0x5A));
  }
}

TEST(DatDatabase, HeaderCutShortNamesTheFirstMissingField) {
  struct Case {
    size_t length;
    const char* context;
    const char* cause;
  };
  const Case cases[] = {
      {0, "While parsing field 'magic' in DatHeader", "failed to fill whole buffer"},
      {0x146, "While parsing field 'block_size' in DatHeader", "failed to fill whole buffer"},
      {0x163, "While parsing field 'root_offset' in DatHeader", "failed to fill whole buffer"},
      {0x181, "While parsing field 'version_string' in DatHeader", "not enough bytes in reader"},
      {0x18F, "While parsing field 'version_minor' in DatHeader", "failed to fill whole buffer"},
  };
  ArchiveWriter w;
  w.add(1, Bytes{1});
  Bytes image = std::move(w).finish();
  for (const Case& c : cases) {
    auto db = writer::open_image(std::span(image).first(c.length));
    ASSERT_FALSE(db) << c.length;
    auto* read = db.error().get<DatError::BinRead>();
    ASSERT_NE(read, nullptr) << db.error().debug();
    EXPECT_EQ(read->error.message(), c.cause) << c.length;
    EXPECT_EQ(read->error.contexts(), std::vector<std::string>{c.context}) << c.length;
  }
}

TEST(DatDatabase, EntryCountAbove61RunsOffTheNode) {
  ArchiveWriter w;
  RawNode root{.count = 62};
  for (uint32_t i = 0; i < 61; ++i) root.entries.push_back(entry(i + 1));
  w.set_root(w.write_node(root));
  auto db = writer::open_image(std::move(w).finish());
  ASSERT_FALSE(db);
  auto* read = db.error().get<DatError::BinRead>();
  ASSERT_NE(read, nullptr) << db.error().debug();
  EXPECT_EQ(read->error.message(), "failed to fill whole buffer");
  EXPECT_EQ(read->error.contexts(),
            std::vector<std::string>{"While parsing field 'bit_flags' in DatFileEntry"});
}

size_t open_descriptors() {
  return static_cast<size_t>(std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                                           std::filesystem::directory_iterator{}));
}

TEST(DatDatabase, CorruptDirectoriesFailTheOpen) {
  struct Case {
    const char* name;
    // Builds the hostile archive; returns the offset named in the expected
    // text, if any.
    std::function<uint32_t(ArchiveWriter&)> build;
    std::function<void(Bytes&)> edit;
    std::string expected;
  };
  auto inner = [](std::initializer_list<uint32_t> children) {
    RawNode node;
    size_t j = 0;
    for (uint32_t child : children) node.branches[j++] = child;
    node.entries.assign(children.size() - 1, entry(0));
    return node;
  };
  const Case cases[] = {
      {"root beyond the end",
       [](ArchiveWriter& w) { w.set_root(w.end_offset() + 8192); return 0u; }, {},
       "IO error: failed to fill whole buffer"},
      {"branch beyond the end",
       [&](ArchiveWriter& w) {
         w.set_root(w.write_node(inner({w.write_node({}), w.end_offset() + 8192})));
         return 0u;
       },
       {}, "IO error: failed to fill whole buffer"},
      {"node that is its own child",
       [&](ArchiveWriter& w) {
         const uint32_t self = w.end_offset();
         w.set_root(w.write_node(inner({self})));
         return self;
       },
       {}, "Corruption detected: directory node at 0x{:08X} is reached twice"},
      {"two nodes in a cycle",
       [&](ArchiveWriter& w) {
         const uint32_t first = w.end_offset();
         // Each node takes two blocks: the second node follows at +2048.
         w.write_node(inner({first + 2048}));
         w.set_root(w.write_node(inner({first})));
         return first + 2048;
       },
       {}, "Corruption detected: directory node at 0x{:08X} is reached twice"},
      {"subtree shared by two branches",
       [&](ArchiveWriter& w) {
         const uint32_t leaf = w.write_node({.entries = {entry(1)}});
         w.set_root(w.write_node(inner({leaf, leaf})));
         return leaf;
       },
       {}, "Corruption detected: directory node at 0x{:08X} is reached twice"},
      {"block size 4", [](ArchiveWriter&) { return 0u; },
       [](Bytes& image) { put_u32(image, kBlockSizeField, 4); },
       "Corruption detected: block size 4 leaves no room for block payload"},
      {"block size 0 with an empty directory", [](ArchiveWriter&) { return 0u; },
       [](Bytes& image) {
         put_u32(image, kBlockSizeField, 0);
         put_u32(image, kRootOffsetField, 0);
       },
       "Corruption detected: block size 0 leaves no room for block payload"},
  };
  const size_t descriptors = open_descriptors();
  for (const Case& c : cases) {
    ArchiveWriter w(1024);
    w.add(1, Bytes{1, 2, 3});
    const uint32_t named = c.build(w);
    Bytes image = std::move(w).finish();
    if (c.edit) c.edit(image);
    auto db = writer::open_image(image);
    ASSERT_FALSE(db) << c.name;
    EXPECT_EQ(db.error().text(), fmt::format(fmt::runtime(c.expected), named)) << c.name;
  }
  EXPECT_EQ(open_descriptors(), descriptors) << "a failed open leaves its file open";
}

// A chain of nested nodes far deeper than any real directory: the walk
// needs no call stack for it, and each deeper node's entry for id 7 wins.
TEST(DatDatabase, WalksDeepDirectoriesInDepthFirstOrder) {
  constexpr uint32_t kDepth = 10000;
  ArchiveWriter w(ArchiveWriter::kNodeSize + 4);  // one block per node
  uint32_t below = 0;
  for (uint32_t level = kDepth; level-- > 0;) {
    RawNode node{.entries = {entry(7, level), entry(0x10000 + level)}};
    node.branches[0] = below;  // children 1 and 2 are zero
    below = w.write_node(node);
  }
  w.set_root(below);
  auto db = writer::open_image(std::move(w).finish());
  ASSERT_TRUE(db) << db.error().text();
  EXPECT_EQ(db->entries().size(), kDepth + 1);
  EXPECT_EQ(db->entries().at(7).version, kDepth - 1);
}

TEST(DatDatabase, MissingFileIsAPathError) {
  const std::filesystem::path path = "no-such-directory/client_portal.dat";
  auto db = DatDatabase::open(path);
  ASSERT_FALSE(db);
  auto* error = db.error().get<DatError::PathError>();
  ASSERT_NE(error, nullptr) << db.error().debug();
  EXPECT_EQ(error->path, path);
  EXPECT_EQ(db.error().text(),
            "Failed to open file at no-such-directory/client_portal.dat: No such file or directory");
}

}  // namespace
}  // namespace torvanel::dat
