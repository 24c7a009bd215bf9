#pragma once

#include "cli.hpp"
#include "error.hpp"

namespace torvanel::tools {

// One bake from a parsed command line, with logging already set up:
// converts the configuration, logs the banner, creates the output
// directory, then bakes. Any failure ends the run and is returned.
ToolResult<void> run(const Cli& cli);

}  // namespace torvanel::tools
