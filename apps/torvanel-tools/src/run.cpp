#include "run.hpp"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <optional>
#include <span>
#include <system_error>
#include <thread>
#include <vector>

#include <fmt/format.h>
#include <spdlog/spdlog.h>

#include "caches.hpp"
#include "config.hpp"
#include "file_io.hpp"
#include "output.hpp"
#include "preflight.hpp"
#include "records.hpp"
#include "torvanel/common/try.hpp"
#include "torvanel/dat/file_type/region.hpp"
#include "torvanel/dat/landblock.hpp"

namespace torvanel::tools {
namespace {

namespace fs = std::filesystem;

// With --verbose, a progress line after every this many landblocks.
constexpr uint64_t kProgressEvery = 25;

// Creates `out` and its missing parents with mode 0777 less the umask; an
// existing directory is fine.
ToolResult<void> create_out_dir(const fs::path& out) {
  std::error_code ec;
  fs::create_directories(out, ec);
  if (ec) {
    return std::unexpected(Error(ec).context(fmt::format("create --out `{}`", path_text(out))));
  }
  return {};
}

// What every landblock pass reads or fills; all of it owned by run().
struct BakeContext {
  const fs::path& out;
  const dat::DatDatabase& portal;
  const dat::DatDatabase& cell;
  const dat::Region& region;
  SceneCache& scenes;
  MeshCache& meshes;
  brambolt::BakeMode mode;
};

// Bakes landblock `lb` and writes its two files. Returns its placement
// count, or nothing when its terrain record cannot be fetched and it is
// skipped.
ToolResult<std::optional<uint64_t>> bake_one(const BakeContext& bake, uint16_t lb) {
  TV_TRY(std::optional<dat::CellLandblock> terrain, load_terrain(bake.cell, lb));
  if (!terrain) {
    spdlog::warn("LB 0x{:04X}: CellLandblock 0x{:08X} not in cell.dat — skipping", lb,
                 terrain_record_id(lb));
    return std::nullopt;
  }
  std::optional<std::string> warning;
  const std::vector<brambolt::Footprint> buildings =
      landblock_buildings(bake.cell, bake.portal, bake.meshes, lb, warning);
  if (warning) spdlog::warn("{}", *warning);
  const std::vector<brambolt::Placement> placements =
      bake_landblock(bake.region, *terrain, uint32_t{lb} << 16, bake.scenes, bake.meshes,
                     bake.portal, buildings, bake.mode);
  TV_TRY(fs::path path, write_landblock(bake.out, lb, placements));
  spdlog::debug("LB 0x{:04X}: {} placements ({} buildings collide-blocking) → {}", lb,
                placements.size(), buildings.size(), path_text(path));
  return placements.size();
}

void throttle(uint64_t ms) {
  if (ms == 0) return;
  // Clamped to what the clock type holds; that is centuries anyway.
  const uint64_t clamped = std::min<uint64_t>(ms, std::numeric_limits<int64_t>::max());
  std::this_thread::sleep_for(std::chrono::milliseconds(static_cast<int64_t>(clamped)));
}

// The one summary line, straight to standard error whatever the log filter.
void print_summary(std::span<const uint64_t> counts, uint64_t skipped) {
  if (auto s = distribution_summary(counts)) {
    fmt::print(stderr,
               "brambolt done: {} LBs baked, {} skipped, placements min/p50/max={}/{}/{} "
               "total={} nonzero_lbs={}\n",
               counts.size(), skipped, s->min, s->p50, s->max, s->total, s->nonzero_lbs);
  } else {
    fmt::print(stderr, "brambolt done: 0 LBs baked, {} skipped\n", skipped);
  }
}

}  // namespace

ToolResult<void> run(const Cli& cli) {
  TV_TRY(RunConfig config, resolve_config(cli));
  spdlog::info("{}", format_banner(cli, config));
  TV_CHECK(create_out_dir(cli.out));
  TV_TRY(DatDirCheck inputs, check_dat_dir(cli.dat_dir));
  TV_TRY(dat::Region region, load_region(inputs.portal, config.region_did));

  SceneCache scenes;
  MeshCache meshes;
  std::vector<uint64_t> counts;  // placements per baked landblock, in bake order
  counts.reserve(config.landblocks.size());
  uint64_t skipped = 0;
  uint64_t processed = 0;
  const BakeContext bake{cli.out, inputs.portal, inputs.cell, region, scenes, meshes, config.mode};
  for (uint16_t lb : config.landblocks) {
    TV_TRY(std::optional<uint64_t> count, bake_one(bake, lb));
    if (count) {
      counts.push_back(*count);
    } else {
      ++skipped;
    }
    throttle(cli.throttle_ms);
    ++processed;
    if (cli.verbose && processed % kProgressEvery == 0) {
      spdlog::info("progress: {}/{} LBs baked ({} skipped so far)", processed,
                   config.landblocks.size(), skipped);
    }
  }

  TV_CHECK(write_manifest(cli.out,
                          format_manifest(inputs.portal_hash, inputs.cell_hash, inputs.local_hash,
                                          config.region_did, counts.size(), skipped, config.mode)));
  print_summary(counts, skipped);
  return {};
}

}  // namespace torvanel::tools
