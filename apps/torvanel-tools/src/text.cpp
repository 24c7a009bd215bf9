#include "text.hpp"

#include <array>
#include <cstdint>

namespace torvanel::tools {
namespace {

// Every white-space character outside ASCII, as its UTF-8 bytes.
constexpr std::array<std::string_view, 19> kWideWhitespace = {
    "\u0085", "\u00A0", "\u1680", "\u2000", "\u2001", "\u2002", "\u2003",
    "\u2004", "\u2005", "\u2006", "\u2007", "\u2008", "\u2009", "\u200A",
    "\u2028", "\u2029", "\u202F", "\u205F", "\u3000",
};

bool is_ascii_whitespace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// Byte length of the white-space character that `text` starts with, or 0.
size_t leading_whitespace(std::string_view text) {
  if (text.empty()) return 0;
  if (is_ascii_whitespace(text.front())) return 1;
  for (std::string_view ws : kWideWhitespace) {
    if (text.starts_with(ws)) return ws.size();
  }
  return 0;
}

// Byte length of the white-space character that `text` ends with, or 0.
// Each wide form starts with a lead byte, so a match is never the tail of a
// longer character.
size_t trailing_whitespace(std::string_view text) {
  if (text.empty()) return 0;
  if (is_ascii_whitespace(text.back())) return 1;
  for (std::string_view ws : kWideWhitespace) {
    if (text.ends_with(ws)) return ws.size();
  }
  return 0;
}

}  // namespace

std::string_view trim_whitespace(std::string_view text) {
  while (size_t n = leading_whitespace(text)) text.remove_prefix(n);
  while (size_t n = trailing_whitespace(text)) text.remove_suffix(n);
  return text;
}

bool is_valid_utf8(std::string_view bytes) {
  size_t i = 0;
  while (i < bytes.size()) {
    auto byte = [&](size_t k) { return static_cast<uint8_t>(bytes[k]); };
    uint8_t lead = byte(i);
    if (lead < 0x80) {
      ++i;
      continue;
    }
    // The length of the sequence and the range its second byte must lie in;
    // the narrowed ranges exclude overlong forms, surrogates and code points
    // above U+10FFFF.
    size_t length;
    uint8_t low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      if (lead == 0xE0) low = 0xA0;
      if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      if (lead == 0xF0) low = 0x90;
      if (lead == 0xF4) high = 0x8F;
    } else {
      return false;
    }
    if (bytes.size() - i < length) return false;
    if (byte(i + 1) < low || byte(i + 1) > high) return false;
    for (size_t k = 2; k < length; ++k) {
      if (byte(i + k) < 0x80 || byte(i + k) > 0xBF) return false;
    }
    i += length;
  }
  return true;
}

}  // namespace torvanel::tools
