#include "torvanel/writer/archive_writer.hpp"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <unordered_set>

#include "require.hpp"
#include "torvanel/writer/byte_writer.hpp"

namespace torvanel::writer {
namespace {

constexpr uint64_t kHeaderOffset = 0x140;
constexpr uint64_t kHeaderSize = 80;
constexpr uint8_t kJunk = 0xEE;  // fills the gaps of scattered chains

uint64_t round_up(uint64_t value, uint64_t multiple) {
  return (value + multiple - 1) / multiple * multiple;
}

void write_entry(ByteWriter& w, const DatFileEntry& e) {
  w.u32(e.bit_flags);
  w.u32(e.id);
  w.u32(e.offset);
  w.u32(e.size);
  w.u32(e.timestamp);
  w.u32(e.version);
}

std::vector<uint8_t> header_bytes(const DatHeader& h) {
  ByteWriter w;
  w.u32(h.magic);
  w.u32(h.block_size);
  w.u32(h.file_size);
  w.u32(h.dataset);
  w.u32(h.subset);
  w.u32(h.free_head);
  w.u32(h.free_tail);
  w.u32(h.free_count);
  w.u32(h.root_offset);
  w.u32(h.new_lru);
  w.u32(h.old_lru);
  w.u32(h.use_lru);
  w.u32(h.master_map_id);
  w.u32(h.engine_version);
  w.u32(h.game_version);
  w.bytes(h.version_string);
  w.u32(h.version_minor);
  return w.take();
}

// Writes all of `bytes` at the current position of `fd`.
std::expected<void, common::IoError> write_all(int fd, std::span<const uint8_t> bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return std::unexpected(common::IoError::last_os_error());
    }
    done += static_cast<size_t>(n);
  }
  return {};
}

}  // namespace

ArchiveWriter::ArchiveWriter(uint32_t block_size, DirectoryOptions directory)
    : block_size_(block_size), directory_(directory) {
  require(block_size > 4, "block size must exceed 4");
  require(directory.node_capacity >= 2 && directory.node_capacity <= kNodeMaxEntries,
          "node capacity must be 2-61");
  header_.block_size = block_size;
  // Blocks start at multiples of the block size after the header, so no
  // block ever sits at offset 0, the null pointer.
  image_.resize(round_up(kHeaderOffset + kHeaderSize, block_size));
}

DatFileEntry ArchiveWriter::add(uint32_t id, std::span<const uint8_t> bytes,
                                const RecordOptions& options) {
  std::vector<uint8_t> packed;
  if (options.compress) packed = compress_lrs(bytes);
  const std::span<const uint8_t> stored = options.compress ? packed : bytes;
  const DatFileEntry entry{
      .bit_flags = options.bit_flags | (options.compress ? 1u : 0u),
      .id = id,
      .offset = write_chain(stored, options.layout),
      .size = static_cast<uint32_t>(stored.size()),
      .timestamp = options.timestamp,
      .version = options.version,
  };
  listed_.push_back(entry);
  return entry;
}

void ArchiveWriter::add_entry(const DatFileEntry& entry) { listed_.push_back(entry); }

uint32_t ArchiveWriter::write_chain(std::span<const uint8_t> bytes, ChainLayout layout) {
  const uint64_t bs = block_size_;
  const uint64_t payload = bs - 4;
  const uint64_t blocks = std::max<uint64_t>(1, (bytes.size() + payload - 1) / payload);
  const uint64_t base = image_.size();
  auto piece = [&](uint64_t b) {
    const uint64_t from = std::min<uint64_t>(b * payload, bytes.size());
    return bytes.subspan(from, std::min<uint64_t>(payload, bytes.size() - from));
  };

  switch (layout) {
    case ChainLayout::Contiguous:
      for (uint64_t b = 0; b < blocks; ++b) {
        const uint64_t next = b + 1 < blocks ? base + (b + 1) * bs : 0;
        put_block(base + b * bs, static_cast<uint32_t>(next), piece(b));
      }
      return static_cast<uint32_t>(base);

    case ChainLayout::Scattered: {
      // Chain block b sits in slot 2 (blocks - 1 - b); the odd slots between
      // are junk whose bytes, pointer included, are all kJunk.
      auto slot = [&](uint64_t b) { return base + 2 * (blocks - 1 - b) * bs; };
      for (uint64_t b = 0; b < blocks; ++b) {
        put_block(slot(b), b + 1 < blocks ? static_cast<uint32_t>(slot(b + 1)) : 0, piece(b));
      }
      for (uint64_t j = 0; j + 1 < blocks; ++j) {
        std::memset(image_.data() + base + (2 * j + 1) * bs, kJunk, bs);
      }
      return static_cast<uint32_t>(slot(0));
    }

    case ChainLayout::OverLong: {
      const uint64_t linked = (blocks - 1) / 2;
      for (uint64_t b = 0; b < linked; ++b) {
        put_block(base + b * bs, static_cast<uint32_t>(base + (b + 1) * bs), piece(b));
      }
      put_block(base + linked * bs, 0, bytes.subspan(linked * payload));
      return static_cast<uint32_t>(base);
    }
  }
  require(false, "unknown chain layout");
  return 0;
}

