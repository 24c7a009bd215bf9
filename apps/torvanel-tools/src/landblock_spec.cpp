#include "landblock_spec.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include <fmt/format.h>

#include "text.hpp"
#include "torvanel/common/io_error.hpp"
#include "torvanel/common/try.hpp"

namespace torvanel::tools {
namespace {

constexpr std::string_view kNarrowingCause = "out of range integral type conversion attempted";

std::string_view strip_repeated(std::string_view text, std::string_view prefix) {
  while (text.starts_with(prefix)) text.remove_prefix(prefix.size());
  return text;
}

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// An optional "+", then hex digits, read left to right: the first bad digit
// or the first digit that overflows 32 bits decides the failure.
std::expected<uint32_t, std::string_view> parse_hex_digits(std::string_view digits) {
  if (digits.empty()) return std::unexpected("cannot parse integer from empty string");
  if (digits.front() == '+') {
    digits.remove_prefix(1);
    if (digits.empty()) return std::unexpected("invalid digit found in string");
  }
  uint64_t value = 0;
  for (char c : digits) {
    int digit = hex_digit(c);
    if (digit < 0) return std::unexpected("invalid digit found in string");
    value = value * 16 + static_cast<uint64_t>(digit);
    if (value > UINT32_MAX) return std::unexpected("number too large to fit in target type");
  }
  return static_cast<uint32_t>(value);
}

Error narrowing_error(std::string message) {
  return Error::msg(std::string(kNarrowingCause)).context(std::move(message));
}

// The whole file as text. A file that cannot be opened or read, or whose
// bytes are not UTF-8, fails with the reason as the error's only message.
ToolResult<std::string> read_text_file(const std::string& path) {
  if (path.find('\0') != std::string::npos) {
    return std::unexpected(Error::msg("file name contained an unexpected NUL byte"));
  }
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::unexpected(Error(common::IoError::last_os_error()));
  std::string text;
  char buffer[64 * 1024];
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      Error error(common::IoError::last_os_error());
      ::close(fd);
      return std::unexpected(std::move(error));
    }
    if (n == 0) break;
    text.append(buffer, static_cast<size_t>(n));
  }
  ::close(fd);
  if (!is_valid_utf8(text)) {
    return std::unexpected(Error::msg("stream did not contain valid UTF-8"));
  }
  return text;
}

ToolResult<std::vector<uint16_t>> parse_list_file(std::string_view path) {
  auto text = read_text_file(std::string(path));
  if (!text) {
    return std::unexpected(
        std::move(text.error()).context(fmt::format("read landblock list `{}`", path)));
  }
  std::vector<uint16_t> ids;
  std::string_view rest = *text;
  for (size_t number = 1; !rest.empty(); ++number) {
    size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    // The CR of a CRLF line end is white space and goes with the trim.
    line = trim_whitespace(line);
    if (line.empty() || line.front() == '#') continue;
    auto value = parse_hex_u32(line);
    if (!value) {
      return std::unexpected(
          std::move(value.error())
              .context(fmt::format("landblock list `{}` line {}", path, number)));
    }
    if (*value > 0xFFFF) {
      return std::unexpected(narrowing_error(
          fmt::format("landblock id `{}` is wider than 16 bits — expected packed key", line)));
    }
    ids.push_back(static_cast<uint16_t>(*value));
  }
  return ids;
}

ToolResult<std::vector<uint16_t>> parse_rectangle(std::string_view low, std::string_view high) {
  TV_TRY(uint32_t lo, parse_hex_u32(low));
  TV_TRY(uint32_t hi, parse_hex_u32(high));
  if (hi < lo) {
    return std::unexpected(Error::msg(
        fmt::format("--landblocks range high `0x{:X}` is below low `0x{:X}`", hi, lo)));
  }
  for (uint32_t bound : {lo, hi}) {
    if (bound > 0xFFFF) {
      return std::unexpected(
          narrowing_error(fmt::format("range bound `0x{:X}` is wider than 16 bits", bound)));
    }
  }
  uint32_t lo_x = lo >> 8, lo_y = lo & 0xFF;
  uint32_t hi_x = hi >> 8, hi_y = hi & 0xFF;
  if (hi_x < lo_x || hi_y < lo_y) {
    return std::unexpected(Error::msg(
        fmt::format("--landblocks rectangle: hi=(0x{:X},0x{:X}) must dominate lo=(0x{:X},0x{:X})",
                    hi_x, hi_y, lo_x, lo_y)));
  }
  std::vector<uint16_t> ids;
  ids.reserve((hi_x - lo_x + 1) * (hi_y - lo_y + 1));
  for (uint32_t x = lo_x; x <= hi_x; ++x) {
    for (uint32_t y = lo_y; y <= hi_y; ++y) ids.push_back(static_cast<uint16_t>(x << 8 | y));
  }
  return ids;
}

}  // namespace

ToolResult<uint32_t> parse_hex_u32(std::string_view text) {
  std::string_view trimmed = trim_whitespace(text);
  std::string_view digits = strip_repeated(strip_repeated(trimmed, "0x"), "0X");
  auto value = parse_hex_digits(digits);
  if (!value) {
    return std::unexpected(
        Error::msg(std::string(value.error())).context(fmt::format("parse hex u32 `{}`", trimmed)));
  }
  return *value;
}

ToolResult<std::vector<uint16_t>> parse_landblock_spec(std::string_view text) {
  std::string_view spec = trim_whitespace(text);
  if (spec.starts_with('@')) return parse_list_file(spec.substr(1));
  if (size_t dots = spec.find(".."); dots != std::string_view::npos) {
    return parse_rectangle(spec.substr(0, dots), spec.substr(dots + 2));
  }
  TV_TRY(uint32_t value, parse_hex_u32(spec));
  if (value > 0xFFFF) {
    return std::unexpected(
        narrowing_error(fmt::format("landblock id `{}` is wider than 16 bits", spec)));
  }
  return std::vector<uint16_t>{static_cast<uint16_t>(value)};
}

}  // namespace torvanel::tools
