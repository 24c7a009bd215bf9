#include <iostream>
#include <variant>

#include <fmt/format.h>

#include "synth.hpp"
#include "synth_cli.hpp"

// Exit status: 0 when the world was written (or help or version was
// printed), 1 for any error after the command line was parsed, 2 for a
// usage error.
int main(int argc, char** argv) {
  using namespace torvanel::synth;
  auto parsed = parse_synth_cli(argc, argv, std::cout, std::cerr);
  if (const auto* exit = std::get_if<SynthCliExit>(&parsed)) return exit->status;

  auto options = to_options(std::get<SynthCli>(parsed));
  if (!options) {
    std::cerr << options.error().report() << std::flush;
    return 1;
  }
  Progress progress = Progress::for_stderr();
  auto summary = synthesize(*options, progress);
  if (!summary) {
    std::cerr << summary.error().report() << std::flush;
    return 1;
  }
  std::cout << fmt::format("brambolt-synth: seed {}, {} landblocks ({} with static objects, {} buildings)\n",
                           options->seed, summary->landblocks, summary->landblocks_with_objects,
                           summary->buildings);
  for (const ArchiveSummary& a : summary->archives) {
    std::cout << fmt::format("  {:<40} {:>9.1f} MiB {:>8} records ({} filler)\n", a.path.string(),
                             static_cast<double>(a.bytes) / (1 << 20), a.records, a.filler_records);
  }
  return 0;
}