uint32_t ArchiveWriter::write_node(const RawNode& node) {
  ByteWriter w;
  for (uint32_t branch : node.branches) w.u32(branch);
  w.u32(node.count.value_or(static_cast<uint32_t>(node.entries.size())));
  const size_t stored = std::min<size_t>(node.entries.size(), kNodeMaxEntries);
  for (size_t i = 0; i < stored; ++i) write_entry(w, node.entries[i]);
  w.zeros(kNodeSize - w.size());
  return write_chain(w.data(), directory_.layout);
}

std::vector<uint8_t> ArchiveWriter::finish() && {
  header_.root_offset = root_ ? *root_ : write_directory();
  header_.file_size = static_cast<uint32_t>(image_.size());
  const std::vector<uint8_t> header = header_bytes(header_);
  std::memcpy(image_.data() + kHeaderOffset, header.data(), header.size());
  return std::move(image_);
}

// The listed entries in id order, the last listed of an id kept, as a
// B-tree: every node holds at most node_capacity entries, and an inner node
// with n entries has n + 1 children, child j holding the ids between its
// entries j - 1 and j. Children are written before their parent.
uint32_t ArchiveWriter::write_directory() {
  if (listed_.empty()) return 0;
  std::vector<DatFileEntry> sorted;
  sorted.reserve(listed_.size());
  std::unordered_set<uint32_t> seen;
  for (auto it = listed_.rbegin(); it != listed_.rend(); ++it) {
    if (seen.insert(it->id).second) sorted.push_back(*it);
  }
  std::sort(sorted.begin(), sorted.end(),
            [](const DatFileEntry& a, const DatFileEntry& b) { return a.id < b.id; });
  return write_subtree(sorted);
}

uint32_t ArchiveWriter::write_subtree(std::span<const DatFileEntry> sorted) {
  const uint64_t capacity = directory_.node_capacity;
  RawNode node;
  if (sorted.size() <= capacity) {
    node.entries.assign(sorted.begin(), sorted.end());
    return write_node(node);
  }
  // `lower`: the entries a full subtree one level below this node holds.
  uint64_t lower = capacity;
  while ((lower + 1) * (capacity + 1) - 1 < sorted.size()) lower = (lower + 1) * (capacity + 1) - 1;
  // As few children as can hold the rest, which is spread evenly over them:
  // 2 to capacity + 1 children, none of them empty.
  const uint64_t children = (sorted.size() + 1 + lower) / (lower + 1);
  const uint64_t spread = sorted.size() - (children - 1);
  size_t at = 0;
  for (uint64_t j = 0; j < children; ++j) {
    const size_t take = spread / children + (j < spread % children ? 1 : 0);
    node.branches[j] = write_subtree(sorted.subspan(at, take));
    at += take;
    if (j + 1 < children) node.entries.push_back(sorted[at++]);
  }
  return write_node(node);
}

void ArchiveWriter::put_block(uint64_t at, uint32_t next, std::span<const uint8_t> payload) {
  grow_to(round_up(at + 4 + payload.size(), block_size_));
  std::memcpy(image_.data() + at, &next, sizeof next);  // little-endian host
  if (!payload.empty()) std::memcpy(image_.data() + at + 4, payload.data(), payload.size());
}

void ArchiveWriter::grow_to(uint64_t size) {
  require(size <= UINT32_MAX, "archive image would pass 4 GiB");
  if (size > image_.size()) image_.resize(size);
}

void put_u32(std::span<uint8_t> image, uint64_t offset, uint32_t value) {
  require(offset + 4 <= image.size(), "put_u32 beyond the image");
  std::memcpy(image.data() + offset, &value, sizeof value);
}

std::expected<void, common::IoError> write_file(const std::filesystem::path& path,
                                                std::span<const uint8_t> bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return std::unexpected(common::IoError::last_os_error());
  auto written = write_all(fd, bytes);
  if (::close(fd) != 0 && written) return std::unexpected(common::IoError::last_os_error());
  return written;
}

dat::DatResult<dat::DatDatabase> open_image(std::span<const uint8_t> image) {
  const int fd = ::memfd_create("archive", MFD_CLOEXEC);
  if (fd < 0) return std::unexpected(common::IoError::last_os_error());
  auto written = write_all(fd, image);
  if (!written) {
    ::close(fd);
    return std::unexpected(written.error());
  }
  // The database opens its own descriptor; the memory file goes with it.
  auto db = dat::DatDatabase::open("/proc/self/fd/" + std::to_string(fd));
  ::close(fd);
  return db;
}

}  // namespace torvanel::writer
