#pragma once

#include "cli.hpp"
#include "error.hpp"

namespace torvanel::tools {

// One bake from a parsed command line, with logging already set up:
// converts the configuration, logs the banner, creates the output
// directory, checks and hashes the input archives, loads the Region, bakes
// every listed landblock in order and writes its files, then writes the
// manifest and prints the summary line. Any failure ends the run at once
// and is returned; the files of the landblocks baked before it stay, and no
// manifest is written.
ToolResult<void> run(const Cli& cli);

}  // namespace torvanel::tools
