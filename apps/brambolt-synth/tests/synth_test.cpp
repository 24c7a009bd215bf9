// The synthetic world as the bake reads it: deterministic archives that
// open, hold every listed landblock, reference only what exists (apart
// from the deliberate gaps) and pass the pre-flight's id rule.
#include <fmt/format.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "caches.hpp"
#include "catalog.hpp"
#include "landblock_spec.hpp"
#include "preflight.hpp"
#include "scratch_dir.hpp"
#include "synth.hpp"
#include "torvanel/dat/database.hpp"
#include "torvanel/dat/landblock.hpp"

namespace torvanel::synth {
namespace {

namespace fs = std::filesystem;
using dat::DatDatabase;

constexpr uint32_t terrain_id(uint16_t lb) { return uint32_t{lb} << 16 | 0xFFFF; }
constexpr uint32_t objects_id(uint16_t lb) { return uint32_t{lb} << 16 | 0xFFFE; }

std::vector<uint16_t> rectangle(const char* spec) {
  auto landblocks = tools::parse_landblock_spec(spec);
  EXPECT_TRUE(landblocks) << spec;
  return landblocks.value_or(std::vector<uint16_t>{});
}

SynthSummary write_world(const SynthOptions& options) {
  Progress quiet(false);
  auto summary = synthesize(options, quiet);
  EXPECT_TRUE(summary) << (summary ? "" : summary.error().report());
  return summary.value_or(SynthSummary{});
}

std::string slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

std::optional<DatDatabase> open(const fs::path& path) {
  auto db = DatDatabase::open(path);
  if (!db) return std::nullopt;
  return std::move(*db);
}

std::vector<uint8_t> fetch(const DatDatabase& db, uint32_t id) {
  auto bytes = db.get_file(id);
  EXPECT_TRUE(bytes) << std::hex << id;
  return bytes.value_or(std::vector<uint8_t>{});
}

bool deliberately_missing(uint32_t id) {
  return (id >= kMissingGfxIds && id < kMissingGfxIds + 0x100) ||
         (id >= kMissingSetupIds && id < kMissingSetupIds + 0x100);
}

TEST(Synthesize, SameSeedSameBytesOtherSeedOtherBytes) {
  ScratchDir tmp;
  const std::vector<uint16_t> lbs{0xA9B4, 0xA9B5};
  write_world({.out = tmp / "a", .seed = 7, .landblocks = lbs});
  write_world({.out = tmp / "b", .seed = 7, .landblocks = lbs});
  write_world({.out = tmp / "c", .seed = 8, .landblocks = lbs});
  for (const char* file : {kPortalFile, kCellFile, kLocalFile}) {
    const std::string a = slurp(tmp / "a" / file);
    EXPECT_FALSE(a.empty()) << file;
    EXPECT_EQ(a, slurp(tmp / "b" / file)) << file;
    EXPECT_NE(a, slurp(tmp / "c" / file)) << file;
  }
}

TEST(Synthesize, EveryListedLandblockHasItsTerrainRecord) {
  ScratchDir tmp;
  std::vector<uint16_t> lbs = rectangle("0xA9B4..0xABB6");
  lbs.push_back(0xA9B4);  // listed twice, written once
  const SynthSummary summary = write_world({.out = tmp.path(), .seed = 3, .landblocks = lbs});
  EXPECT_EQ(summary.landblocks, 9u);

  const auto cell_db = open(tmp / kCellFile);
  ASSERT_TRUE(cell_db) << tmp / kCellFile;
  const DatDatabase& cell = *cell_db;
  size_t terrain_records = 0;
  for (const auto& [id, entry] : cell.entries()) {
    ASSERT_TRUE((id & 0xFFFF) == 0xFFFF || (id & 0xFFFF) == 0xFFFE) << std::hex << id;
    terrain_records += (id & 0xFFFF) == 0xFFFF;
  }
  EXPECT_EQ(terrain_records, 9u);
  for (uint16_t lb : rectangle("0xA9B4..0xABB6")) {
    auto terrain = dat::CellLandblock::unpack(fetch(cell, terrain_id(lb)));
    ASSERT_TRUE(terrain) << std::hex << lb;
    EXPECT_EQ(terrain->id, terrain_id(lb));
    const bool has_objects = cell.entries().contains(objects_id(lb));
    EXPECT_EQ(terrain->has_objects, has_objects ? 1u : 0u);
    if (has_objects) {
      EXPECT_TRUE(dat::LandblockInfo::unpack(fetch(cell, objects_id(lb))));
    }
  }
}

// The Region's tables lead only to scenes that exist; their object
// templates come in every kind the bake treats differently, and name
// models with tens of vertices, apart from the few deliberately missing.
TEST(Synthesize, RegionScenesAndModelsHangTogether) {
  ScratchDir tmp;
  write_world({.out = tmp.path(), .seed = 5, .landblocks = rectangle("0xA9B4..0xB0BB")});
  const auto portal_db = open(tmp / kPortalFile);
  ASSERT_TRUE(portal_db) << tmp / kPortalFile;
  const DatDatabase& portal = *portal_db;
  const auto cell_db = open(tmp / kCellFile);
  ASSERT_TRUE(cell_db) << tmp / kCellFile;
  const DatDatabase& cell = *cell_db;

  const std::vector<uint8_t> bytes = fetch(portal, kRegionId);
  common::Reader reader(bytes);
  auto region = dat::Region::unpack(reader);
  ASSERT_TRUE(region);
  ASSERT_TRUE(region->scene_desc);
  const auto& scene_types = region->scene_desc->scene_types;
  tools::SceneCache scenes;
  tools::MeshCache meshes;
  std::set<uint32_t> referenced;
  for (const auto& terrain_type : region->terrain_desc.terrain_types) {
    for (uint32_t index : terrain_type.scene_types) {
      ASSERT_LT(index, scene_types.size()) << terrain_type.name;
      referenced.insert(scene_types[index].scenes.begin(), scene_types[index].scenes.end());
    }
  }
  EXPECT_GE(referenced.size(), 200u);

  struct Kinds {
    int gfx = 0, setup = 0, missing = 0, skipped = 0, rare = 0, displaced = 0, fixed_scale = 0,
        scale_range = 0, unturned = 0, slope_floor = 0;
  } seen;
  for (uint32_t id : referenced) {
    const dat::Scene* scene = scenes.lookup(portal, id);
    ASSERT_NE(scene, nullptr) << std::hex << id;
    ASSERT_FALSE(scene->objects.empty()) << std::hex << id;
    for (const dat::ObjectDesc& d : scene->objects) {
      const auto* mesh = meshes.lookup(portal, d.obj_id);
      if (deliberately_missing(d.obj_id)) {
        EXPECT_EQ(mesh, nullptr) << std::hex << d.obj_id;
        seen.missing += 1;
      } else {
        ASSERT_NE(mesh, nullptr) << std::hex << d.obj_id;
        EXPECT_GE(mesh->size(), 20u) << std::hex << d.obj_id;
        (d.obj_id >> 24 == 0x01 ? seen.gfx : seen.setup) += 1;
      }
      seen.skipped += d.skip_flag != 0;
      seen.rare += d.frequency < 0.05f;
      seen.displaced += d.displace_x > 0;
      (d.min_scale == d.max_scale ? seen.fixed_scale : seen.scale_range) += 1;
      seen.unturned += d.max_rotation == 0;
      seen.slope_floor += d.min_slope > 0;
    }
  }
  for (int count : {seen.gfx, seen.setup, seen.missing, seen.skipped, seen.rare, seen.displaced,
                    seen.fixed_scale, seen.scale_range, seen.unturned, seen.slope_floor}) {
    EXPECT_GT(count, 0);
  }

  // Buildings stand on models with a footprint, except the rare missing one.
  size_t buildings = 0;
  for (const auto& [id, entry] : cell.entries()) {
    if ((id & 0xFFFF) != 0xFFFE) continue;
    auto info = dat::LandblockInfo::unpack(fetch(cell, id));
    ASSERT_TRUE(info);
    for (const dat::BuildInfo& b : info->buildings) {
      buildings += 1;
      EXPECT_EQ(meshes.lookup(portal, b.model_id) == nullptr, deliberately_missing(b.model_id))
          << std::hex << b.model_id;
    }
  }
  EXPECT_GT(buildings, 5u);
}

// Gentle hills with roads and land that carries scenery.
TEST(Synthesize, TerrainLooksLikeLand) {
  ScratchDir tmp;
  const std::vector<uint16_t> lbs = rectangle("0xA9B4..0xB0BB");
  write_world({.out = tmp.path(), .seed = 1, .landblocks = lbs});
  const auto cell_db = open(tmp / kCellFile);
  ASSERT_TRUE(cell_db) << tmp / kCellFile;
  const DatDatabase& cell = *cell_db;
  int lowest = 255, highest = 0, steepest = 0, roads = 0, land = 0;
  for (uint16_t lb : lbs) {
    auto terrain = dat::CellLandblock::unpack(fetch(cell, terrain_id(lb)));
    ASSERT_TRUE(terrain);
    for (uint32_t i = 0; i < 81; ++i) {
      const int h = terrain->height[i];
      lowest = std::min(lowest, h);
      highest = std::max(highest, h);
      if (i % 9 < 8) steepest = std::max(steepest, std::abs(h - terrain->height[i + 1]));
      if (i < 72) steepest = std::max(steepest, std::abs(h - terrain->height[i + 9]));
      roads += (terrain->terrain[i] & 3) != 0;
      land += ((terrain->terrain[i] >> 2) & 0x1F) > 1;
    }
  }
  EXPECT_GE(highest - lowest, 10);
  EXPECT_LE(steepest, 8);
  EXPECT_GT(roads, 20);
  EXPECT_GT(land, 81 * 64 / 2);
}

// A landblock is the same whichever rectangle it is written with, and
// neighbours agree on the heights of the vertices they share.
TEST(Synthesize, LandblocksDependOnSeedAndIdAlone) {
  ScratchDir tmp;
  write_world({.out = tmp / "rect", .seed = 2, .landblocks = rectangle("0xA9B4..0xAAB5")});
  write_world({.out = tmp / "one", .seed = 2, .landblocks = {0xAAB5}});
  const auto rect_db = open(tmp / "rect" / kCellFile);
  ASSERT_TRUE(rect_db) << tmp / "rect" / kCellFile;
  const DatDatabase& rect = *rect_db;
  const auto one_db = open(tmp / "one" / kCellFile);
  ASSERT_TRUE(one_db) << tmp / "one" / kCellFile;
  const DatDatabase& one = *one_db;
  EXPECT_EQ(fetch(rect, terrain_id(0xAAB5)), fetch(one, terrain_id(0xAAB5)));
  EXPECT_EQ(rect.entries().contains(objects_id(0xAAB5)), one.entries().contains(objects_id(0xAAB5)));

  auto heights = [&](uint16_t lb) {
    return dat::CellLandblock::unpack(fetch(rect, terrain_id(lb))).value().height;
  };
  const auto base = heights(0xA9B4), east = heights(0xAAB4), north = heights(0xA9B5);
  for (uint32_t k = 0; k < 9; ++k) {
    EXPECT_EQ(base[8 * 9 + k], east[k]) << "row " << k;
    EXPECT_EQ(base[k * 9 + 8], north[k * 9]) << "column " << k;
  }
}

TEST(Synthesize, NoRecordIdIsModderAllocated) {
  ScratchDir tmp;
  // The world's corners, and the last column whose row-0xFE records sit
  // just below the refused range.
  write_world({.out = tmp.path(),
               .seed = 4,
               .landblocks = {0x0000, 0x00FE, 0x01FE, 0x78FE, 0xFE00, 0xFEFE},
               .min_portal_bytes = 1 << 20,
               .min_cell_bytes = 1 << 20,
               .min_local_bytes = 1 << 20});
  for (const char* file : {kPortalFile, kCellFile, kLocalFile}) {
    const auto db_db = open(tmp / file);
    ASSERT_TRUE(db_db) << tmp / file;
    const DatDatabase& db = *db_db;
    for (const auto& [id, entry] : db.entries()) {
      EXPECT_FALSE(tools::is_modder_allocated(id)) << file << " " << std::hex << id;
    }
  }
}

TEST(Synthesize, RefusesLandblocksOutsideTheWorldBeforeWriting) {
  for (uint16_t lb : {uint16_t{0x0AFF}, uint16_t{0xFF00}}) {
    ScratchDir tmp;
    Progress quiet(false);
    auto summary = synthesize({.out = tmp / "world", .landblocks = {0xA9B4, lb}}, quiet);
    ASSERT_FALSE(summary);
    EXPECT_EQ(summary.error().chain().front(),
              fmt::format("landblock 0x{:04X} lies outside the world: columns and rows run from "
                          "0x00 to 0xFE",
                          lb));
    EXPECT_FALSE(fs::exists(tmp / "world"));
  }
}

// An archive that cannot be put in place fails the run and leaves no
// half-written file behind.
TEST(Synthesize, FailedWriteLeavesNoPartialFile) {
  ScratchDir tmp;
  fs::create_directories(tmp / kCellFile / "occupied");
  Progress quiet(false);
  auto summary = synthesize({.out = tmp.path(), .landblocks = {0xA9B4}}, quiet);
  ASSERT_FALSE(summary);
  EXPECT_EQ(summary.error().chain().front(),
            fmt::format("rename {0}.partial to {0}", (tmp / kCellFile).string()));
  EXPECT_FALSE(fs::exists(tmp.path() / (std::string(kCellFile) + ".partial")));
  EXPECT_TRUE(fs::exists(tmp / kPortalFile));  // written before, and complete
}

// Filler records pad every archive to the size asked for; they are whole
// records that fetch, and every other record stays as it was.
TEST(Synthesize, PaddingAddsWholeRecordsAndChangesNothingElse) {
  ScratchDir tmp;
  const std::vector<uint16_t> lbs{0xA9B4, 0xA9B5, 0xAAB4};
  write_world({.out = tmp / "plain", .seed = 6, .landblocks = lbs});
  constexpr uint64_t kMin = 3 << 20;
  const SynthSummary padded = write_world({.out = tmp / "padded",
                                           .seed = 6,
                                           .landblocks = lbs,
                                           .min_portal_bytes = kMin,
                                           .min_cell_bytes = kMin,
                                           .min_local_bytes = kMin});
  for (size_t a = 0; a < 3; ++a) {
    const char* file = std::array{kPortalFile, kCellFile, kLocalFile}[a];
    const uint64_t size = fs::file_size(tmp / "padded" / file);
    EXPECT_GE(size, kMin) << file;
    EXPECT_LT(size, kMin + (1 << 20)) << file;
    EXPECT_EQ(size, padded.archives[a].bytes) << file;

    const auto plain_db = open(tmp / "plain" / file);
    ASSERT_TRUE(plain_db) << tmp / "plain" / file;
    const DatDatabase& plain = *plain_db;
    const auto pad_db = open(tmp / "padded" / file);
    ASSERT_TRUE(pad_db) << tmp / "padded" / file;
    const DatDatabase& pad = *pad_db;
    EXPECT_EQ(pad.header().file_size, size) << file;
    EXPECT_EQ(pad.entries().size(), plain.entries().size() + padded.archives[a].filler_records);
    for (const auto& [id, entry] : plain.entries()) {
      EXPECT_EQ(fetch(pad, id), fetch(plain, id)) << file << " " << std::hex << id;
    }
    for (const auto& [id, entry] : pad.entries()) {
      if (plain.entries().contains(id)) continue;
      EXPECT_EQ(fetch(pad, id).size(), entry.size) << file << " " << std::hex << id;
      EXPECT_EQ(entry.size, 64 * 1024 / pad.header().block_size * (pad.header().block_size - 4));
    }
  }
}

}  // namespace
}  // namespace torvanel::synth
