#include "logging.hpp"

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <string>

#include <fmt/format.h>
#include <spdlog/sinks/ansicolor_sink.h>
#include <spdlog/spdlog.h>

namespace torvanel::tools {
namespace {

constexpr std::string_view kFilterBlanks = " \n\r\t";

std::string_view trim_blanks(std::string_view text) {
  size_t first = text.find_first_not_of(kFilterBlanks);
  if (first == std::string_view::npos) return {};
  size_t last = text.find_last_not_of(kFilterBlanks);
  return text.substr(first, last - first + 1);
}

std::string_view level_label(spdlog::level::level_enum level) {
  switch (level) {
    case spdlog::level::trace: return "TRACE";
    case spdlog::level::debug: return "DEBUG";
    case spdlog::level::info: return "INFO";
    case spdlog::level::warn: return "WARN";
    case spdlog::level::err:
    case spdlog::level::critical: return "ERROR";
    default: return "OFF";
  }
}

bool colour_wanted() {
  const char* no_color = std::getenv("NO_COLOR");
  return ::isatty(STDERR_FILENO) == 1 && (no_color == nullptr || *no_color == '\0');
}

}  // namespace

std::optional<spdlog::level::level_enum> filter_level_for(std::string_view filter,
                                                          std::string_view target) {
  std::optional<std::string_view> named;
  while (!filter.empty()) {
    size_t comma = filter.find(',');
    std::string_view entry = filter.substr(0, comma);
    filter.remove_prefix(comma == std::string_view::npos ? filter.size() : comma + 1);
    size_t equals = entry.find('=');
    if (equals == std::string_view::npos) continue;  // a global level
    if (trim_blanks(entry.substr(0, equals)) == target) {
      named = trim_blanks(entry.substr(equals + 1));
    }
  }
  if (!named) return std::nullopt;
  std::string name(*named);
  for (char& c : name) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  spdlog::level::level_enum level = spdlog::level::from_str(name);
  if (level == spdlog::level::off && name != "off") return std::nullopt;
  return level;
}

void LogLineFormatter::format(const spdlog::details::log_msg& msg, spdlog::memory_buf_t& dest) {
  std::time_t seconds = std::chrono::system_clock::to_time_t(msg.time);
  std::tm utc{};
  ::gmtime_r(&seconds, &utc);
  fmt::format_to(std::back_inserter(dest), "[{:04}-{:02}-{:02}T{:02}:{:02}:{:02}Z ",
                 utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min,
                 utc.tm_sec);
  std::string_view label = level_label(msg.level);
  msg.color_range_start = dest.size();
  dest.append(label.data(), label.data() + label.size());
  msg.color_range_end = dest.size();
  fmt::format_to(std::back_inserter(dest), "{:<{}} {}] ", "", 5 - label.size(),
                 std::string_view(msg.logger_name.data(), msg.logger_name.size()));
  dest.append(msg.payload.data(), msg.payload.data() + msg.payload.size());
  dest.push_back('\n');
}

std::unique_ptr<spdlog::formatter> LogLineFormatter::clone() const {
  return std::make_unique<LogLineFormatter>();
}

void setup_logging(bool verbose) {
  using spdlog::color_mode;
  auto sink = std::make_shared<spdlog::sinks::ansicolor_stderr_sink_st>(
      colour_wanted() ? color_mode::always : color_mode::never);
  sink->set_formatter(std::make_unique<LogLineFormatter>());
  auto logger = std::make_shared<spdlog::logger>(std::string(kLogTarget), std::move(sink));

  const char* filter = std::getenv("SPDLOG_LEVEL");
  auto program_default = verbose ? spdlog::level::info : spdlog::level::warn;
  logger->set_level(filter_level_for(filter ? filter : "", kLogTarget).value_or(program_default));
  spdlog::set_default_logger(std::move(logger));
}

}  // namespace torvanel::tools
