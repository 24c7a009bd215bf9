#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <vector>

#include "archive_file.hpp"
#include "error.hpp"
#include "progress.hpp"

namespace torvanel::synth {

inline constexpr const char* kPortalFile = "client_portal.dat";
inline constexpr const char* kCellFile = "client_cell_1.dat";
inline constexpr const char* kLocalFile = "client_local_English.dat";

// The world's landblock columns and rows run from 0x00 to 0xFE: a record
// of row 0xFF would carry an id of the range modding tools allocate.
inline constexpr uint32_t kWorldSide = 0xFF;

struct SynthOptions {
  std::filesystem::path out;
  uint64_t seed = 1;
  // The landblocks whose records the cell archive holds; one listed twice
  // is written once.
  std::vector<uint16_t> landblocks;
  // Each archive is padded with filler records to at least this size.
  uint64_t min_portal_bytes = 0;
  uint64_t min_cell_bytes = 0;
  uint64_t min_local_bytes = 0;
};

struct SynthSummary {
  std::array<ArchiveSummary, 3> archives;  // portal, cell, local
  uint64_t landblocks = 0;
  uint64_t landblocks_with_objects = 0;
  uint64_t buildings = 0;
};

// All 65,025 landblocks of the world, column by column.
std::vector<uint16_t> whole_world();

// Writes the three archives into `options.out`, creating it. The same
// options always give the same bytes. Refuses, before writing anything, a
// landblock outside the world.
tools::ToolResult<SynthSummary> synthesize(const SynthOptions& options, Progress& progress);

}  // namespace torvanel::synth
