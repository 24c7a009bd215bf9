#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "support/process.hpp"

namespace torvanel::test_support {

// A run of the brambolt executable with `args`; the caller's own log filter
// is removed from the environment. Adjust the ProcessSpec, then run_brambolt it.
ProcessSpec brambolt_spec(std::vector<std::string> args);

// Runs the ProcessSpec and reports a child that could not start or timed out as a
// test failure.
ProcessResult run_brambolt(const ProcessSpec& spec);
ProcessResult run_brambolt(std::vector<std::string> args);

// Standard error with the time of every log line replaced by "<time>":
// "[2025-01-31T12:00:00Z WARN  brambolt] x" becomes "[<time> WARN  brambolt] x".
// A line whose time is malformed is left as it is.
std::string mask_log_times(std::string_view err);

// Every regular file of `dir` (not recursive, links not followed) by name,
// with its contents.
std::map<std::string, std::string> read_dir_files(const std::filesystem::path& dir);

// The contents of a file; empty when it cannot be read.
std::string read_file(const std::filesystem::path& path);

}  // namespace torvanel::test_support
