#include "synth.hpp"

#include <string>

#include <fmt/format.h>

#include "catalog.hpp"
#include "landscape.hpp"
#include "rng.hpp"
#include "torvanel/common/try.hpp"
#include "torvanel/writer/encode_gfx_obj.hpp"
#include "torvanel/writer/encode_landblock.hpp"
#include "torvanel/writer/encode_region.hpp"
#include "torvanel/writer/encode_scene.hpp"
#include "torvanel/writer/encode_setup_model.hpp"

namespace torvanel::synth {
namespace {

namespace fs = std::filesystem;

// Block sizes of the three archives: a terrain record fills one 256-byte
// cell block exactly.
constexpr uint32_t kPortalBlockSize = 1024;
constexpr uint32_t kCellBlockSize = 256;
constexpr uint32_t kLocalBlockSize = 1024;

// Records of the local archive: a few string tables.
constexpr uint32_t kLocalIds = 0x23000001;
constexpr uint32_t kLocalRecords = 16;

// Filler ids, none of which the bake reads: textures in the portal
// archive, interior cells of landblock 0x0000 onward in the cell archive,
// and further tables in the local archive.
uint32_t portal_filler_id(uint64_t k) { return 0x06000000 + static_cast<uint32_t>(k); }
uint32_t cell_filler_id(uint64_t k) {
  return static_cast<uint32_t>(k / 0xF000) << 16 | static_cast<uint32_t>(0x0100 + k % 0xF000);
}
uint32_t local_filler_id(uint64_t k) { return 0x25000000 + static_cast<uint32_t>(k); }

ArchiveFile portal_archive(const Catalog& c) {
  ArchiveFile a(kPortalBlockSize, 1);
  a.add(c.region.id, writer::encode(c.region));
  for (const auto& scene : c.scenes) a.add(scene.id, writer::encode(scene));
  // Every fourth graphics object is stored compressed, as larger records
  // often are.
  for (size_t i = 0; i < c.gfx_objs.size(); ++i) {
    a.add(c.gfx_objs[i].id, writer::encode(c.gfx_objs[i]), {.compress = i % 4 == 3});
  }
  for (const auto& setup : c.setups) a.add(setup.id, writer::encode(setup));
  return a;
}

ArchiveFile local_archive(uint64_t seed) {
  ArchiveFile a(kLocalBlockSize, 3);
  Rng rng(seed, 301);
  for (uint32_t i = 0; i < kLocalRecords; ++i) {
    writer::ByteWriter w;
    w.u32(kLocalIds + i);
    const uint32_t strings = rng.between(4, 40);
    w.u32(strings);
    for (uint32_t s = 0; s < strings; ++s) {
      std::string text;
      for (uint32_t n = rng.between(3, 30); n > 0; --n) {
        text.push_back(static_cast<char>('a' + rng.below(26)));
      }
      w.pstring(text);
      w.align4();
    }
    a.add(kLocalIds + i, w.data());
  }
  return a;
}

tools::ToolResult<void> check_landblocks(const std::vector<uint16_t>& landblocks) {
  for (uint16_t lb : landblocks) {
    if ((lb >> 8) >= kWorldSide || (lb & 0xFF) >= kWorldSide) {
      return std::unexpected(tools::Error::msg(fmt::format(
          "landblock 0x{:04X} lies outside the world: columns and rows run from 0x00 to 0xFE",
          lb)));
    }
  }
  return {};
}

}  // namespace

std::vector<uint16_t> whole_world() {
  std::vector<uint16_t> all;
  all.reserve(kWorldSide * kWorldSide);
  for (uint32_t x = 0; x < kWorldSide; ++x) {
    for (uint32_t y = 0; y < kWorldSide; ++y) all.push_back(static_cast<uint16_t>(x << 8 | y));
  }
  return all;
}

tools::ToolResult<SynthSummary> synthesize(const SynthOptions& o, Progress& progress) {
  TV_CHECK(check_landblocks(o.landblocks));
  std::error_code ec;
  fs::create_directories(o.out, ec);
  if (ec) {
    return std::unexpected(
        tools::Error(ec).context(fmt::format("create --out `{}`", o.out.string())));
  }

  SynthSummary summary;
  const Catalog catalog = make_catalog(o.seed);

  TV_TRY(summary.archives[0],
         portal_archive(catalog).write(o.out / kPortalFile,
                                       {o.min_portal_bytes, o.seed, portal_filler_id}, progress));

  {
    ArchiveFile cell(kCellBlockSize, 2);
    std::vector<bool> seen(0x10000);
    progress.start("landblocks", o.landblocks.size());
    for (uint16_t lb : o.landblocks) {
      progress.advance();
      if (seen[lb]) continue;
      seen[lb] = true;
      const GroundGrid ground = ground_of(o.seed, lb);
      const auto objects = make_static_objects(o.seed, catalog, lb, ground);
      const auto terrain = make_terrain(o.seed, catalog, lb, ground, objects.has_value());
      cell.add(terrain.id, writer::encode(terrain));
      if (objects) {
        cell.add(objects->id, writer::encode(*objects));
        summary.landblocks_with_objects += 1;
        summary.buildings += objects->buildings.size();
      }
      summary.landblocks += 1;
    }
    progress.finish();
    TV_TRY(summary.archives[1],
           std::move(cell).write(o.out / kCellFile, {o.min_cell_bytes, o.seed + 1, cell_filler_id},
                                 progress));
  }
  TV_TRY(summary.archives[2],
         local_archive(o.seed).write(o.out / kLocalFile,
                                     {o.min_local_bytes, o.seed + 2, local_filler_id}, progress));
  return summary;
}

}  // namespace torvanel::synth
