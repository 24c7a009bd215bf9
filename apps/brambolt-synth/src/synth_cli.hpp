#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <variant>

#include "error.hpp"
#include "synth.hpp"

namespace torvanel::synth {

// The parsed command line of brambolt-synth, one field per option.
struct SynthCli {
  std::string out;
  uint64_t seed = 1;
  std::string landblocks;
  bool whole_world = false;
  uint64_t min_archive_mib = 0;
  std::optional<uint64_t> min_portal_mib;
  std::optional<uint64_t> min_cell_mib;
  std::optional<uint64_t> min_local_mib;
};

// The demo area: 8 x 8 landblocks.
inline constexpr const char* kDefaultLandblocks = "0xA9B4..0xB0BB";
// An archive's offsets are 32 bits: no archive may reach 4 GiB.
inline constexpr uint64_t kMaxArchiveMib = 3584;

// The command line ended the process while parsing: help or version was
// printed (status 0), or a usage error was reported (status 2).
struct SynthCliExit {
  int status;
};

// Parses `argv` (argv[0] is the program). Help and version text go to
// `out`, a usage error and the usage line to `err`.
std::variant<SynthCli, SynthCliExit> parse_synth_cli(int argc, const char* const* argv,
                                                     std::ostream& out, std::ostream& err);

// The run's options: the landblock list expanded (the bake's grammar), the
// sizes in bytes (a per-archive size overrides --min-archive-mib).
tools::ToolResult<SynthOptions> to_options(const SynthCli& cli);

}  // namespace torvanel::synth
