#pragma once

#include <chrono>
#include <expected>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace torvanel::test_support {

// A child process to run: the program, its arguments (without argv[0]),
// changes to the inherited environment and where it starts.
struct ProcessSpec {
  std::filesystem::path program;
  std::vector<std::string> args;
  // Applied in order over the parent's environment: a value sets the
  // variable, std::nullopt removes it.
  std::vector<std::pair<std::string, std::optional<std::string>>> env;
  // The child's working directory; the parent's when empty.
  std::filesystem::path cwd;
  // Runs in the child just before exec, e.g. to set resource limits. It
  // runs after fork, so it may only make async-signal-safe calls (setrlimit,
  // signal); it must not allocate.
  std::function<void()> in_child;
  // A child still running then is killed and reported as timed out.
  std::chrono::milliseconds timeout{std::chrono::seconds(60)};
};

struct ProcessResult {
  // The exit status, or -1 when the child was ended by a signal.
  int exit_status = -1;
  // The signal that ended the child, or 0.
  int term_signal = 0;
  bool timed_out = false;
  std::string out;
  std::string err;
};

// Runs the child with standard input from /dev/null and both output
// streams captured, and waits for it. Fails only when the child could not
// be started (the text says why).
std::expected<ProcessResult, std::string> run_process(const ProcessSpec& spec);

}  // namespace torvanel::test_support
