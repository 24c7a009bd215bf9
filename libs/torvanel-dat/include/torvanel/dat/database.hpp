#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <unordered_map>
#include <vector>

#include "torvanel/dat/error.hpp"

namespace torvanel::dat {

// The 80 bytes at offset 0x140 of an archive. Only `block_size` and
// `root_offset` are used; nothing is validated.
struct DatHeader {
  uint32_t magic = 0;
  uint32_t block_size = 0;
  uint32_t file_size = 0;
  uint32_t dataset = 0;
  uint32_t subset = 0;
  uint32_t free_head = 0;
  uint32_t free_tail = 0;
  uint32_t free_count = 0;
  uint32_t root_offset = 0;
  uint32_t new_lru = 0;
  uint32_t old_lru = 0;
  uint32_t use_lru = 0;
  uint32_t master_map_id = 0;
  uint32_t engine_version = 0;
  uint32_t game_version = 0;
  std::array<uint8_t, 16> version_string{};
  uint32_t version_minor = 0;
};

// One directory entry; bit 0 of `bit_flags` marks a compressed record.
struct DatFileEntry {
  uint32_t bit_flags = 0;
  uint32_t id = 0;
  uint32_t offset = 0;
  uint32_t size = 0;
  uint32_t timestamp = 0;
  uint32_t version = 0;
};

// One open archive with its whole directory loaded. Immutable once opened;
// fetches use positioned reads and share no file position.
class DatDatabase {
 public:
  // Opens the file, reads the header and the whole directory. No partially
  // loaded database is ever returned. PathError when the file cannot be
  // opened; BinRead when it ends inside the header or a node holds more
  // than 61 entries; Io when a directory chain cannot be read; Corruption
  // for a block size of 4 or less and for a directory node reached twice.
  static DatResult<DatDatabase> open(const std::filesystem::path& path);

  DatDatabase(DatDatabase&& other) noexcept;
  DatDatabase& operator=(DatDatabase&& other) noexcept;
  DatDatabase(const DatDatabase&) = delete;
  DatDatabase& operator=(const DatDatabase&) = delete;
  ~DatDatabase();

  // The record's bytes, expanded when its entry says it is compressed.
  // NotFound(id) for an id without entry, Io when its chain cannot be read.
  DatResult<std::vector<uint8_t>> get_file(uint32_t id) const;

  const DatHeader& header() const { return header_; }
  // One entry per distinct record id; iteration order is unspecified.
  const std::unordered_map<uint32_t, DatFileEntry>& entries() const { return entries_; }

 private:
  DatDatabase(int fd, uint64_t file_size) : fd_(fd), file_size_(file_size) {}

  DatResult<void> read_header();
  DatResult<void> read_directory();
  DatResult<std::vector<uint8_t>> read_file_data(uint32_t offset, uint32_t size) const;

  int fd_ = -1;
  uint64_t file_size_ = 0;
  DatHeader header_;
  std::unordered_map<uint32_t, DatFileEntry> entries_;
};

}  // namespace torvanel::dat
