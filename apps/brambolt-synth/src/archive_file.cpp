#include "archive_file.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <utility>

#include <fmt/format.h>

#include "preflight.hpp"
#include "rng.hpp"
#include "torvanel/common/try.hpp"

namespace torvanel::synth {
namespace {

namespace fs = std::filesystem;

constexpr uint64_t kFileSizeOffset = 0x148;  // DatHeader::file_size
constexpr uint64_t kFillerChainBytes = 64 * 1024;
constexpr uint64_t kWriteChunkBytes = 4 * 1024 * 1024;

// A broken invariant of the generator itself, not a run-time failure.
void require(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "brambolt-synth: %s\n", what);
    std::abort();
  }
}

// The bytes of the directory and header that ArchiveWriter lays after the
// chains for `entries` distinct ids. Its shape depends on the number of
// entries alone, not on their ids or offsets.
uint64_t directory_bytes(uint32_t block_size, uint64_t entries) {
  writer::ArchiveWriter w(block_size);
  const uint64_t start = w.end_offset();
  for (uint64_t i = 0; i < entries; ++i) w.add_entry({.id = static_cast<uint32_t>(i)});
  return std::move(w).finish().size() - start;
}

class OutFile {
 public:
  explicit OutFile(const fs::path& path) : path_(path) {
    fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  }
  ~OutFile() {
    if (fd_ >= 0) ::close(fd_);
  }
  OutFile(const OutFile&) = delete;
  OutFile& operator=(const OutFile&) = delete;

  tools::ToolResult<void> opened() const {
    if (fd_ >= 0) return {};
    return std::unexpected(
        tools::Error(common::IoError::last_os_error()).context(fmt::format("create {}", path_.string())));
  }

  tools::ToolResult<void> write(std::span<const uint8_t> bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
      if (n < 0) {
        if (errno == EINTR) continue;
        return failure("write");
      }
      done += static_cast<size_t>(n);
    }
    return {};
  }

  tools::ToolResult<void> close() {
    const int fd = std::exchange(fd_, -1);
    if (::close(fd) != 0) return failure("write");
    return {};
  }

 private:
  tools::ToolResult<void> failure(const char* what) const {
    return std::unexpected(tools::Error(common::IoError::last_os_error())
                               .context(fmt::format("{} {}", what, path_.string())));
  }

  fs::path path_;
  int fd_ = -1;
};

// Streams `count` filler chains of `blocks` blocks each, the first at
// `offset`. A chunk of whole chains is filled with the pattern once; per
// chunk only the blocks' next pointers are rewritten.
tools::ToolResult<void> write_filler(OutFile& out, uint64_t offset, uint64_t count,
                                     uint32_t block_size, uint64_t blocks, uint64_t pattern_seed,
                                     Progress& progress) {
  const uint64_t chain = blocks * block_size;
  const uint64_t per_chunk = std::max<uint64_t>(1, kWriteChunkBytes / chain);
  std::vector<uint8_t> chunk(std::min(per_chunk, count) * chain);
  Rng rng(pattern_seed, 0xF111);
  for (size_t i = 0; i + 8 <= chunk.size(); i += 8) {
    const uint64_t word = rng.next();
    std::memcpy(chunk.data() + i, &word, 8);
  }
  for (uint64_t first = 0; first < count; first += per_chunk) {
    const uint64_t n = std::min(per_chunk, count - first);
    for (uint64_t j = 0; j < n; ++j) {
      const uint64_t chain_at = offset + (first + j) * chain;
      for (uint64_t b = 0; b < blocks; ++b) {
        const auto next = static_cast<uint32_t>(b + 1 < blocks ? chain_at + (b + 1) * block_size : 0);
        std::memcpy(chunk.data() + j * chain + b * block_size, &next, 4);  // little-endian host
      }
    }
    if (auto written = out.write({chunk.data(), n * chain}); !written) return written;
    progress.advance(n * chain);
  }
  return {};
}

}  // namespace

ArchiveFile::ArchiveFile(uint32_t block_size, uint32_t dataset) : writer_(block_size) {
  auto& h = writer_.header();
  h.dataset = dataset;
  h.engine_version = 1;
  h.game_version = 1;
  const char version[] = "synthetic";
  std::memcpy(h.version_string.data(), version, sizeof version - 1);
}

void ArchiveFile::add(uint32_t id, std::span<const uint8_t> bytes,
                      const writer::RecordOptions& options) {
  require(!tools::is_modder_allocated(id), "record id in the modder-allocated range");
  writer_.add(id, bytes, options);
  ids_.push_back(id);
}

tools::ToolResult<ArchiveSummary> ArchiveFile::write(const fs::path& path, const Filler& filler,
                                                     Progress& progress) && {
  const uint32_t bs = writer_.block_size();
  const uint64_t blocks = std::max<uint64_t>(1, kFillerChainBytes / bs);
  const uint64_t chain = blocks * bs;
  const uint64_t content_end = writer_.end_offset();
  const uint64_t count = filler.min_file_size > content_end
                             ? (filler.min_file_size - content_end + chain - 1) / chain
                             : 0;

  std::vector<uint32_t> all = ids_;
  for (uint64_t k = 0; k < count; ++k) {
    all.push_back(filler.id(k));
    require(!tools::is_modder_allocated(all.back()), "filler id in the modder-allocated range");
  }
  std::sort(all.begin(), all.end());
  require(std::adjacent_find(all.begin(), all.end()) == all.end(), "record id used twice");

  // The filler chains go right behind the directory, whose size is known
  // before it is written.
  const uint64_t filler_at = content_end + directory_bytes(bs, all.size());
  const uint64_t total = filler_at + count * chain;
  if (total > std::numeric_limits<uint32_t>::max()) {
    return std::unexpected(tools::Error::msg(
        fmt::format("{} would pass 4 GiB, the limit of an archive's offsets", path.string())));
  }
  for (uint64_t k = 0; k < count; ++k) {
    writer_.add_entry({.id = filler.id(k),
                       .offset = static_cast<uint32_t>(filler_at + k * chain),
                       .size = static_cast<uint32_t>(blocks * (bs - 4))});
  }
  std::vector<uint8_t> image = std::move(writer_).finish();
  require(image.size() == filler_at, "directory size differs from its estimate");
  writer::put_u32(image, kFileSizeOffset, static_cast<uint32_t>(total));

  // Written under a temporary name, renamed when complete; a failed write
  // leaves nothing behind.
  fs::path partial = path;
  partial += ".partial";
  progress.start(path.filename().string(), total, Progress::Unit::Bytes);
  bool created = false;
  auto written = [&]() -> tools::ToolResult<void> {
    OutFile out(partial);
    TV_CHECK(out.opened());
    created = true;
    TV_CHECK(out.write(image));
    progress.advance(image.size());
    TV_CHECK(write_filler(out, filler_at, count, bs, blocks, filler.pattern_seed, progress));
    return out.close();
  }();
  progress.finish();
  std::error_code ec;
  if (written) {
    fs::rename(partial, path, ec);
    if (ec) {
      written = std::unexpected(tools::Error(ec).context(
          fmt::format("rename {} to {}", partial.string(), path.string())));
    }
  }
  if (!written) {
    if (created) fs::remove(partial, ec);
    return std::unexpected(written.error());
  }
  return ArchiveSummary{path, total, all.size(), count};
}

}  // namespace torvanel::synth
