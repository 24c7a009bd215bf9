#include "support/brambolt.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <optional>
#include <utility>

namespace torvanel::test_support {
namespace {

// "2025-01-31T12:00:00Z": digits where a digit belongs.
bool is_utc_stamp(std::string_view text) {
  constexpr std::string_view kShape = "dddd-dd-ddTdd:dd:ddZ";
  if (text.size() < kShape.size()) return false;
  for (size_t i = 0; i < kShape.size(); ++i) {
    bool digit = text[i] >= '0' && text[i] <= '9';
    if (kShape[i] == 'd' ? !digit : text[i] != kShape[i]) return false;
  }
  return true;
}

}  // namespace

ProcessSpec brambolt_spec(std::vector<std::string> args) {
  ProcessSpec spec;
  spec.program = BRAMBOLT_EXE;
  spec.args = std::move(args);
  spec.env = {{"SPDLOG_LEVEL", std::nullopt}};
  return spec;
}

ProcessResult run_brambolt(const ProcessSpec& spec) {
  auto result = run_process(spec);
  if (!result) {
    ADD_FAILURE() << result.error();
    return {};
  }
  EXPECT_FALSE(result->timed_out);
  return *result;
}

ProcessResult run_brambolt(std::vector<std::string> args) {
  return run_brambolt(brambolt_spec(std::move(args)));
}

std::string mask_log_times(std::string_view err) {
  std::string out;
  while (!err.empty()) {
    size_t newline = err.find('\n');
    std::string_view line =
        err.substr(0, newline == std::string_view::npos ? err.size() : newline + 1);
    if (line.starts_with('[') && is_utc_stamp(line.substr(1))) {
      out += "[<time>";
      out += line.substr(21);
    } else {
      out += line;
    }
    err.remove_prefix(line.size());
  }
  return out;
}

std::map<std::string, std::string> read_dir_files(const std::filesystem::path& dir) {
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    if (entry.symlink_status().type() == std::filesystem::file_type::regular) {
      files[entry.path().filename().string()] = read_file(entry.path());
    }
  }
  return files;
}

std::string read_file(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace torvanel::test_support
