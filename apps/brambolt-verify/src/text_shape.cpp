#include "text_shape.hpp"

#include <fmt/format.h>

#include <algorithm>

namespace torvanel::verify {
namespace {

constexpr size_t kShownBytes = 48;

bool all_of(std::string_view text, bool (*accept)(char)) {
  return !text.empty() && std::all_of(text.begin(), text.end(), accept);
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

bool is_lower_hex(std::string_view text) {
  return all_of(text, [](char c) { return is_digit(c) || (c >= 'a' && c <= 'f'); });
}

bool is_upper_hex(std::string_view text) {
  return all_of(text, [](char c) { return is_digit(c) || (c >= 'A' && c <= 'F'); });
}

bool is_plain_decimal(std::string_view text) {
  return all_of(text, is_digit) && (text.size() == 1 || text.front() != '0');
}

std::string shown(std::string_view text) {
  std::string out = "\"";
  for (char c : text.substr(0, kShownBytes)) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte > 0x7E || c == '"' || c == '\\') {
      out += fmt::format("\\x{:02X}", byte);
    } else {
      out += c;
    }
  }
  out += '"';
  if (text.size() > kShownBytes) out += "...";
  return out;
}

}  // namespace torvanel::verify
