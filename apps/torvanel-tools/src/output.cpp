#include "output.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <numeric>
#include <utility>
#include <vector>

#include <fmt/format.h>

#include "file_io.hpp"
#include "preflight.hpp"
#include "torvanel/common/try.hpp"

namespace torvanel::tools {
namespace {

namespace fs = std::filesystem;

// Collects small writes into one 8192-byte buffer and hands it to the file
// when full. Whatever is still buffered when the object goes is dropped:
// callers flush() first.
class BufferedFile {
 public:
  explicit BufferedFile(UniqueFd fd) : fd_(std::move(fd)) {}

  ToolResult<void> write(std::string_view bytes) {
    if (used_ + bytes.size() > buffer_.size()) {
      TV_CHECK(flush());
      if (bytes.size() >= buffer_.size()) return write_through(bytes);
    }
    std::memcpy(buffer_.data() + used_, bytes.data(), bytes.size());
    used_ += bytes.size();
    return {};
  }

  ToolResult<void> flush() {
    std::string_view pending(buffer_.data(), used_);
    used_ = 0;
    return write_through(pending);
  }

 private:
  ToolResult<void> write_through(std::string_view bytes) {
    if (auto written = write_all(fd_.get(), bytes); !written) {
      return std::unexpected(Error(written.error()));
    }
    return {};
  }

  UniqueFd fd_;
  std::array<char, 8192> buffer_;
  size_t used_ = 0;
};

ToolResult<UniqueFd> create_file(const fs::path& path) {
  auto fd = open_for_output(path);
  if (!fd) {
    return std::unexpected(Error(fd.error()).context(fmt::format("create {}", path_text(path))));
  }
  return std::move(*fd);
}

void append_float(std::string& out, float value) {
  // Both zeros print as +0.0; every other value as it is.
  if (value == 0.0f) value = 0.0f;
  // The longest text: "-", 39 integer digits of FLT_MAX, ".", six decimals.
  char text[64];
  auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 6);
  out.append(text, result.ptr);
}

void append_decimal(std::string& out, uint32_t value) {
  char text[10];
  auto result = std::to_chars(text, text + sizeof text, value);
  out.append(text, result.ptr);
}

void append_hex8(std::string& out, uint32_t value) {
  constexpr std::string_view kDigits = "0123456789ABCDEF";
  for (int shift = 28; shift >= 0; shift -= 4) out += kDigits[(value >> shift) & 0xF];
}

}  // namespace

void append_placement_line(std::string& out, const brambolt::Placement& p) {
  out += R"({"obj_id":"0x)";
  append_hex8(out, p.obj_id);
  out += R"(","x":)";
  append_float(out, p.x);
  out += R"(,"y":)";
  append_float(out, p.y);
  out += R"(,"z":)";
  append_float(out, p.z);
  out += R"(,"qw":)";
  append_float(out, p.qw);
  out += R"(,"qx":)";
  append_float(out, p.qx);
  out += R"(,"qy":)";
  append_float(out, p.qy);
  out += R"(,"qz":)";
  append_float(out, p.qz);
  out += R"(,"scale":)";
  append_float(out, p.scale);
  out += R"(,"source_cell_x":)";
  append_decimal(out, p.source_cell_x);
  out += R"(,"source_cell_y":)";
  append_decimal(out, p.source_cell_y);
  out += R"(,"source_obj_idx":)";
  append_decimal(out, p.source_obj_idx);
  out += "}\n";
}

ToolResult<fs::path> write_landblock(const fs::path& out, uint16_t lb,
                                     std::span<const brambolt::Placement> placements) {
  fs::path path = out / fmt::format("0x{:04X}.scenery.jsonl", lb);
  {
    TV_TRY(UniqueFd fd, create_file(path));
    BufferedFile file(std::move(fd));
    std::string line;  // reused: one allocation for the whole file
    for (const brambolt::Placement& placement : placements) {
      line.clear();
      append_placement_line(line, placement);
      TV_CHECK(file.write(line));
    }
    TV_CHECK(file.flush());
  }  // closed before it is read back

  auto hash = sha256_file(path);
  if (!hash) {
    return std::unexpected(
        std::move(hash.error()).context(fmt::format("sha256 {}", path_text(path))));
  }
  hash->push_back('\n');
  fs::path sidecar = out / fmt::format("0x{:04X}.scenery.jsonl.sha256", lb);
  TV_TRY(UniqueFd fd, create_file(sidecar));
  if (auto written = write_all(fd.get(), *hash); !written) {
    return std::unexpected(Error(written.error()));
  }
  return path;
}

std::string format_manifest(std::string_view portal_hash, std::string_view cell_hash,
                            std::string_view local_hash, uint32_t region_id, uint64_t baked,
                            uint64_t skipped, brambolt::BakeMode mode) {
  return fmt::format(
      "client_portal.dat\t{}\n"
      "client_cell_1.dat\t{}\n"
      "client_local_English.dat\t{}\n"
      "bake-tool-version\t{} + {}\n"
      "region-did\t0x{:08X}\n"
      "bake-mode\t{}\n"
      "landblocks\t{} baked, {} skipped\n",
      portal_hash, cell_hash, local_hash, ENGINE_VERSION, CLI_VERSION, region_id,
      brambolt::bake_mode_name(mode), baked, skipped);
}

ToolResult<void> write_manifest(const fs::path& out, std::string_view text) {
  fs::path path = out / kManifestName;
  auto fd = open_for_output(path);
  std::expected<void, common::IoError> written =
      fd ? write_all(fd->get(), text) : std::unexpected(fd.error());
  if (!written) {
    return std::unexpected(
        Error(written.error()).context(fmt::format("write {}", path_text(path))));
  }
  return {};
}

std::optional<DistributionSummary> distribution_summary(std::span<const uint64_t> counts) {
  if (counts.empty()) return std::nullopt;
  std::vector<uint64_t> sorted(counts.begin(), counts.end());
  std::sort(sorted.begin(), sorted.end());
  DistributionSummary summary;
  summary.min = sorted.front();
  summary.p50 = sorted[sorted.size() / 2];
  summary.max = sorted.back();
  summary.total = std::accumulate(sorted.begin(), sorted.end(), uint64_t{0});
  summary.nonzero_lbs = static_cast<uint64_t>(
      std::count_if(sorted.begin(), sorted.end(), [](uint64_t c) { return c != 0; }));
  return summary;
}

}  // namespace torvanel::tools
