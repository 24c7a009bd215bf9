#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "error.hpp"
#include "torvanel/brambolt/bake.hpp"
#include "torvanel/brambolt/bake_mode.hpp"

namespace torvanel::tools {

// The versions the manifest records: the bake engine's and this tool's.
inline constexpr std::string_view ENGINE_VERSION = "torvanel-brambolt/0.1.0";
inline constexpr std::string_view CLI_VERSION = "brambolt-cli/0.1.0";

// The run manifest's file name inside the output directory.
inline constexpr std::string_view kManifestName = "bake-source.sha256";

// Appends one placement's JSON line, "\n" included, keys in this order and
// no blanks:
//   {"obj_id":"0x0200ABCD","x":12.500000,"y":100.000000,"z":55.250000,
//    "qw":0.923880,"qx":0.000000,"qy":0.000000,"qz":0.382683,"scale":1.000000,
//    "source_cell_x":3,"source_cell_y":7,"source_obj_idx":0}
// Every float is its exact binary value in fixed notation, correctly rounded
// to six decimals (ties to even); a zero of either sign prints 0.000000.
void append_placement_line(std::string& out, const brambolt::Placement& placement);

// Writes the placements of landblock `lb`, in order, to
// out/0x{lb:04X}.scenery.jsonl, reads the finished file back to hash it and
// writes the hash and "\n" to out/0x{lb:04X}.scenery.jsonl.sha256. Returns
// the JSON Lines file's path. A file that cannot be created fails with
// "create {path}", a failed hash with "sha256 {path}", each with its cause;
// a failed write or flush with the bare system error. Both files are closed
// on return.
ToolResult<std::filesystem::path> write_landblock(const std::filesystem::path& out, uint16_t lb,
                                                  std::span<const brambolt::Placement> placements);

// The run manifest: seven "key\tvalue\n" lines naming the three archive
// hashes, the tool versions, the Region id, the bake mode and the counts.
std::string format_manifest(std::string_view portal_hash, std::string_view cell_hash,
                            std::string_view local_hash, uint32_t region_id, uint64_t baked,
                            uint64_t skipped, brambolt::BakeMode mode);

// Creates or truncates out/bake-source.sha256 and writes `text` to it.
// Fails with "write {path}" and the system error.
ToolResult<void> write_manifest(const std::filesystem::path& out, std::string_view text);

// The spread of the per-landblock placement counts of a run.
struct DistributionSummary {
  uint64_t min = 0;
  uint64_t p50 = 0;  // the count at index n / 2 once sorted: the upper middle for even n
  uint64_t max = 0;
  uint64_t total = 0;
  uint64_t nonzero_lbs = 0;

  bool operator==(const DistributionSummary&) const = default;
};

// Nothing for an empty list.
std::optional<DistributionSummary> distribution_summary(std::span<const uint64_t> counts);

}  // namespace torvanel::tools
