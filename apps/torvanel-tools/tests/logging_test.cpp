#include "logging.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include <spdlog/details/log_msg.h>

namespace torvanel::tools {
namespace {

using spdlog::level::level_enum;

TEST(LogLineFormatter, WritesUtcSecondsAndAFiveColumnLevel) {
  // 2025-01-31T12:00:00.999Z: the fraction is dropped, not rounded.
  auto time = std::chrono::system_clock::time_point(std::chrono::seconds(1738324800)) +
              std::chrono::milliseconds(999);
  struct Case {
    level_enum level;
    std::string line;
    std::string coloured;
  };
  const Case cases[] = {
      {spdlog::level::err, "[2025-01-31T12:00:00Z ERROR brambolt] lb done\n", "ERROR"},
      {spdlog::level::warn, "[2025-01-31T12:00:00Z WARN  brambolt] lb done\n", "WARN"},
      {spdlog::level::info, "[2025-01-31T12:00:00Z INFO  brambolt] lb done\n", "INFO"},
      {spdlog::level::debug, "[2025-01-31T12:00:00Z DEBUG brambolt] lb done\n", "DEBUG"},
  };
  LogLineFormatter formatter;
  for (const Case& c : cases) {
    spdlog::details::log_msg msg(time, spdlog::source_loc{}, "brambolt", c.level, "lb done");
    spdlog::memory_buf_t line;
    formatter.format(msg, line);
    EXPECT_EQ(fmt::to_string(line), c.line);
    // Only the level name is coloured, not its padding.
    EXPECT_EQ(c.line.substr(msg.color_range_start, msg.color_range_end - msg.color_range_start),
              c.coloured);
  }
}

TEST(FilterLevelFor, TakesTheLastValidLevelNamedForTheTarget) {
  struct Case {
    std::string filter;
    std::optional<level_enum> level;
  };
  const Case cases[] = {
      {"", std::nullopt},
      {"debug", std::nullopt},  // a global level is the program's to set
      {"brambolt=debug", spdlog::level::debug},
      {"debug,brambolt=off", spdlog::level::off},
      {" brambolt = Warning ,info", spdlog::level::warn},
      {"brambolt=err", spdlog::level::err},
      {"brambolt=info,brambolt=trace", spdlog::level::trace},
      {"brambolt=bogus", std::nullopt},
      {"brambolt=debug,brambolt=bogus", std::nullopt},
      {"other=debug", std::nullopt},
      {"Brambolt=debug", std::nullopt},  // target names are case-sensitive
      {",,brambolt=info,", spdlog::level::info},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(filter_level_for(c.filter, "brambolt"), c.level) << c.filter;
  }
}

}  // namespace
}  // namespace torvanel::tools
