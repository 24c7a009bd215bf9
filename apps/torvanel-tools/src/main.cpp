#include <iostream>
#include <variant>

#include "cli.hpp"
#include "logging.hpp"
#include "run.hpp"

// Exit status: 0 when the run completes (or help or version was printed),
// 1 for any error after the command line was parsed, 2 for a usage error.
int main(int argc, char** argv) {
  using namespace torvanel::tools;
  auto parsed = parse_cli(argc, argv, std::cout, std::cerr);
  if (const auto* exit = std::get_if<CliExit>(&parsed)) return exit->status;
  const Cli& cli = std::get<Cli>(parsed);

  setup_logging(cli.verbose);
  if (auto result = run(cli); !result) {
    std::cerr << result.error().report() << std::flush;
    return 1;
  }
  return 0;
}
