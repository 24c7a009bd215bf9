#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <vector>

#include "error.hpp"
#include "progress.hpp"
#include "torvanel/writer/archive_writer.hpp"

namespace torvanel::synth {

// Filler records that give an archive the size a real one has, so that
// reading and hashing it costs what it really costs. They hold a fixed
// pseudo-random pattern and are listed in the directory like any record.
struct Filler {
  uint64_t min_file_size = 0;  // the file is padded to at least this size
  uint64_t pattern_seed = 0;
  std::function<uint32_t(uint64_t k)> id;  // the id of filler record k
};

struct ArchiveSummary {
  std::filesystem::path path;
  uint64_t bytes = 0;
  uint64_t records = 0;         // all records, the filler included
  uint64_t filler_records = 0;
};

// One archive being synthesized. Its records are laid out in memory, the
// directory and header after them; filler records come last and are
// streamed to the file in large blocks, so that padding to hundreds of MiB
// needs neither the memory nor per-byte work.
class ArchiveFile {
 public:
  ArchiveFile(uint32_t block_size, uint32_t dataset);

  // Stores a record. Ids must be distinct and never in the range modding
  // tools allocate: the bake would refuse the archive.
  void add(uint32_t id, std::span<const uint8_t> bytes, const writer::RecordOptions& options = {});
  uint64_t records() const { return ids_.size(); }

  // Writes the archive to `path`: first to `path` + ".partial", renamed to
  // `path` once complete, so that an interrupted run never leaves a file
  // under the final name.
  tools::ToolResult<ArchiveSummary> write(const std::filesystem::path& path, const Filler& filler,
                                          Progress& progress) &&;

 private:
  writer::ArchiveWriter writer_;
  std::vector<uint32_t> ids_;
};

}  // namespace torvanel::synth
