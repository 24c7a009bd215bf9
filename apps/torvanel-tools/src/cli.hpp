#pragma once

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <string>
#include <variant>

namespace torvanel::tools {

// The parsed command line, one field per option. The text fields keep the
// value as given (or the default text); they are converted by the run.
struct Cli {
  std::filesystem::path dat_dir;
  std::string landblocks;
  std::string region_did;
  std::filesystem::path out;
  uint64_t throttle_ms = 0;
  bool verbose = false;
  std::string mode;
};

// A command line that ends the process while parsing: help or version was
// printed (status 0), or a usage error was reported (status 2).
struct CliExit {
  int status;
};

// Parses `argv` (argv[0] is the program). Help and version text go to
// `out`; a usage error's message and the usage line go to `err`.
std::variant<Cli, CliExit> parse_cli(int argc, const char* const* argv, std::ostream& out,
                                     std::ostream& err);

}  // namespace torvanel::tools
