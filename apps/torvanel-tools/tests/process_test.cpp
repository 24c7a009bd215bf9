#include "support/process.hpp"

#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>

#include <string>

#include "support/temp_dir.hpp"

namespace torvanel::test_support {
namespace {

ProcessResult run_ok(ProcessSpec spec) {
  auto result = run_process(spec);
  EXPECT_TRUE(result.has_value()) << result.error();
  return result.value_or(ProcessResult{});
}

ProcessSpec shell(std::string script) {
  ProcessSpec spec;
  spec.program = "/bin/sh";
  spec.args = {"-c", std::move(script)};
  return spec;
}

TEST(RunProcess, CapturesBothStreamsTheStatusAndTheGivenEnvironment) {
  TempDir dir;
  ::setenv("BRAMBOLT_TEST_INHERITED", "dropped", 1);
  ProcessSpec spec =
      shell(R"sh(echo "$SET|${BRAMBOLT_TEST_INHERITED-unset}|$(pwd)"; echo e >&2; exit 3)sh");
  spec.env = {{"SET", "one"}, {"SET", "two"}, {"BRAMBOLT_TEST_INHERITED", std::nullopt}};
  spec.cwd = dir.path();
  ProcessResult r = run_ok(spec);
  ::unsetenv("BRAMBOLT_TEST_INHERITED");
  EXPECT_EQ(r.out, "two|unset|" + dir.path().string() + "\n");
  EXPECT_EQ(r.err, "e\n");
  EXPECT_EQ(r.exit_status, 3);
  EXPECT_EQ(r.term_signal, 0);
}

TEST(RunProcess, ChildHookLimitsTheFileSize) {
  TempDir dir;
  ProcessSpec spec = shell("printf abcdef > big");
  spec.cwd = dir.path();
  spec.in_child = [] {
    struct rlimit limit = {2, 2};
    ::setrlimit(RLIMIT_FSIZE, &limit);
  };
  ProcessResult r = run_ok(spec);
  EXPECT_EQ(r.term_signal, SIGXFSZ);
  EXPECT_EQ(r.exit_status, -1);
}

TEST(RunProcess, KillsAChildThatOutlivesItsTimeout) {
  ProcessSpec spec = shell("exec sleep 30");
  spec.timeout = std::chrono::milliseconds(200);
  ProcessResult r = run_ok(spec);
  EXPECT_TRUE(r.timed_out);
  EXPECT_EQ(r.term_signal, SIGKILL);
}

TEST(RunProcess, FailsWhenTheProgramCannotStart) {
  ProcessSpec spec;
  spec.program = "/nonexistent/brambolt";
  auto result = run_process(spec);
  ASSERT_FALSE(result.has_value());
  EXPECT_EQ(result.error(), "start /nonexistent/brambolt: No such file or directory");
}

}  // namespace
}  // namespace torvanel::test_support
