#include "torvanel/dat/database.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <span>
#include <unordered_set>
#include <utility>

#include <fmt/format.h>

#include "torvanel/common/try.hpp"
#include "torvanel/dat/utils.hpp"

namespace torvanel::dat {
namespace {

using common::Fields;

// The header lies 0x140 bytes into the file and is 80 bytes long.
constexpr uint64_t kHeaderOffset = 0x140;
constexpr size_t kHeaderSize = 80;

// A directory node is read as exactly this many bytes from its chain:
// 62 branch offsets, the entry count, then room for 61 entries of 24 bytes.
constexpr uint32_t kNodeSize = 1716;
constexpr uint32_t kNodeBranches = 62;
constexpr uint32_t kNodeMaxEntries = 61;

// Reads at `offset` until `out` is full or the file ends; returns the number
// of bytes read. Interrupted reads are retried.
std::expected<size_t, IoError> read_up_to(int fd, uint64_t offset, std::span<uint8_t> out) {
  size_t done = 0;
  while (done < out.size()) {
    ssize_t n = ::pread(fd, out.data() + done, out.size() - done,
                        static_cast<off_t>(offset + done));
    if (n < 0) {
      if (errno == EINTR) continue;
      return std::unexpected(IoError::last_os_error());
    }
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  return done;
}

// Fills `out` from `offset`; the end of the file before it is full is an error.
std::expected<void, IoError> read_exact(int fd, uint64_t offset, std::span<uint8_t> out) {
  TV_TRY(size_t got, read_up_to(fd, offset, out));
  if (got < out.size()) return std::unexpected(IoError::unexpected_eof());
  return {};
}

common::ReadResult<DatHeader> read_header_fields(common::Reader& r) {
  static constexpr Fields F{"DatHeader"};
  DatHeader h;
  TV_TRY(h.magic, F("magic", r.u32()));
  TV_TRY(h.block_size, F("block_size", r.u32()));
  TV_TRY(h.file_size, F("file_size", r.u32()));
  TV_TRY(h.dataset, F("dataset", r.u32()));
  TV_TRY(h.subset, F("subset", r.u32()));
  TV_TRY(h.free_head, F("free_head", r.u32()));
  TV_TRY(h.free_tail, F("free_tail", r.u32()));
  TV_TRY(h.free_count, F("free_count", r.u32()));
  TV_TRY(h.root_offset, F("root_offset", r.u32()));
  TV_TRY(h.new_lru, F("new_lru", r.u32()));
  TV_TRY(h.old_lru, F("old_lru", r.u32()));
  TV_TRY(h.use_lru, F("use_lru", r.u32()));
  TV_TRY(h.master_map_id, F("master_map_id", r.u32()));
  TV_TRY(h.engine_version, F("engine_version", r.u32()));
  TV_TRY(h.game_version, F("game_version", r.u32()));
  TV_TRY(h.version_string, F("version_string", r.byte_array<16>()));
  TV_TRY(h.version_minor, F("version_minor", r.u32()));
  return h;
}

common::ReadResult<DatFileEntry> read_entry(common::Reader& r) {
  static constexpr Fields F{"DatFileEntry"};
  DatFileEntry e;
  TV_TRY(e.bit_flags, F("bit_flags", r.u32()));
  TV_TRY(e.id, F("id", r.u32()));
  TV_TRY(e.offset, F("offset", r.u32()));
  TV_TRY(e.size, F("size", r.u32()));
  TV_TRY(e.timestamp, F("timestamp", r.u32()));
  TV_TRY(e.version, F("version", r.u32()));
  return e;
}

DatError corruption(std::string text) {
  return DatError::of(DatError::Corruption{std::move(text)});
}

}  // namespace

DatResult<DatDatabase> DatDatabase::open(const std::filesystem::path& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    return std::unexpected(DatError::of(DatError::PathError{path, IoError::last_os_error()}));
  }
  struct stat st;
  if (::fstat(fd, &st) != 0) {
    IoError error = IoError::last_os_error();
    ::close(fd);
    return std::unexpected(std::move(error));
  }
  // From here on the database owns the descriptor and closes it on failure.
  DatDatabase db(fd, static_cast<uint64_t>(st.st_size));
  TV_CHECK(db.read_header());
  // Every block starts with its 4-byte next pointer; a block no larger than
  // that carries no payload, and no chain through it could ever end.
  if (db.header_.block_size <= 4) {
    return std::unexpected(corruption(
        fmt::format("block size {} leaves no room for block payload", db.header_.block_size)));
  }
  TV_CHECK(db.read_directory());
  return db;
}

DatDatabase::DatDatabase(DatDatabase&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      file_size_(other.file_size_),
      header_(other.header_),
      entries_(std::move(other.entries_)) {}

DatDatabase& DatDatabase::operator=(DatDatabase&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = std::exchange(other.fd_, -1);
    file_size_ = other.file_size_;
    header_ = other.header_;
    entries_ = std::move(other.entries_);
  }
  return *this;
}

DatDatabase::~DatDatabase() {
  if (fd_ >= 0) ::close(fd_);
}

DatResult<std::vector<uint8_t>> DatDatabase::get_file(uint32_t id) const {
  auto it = entries_.find(id);
  if (it == entries_.end()) return std::unexpected(DatError::of(DatError::NotFound{id}));
  const DatFileEntry& entry = it->second;
  TV_TRY(std::vector<uint8_t> stored, read_file_data(entry.offset, entry.size));
  if (entry.bit_flags & 0x1) return decompress_lrs(stored);
  return stored;
}

// A file shorter than the header still yields the fields it holds, so the
// error names the first field that is cut.
DatResult<void> DatDatabase::read_header() {
  std::array<uint8_t, kHeaderSize> raw{};
  TV_TRY(size_t got, read_up_to(fd_, kHeaderOffset, raw));
  common::Reader r(std::span<const uint8_t>(raw).first(got));
  TV_TRY(header_, read_header_fields(r));
  return {};
}

// Depth-first from the root: a node's own entries, then its children left
// to right; a later entry for an id replaces an earlier one. The walk keeps
// its own stack, so the depth of a crafted tree cannot exhaust the call
// stack, and reads every node at most once, so no cycle can keep it going.
DatResult<void> DatDatabase::read_directory() {
  std::vector<DatFileEntry> walked;
  std::unordered_set<uint32_t> visited;
  std::vector<uint32_t> pending;
  if (header_.root_offset != 0) pending.push_back(header_.root_offset);

  while (!pending.empty()) {
    const uint32_t offset = pending.back();
    pending.pop_back();
    if (!visited.insert(offset).second) {
      return std::unexpected(
          corruption(fmt::format("directory node at 0x{:08X} is reached twice", offset)));
    }

    TV_TRY(std::vector<uint8_t> node, read_file_data(offset, kNodeSize));
    common::Reader r(node);
    std::array<uint32_t, kNodeBranches> branches;
    for (uint32_t& branch : branches) {
      TV_TRY(branch, r.u32());
    }
    TV_TRY(uint32_t count, r.u32());
    // A count above 61 runs off the node's end at the 62nd entry.
    for (uint32_t i = 0; i < count; ++i) {
      TV_TRY(DatFileEntry entry, read_entry(r));
      walked.push_back(entry);
    }

    // A leaf has no first branch; an inner node with n entries has the
    // children 0..n, and a zero branch among them is skipped. Pushed right
    // to left so the leftmost child is walked first.
    if (branches[0] == 0) continue;
    for (uint32_t j = std::min(count, kNodeMaxEntries) + 1; j-- > 0;) {
      if (branches[j] != 0) pending.push_back(branches[j]);
    }
  }

  entries_.reserve(walked.size());
  for (const DatFileEntry& entry : walked) entries_.insert_or_assign(entry.id, entry);
  return {};
}

// Gathers `size` bytes from the chain at `offset`: each block gives its
// payload after the 4-byte next pointer, and the last block (next pointer
// 0) gives everything still missing, contiguously, past its block's end.
DatResult<std::vector<uint8_t>> DatDatabase::read_file_data(uint32_t offset, uint32_t size) const {
  if (size == 0) return std::vector<uint8_t>{};
  // A chain holds at least one next pointer besides its payload: a size the
  // file cannot hold is refused before a buffer of that size exists.
  if (uint64_t{size} + 4 > file_size_) return std::unexpected(IoError::unexpected_eof());

  std::vector<uint8_t> out(size);
  const uint32_t payload = header_.block_size - 4;  // at least 1, checked at open
  uint64_t block = offset;
  size_t done = 0;
  for (;;) {
    std::array<uint8_t, 4> pointer;
    TV_CHECK(read_exact(fd_, block, pointer));
    uint32_t next;
    std::memcpy(&next, pointer.data(), sizeof next);  // little-endian, as the reader assumes
    const size_t want = next == 0 ? size - done : std::min<size_t>(payload, size - done);
    TV_CHECK(read_exact(fd_, block + 4, std::span(out).subspan(done, want)));
    done += want;
    if (done == size) return out;
    block = next;
  }
}

}  // namespace torvanel::dat
