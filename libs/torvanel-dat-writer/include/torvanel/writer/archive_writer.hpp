#pragma once

#include <array>
#include <cstdint>
#include <expected>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

#include "torvanel/common/io_error.hpp"
#include "torvanel/dat/database.hpp"
#include "torvanel/writer/compress.hpp"

namespace torvanel::writer {

using dat::DatFileEntry;
using dat::DatHeader;

// How the blocks of one chain are placed in the file.
enum class ChainLayout {
  // One block after another, in chain order.
  Contiguous,
  // Blocks in reverse file order with a junk block between each two: only
  // the next pointers lead through the chain.
  Scattered,
  // A chain that ends early: after (blocks - 1) / 2 linked blocks, a block
  // whose next pointer is 0 holds all the rest, running past its block end.
  OverLong,
};

struct RecordOptions {
  bool compress = false;   // store compress_lrs(bytes) and set flag bit 0
  uint32_t bit_flags = 0;  // stored as given, plus bit 0 when compressing
  uint32_t timestamp = 0;
  uint32_t version = 0;
  ChainLayout layout = ChainLayout::Contiguous;
};

// A directory node written exactly as given, for hostile directories.
struct RawNode {
  std::array<uint32_t, 62> branches{};
  std::vector<DatFileEntry> entries{};  // the node has room for the first 61
  std::optional<uint32_t> count{};      // the stored entry count; entries.size() if unset
};

struct DirectoryOptions {
  // Entries per node, 2-61: small values give deep trees from few records.
  uint32_t node_capacity = 61;
  ChainLayout layout = ChainLayout::Contiguous;
};

// Builds an archive image in memory, block by block, in one pass: record
// chains are laid down as they are added, the directory and the header at
// finish(). Offsets must stay below 4 GiB.
//
//   ArchiveWriter w(256);
//   w.add(0x13000000, region_bytes, {.compress = true});
//   std::vector<uint8_t> image = std::move(w).finish();
class ArchiveWriter {
 public:
  static constexpr uint32_t kNodeSize = 1716;
  static constexpr uint32_t kNodeMaxEntries = 61;

  // `block_size` must exceed 4 (a block begins with its next pointer).
  explicit ArchiveWriter(uint32_t block_size = 1024, DirectoryOptions directory = {});

  // Written as it stands by finish(), which sets only root_offset and
  // file_size. block_size starts as the block size the chains are laid in.
  DatHeader& header() { return header_; }

  // Stores a record's chain and lists its entry for the directory. Adding an
  // id again replaces the listed entry; the old chain stays as dead blocks.
  DatFileEntry add(uint32_t id, std::span<const uint8_t> bytes, const RecordOptions& options = {});

  // Lists an entry as given, whatever its offset and size point at.
  void add_entry(const DatFileEntry& entry);

  // Stores bytes as a chain without listing anything; returns the offset of
  // its first block. Empty bytes still take one block, whose pointer is 0.
  uint32_t write_chain(std::span<const uint8_t> bytes,
                       ChainLayout layout = ChainLayout::Contiguous);

  // Stores one directory node (in the directory's chain layout); returns
  // its offset.
  uint32_t write_node(const RawNode& node);

  // Uses `offset` as the directory root instead of building a directory from
  // the listed entries; 0 is an empty directory.
  void set_root(uint32_t offset) { root_ = offset; }

  // The offset at which the next contiguous chain would begin.
  uint32_t end_offset() const { return static_cast<uint32_t>(image_.size()); }
  uint32_t block_size() const { return block_size_; }

  // Writes the directory (unless set_root was called) and the header, and
  // hands over the image.
  std::vector<uint8_t> finish() &&;

 private:
  uint32_t write_directory();
  uint32_t write_subtree(std::span<const DatFileEntry> sorted);
  void put_block(uint64_t at, uint32_t next, std::span<const uint8_t> payload);
  void grow_to(uint64_t size);

  uint32_t block_size_;
  DirectoryOptions directory_;
  DatHeader header_;
  std::vector<uint8_t> image_;
  std::vector<DatFileEntry> listed_;
  std::optional<uint32_t> root_;
};

// Overwrites the little-endian u32 at `offset` of an image (raw edits for
// hostile archives: a next pointer, a branch, a header field).
void put_u32(std::span<uint8_t> image, uint64_t offset, uint32_t value);

// Creates or truncates the file and writes the bytes.
std::expected<void, common::IoError> write_file(const std::filesystem::path& path,
                                                std::span<const uint8_t> bytes);

// Opens an image as an archive through an anonymous in-memory file, which
// lives exactly as long as the database.
dat::DatResult<dat::DatDatabase> open_image(std::span<const uint8_t> image);

}  // namespace torvanel::writer
