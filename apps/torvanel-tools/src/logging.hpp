#pragma once

#include <memory>
#include <optional>
#include <string_view>

#include <spdlog/common.h>
#include <spdlog/formatter.h>

namespace torvanel::tools {

// The target of every log record of the tool.
inline constexpr std::string_view kLogTarget = "brambolt";

// Installs the logger `kLogTarget` as the default logger, writing to
// standard error. Its level is the one the environment's SPDLOG_LEVEL names
// for the target, if any; otherwise the program's default, WARN, or INFO
// when `verbose`: the default replaces any global level the environment
// gives. The level name is coloured when standard error is a terminal and
// NO_COLOR is unset or empty.
void setup_logging(bool verbose);

// The level that a filter in SPDLOG_LEVEL syntax ("debug,brambolt=off":
// comma-separated "target=level" entries, a bare level being the global
// one) names for `target`. The last entry for the target counts; an
// unknown level name is ignored.
std::optional<spdlog::level::level_enum> filter_level_for(std::string_view filter,
                                                          std::string_view target);

// Formats a record as
//   [2025-01-31T12:00:00Z INFO  brambolt] message
// with the time in UTC to the second and the level name (ERROR, WARN, INFO,
// DEBUG, TRACE) left-aligned in five columns; only the name itself is the
// coloured range.
class LogLineFormatter final : public spdlog::formatter {
 public:
  void format(const spdlog::details::log_msg& msg, spdlog::memory_buf_t& dest) override;
  std::unique_ptr<spdlog::formatter> clone() const override;
};

}  // namespace torvanel::tools
