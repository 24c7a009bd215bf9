#pragma once

#include <string>
#include <string_view>

// Shapes of the texts the bake writes, and how a text that has the wrong
// one is shown in a problem line.

namespace torvanel::verify {

// One or more of 0-9 and a-f.
bool is_lower_hex(std::string_view text);
// One or more of 0-9 and A-F.
bool is_upper_hex(std::string_view text);
// A decimal number as the bake prints one: digits, no sign, and no leading
// zero unless the number is 0.
bool is_plain_decimal(std::string_view text);

// `text` in double quotes, for a problem line: bytes outside printable
// ASCII (and the quote and backslash) as \xNN, cut after 48 bytes with
// "..." after the closing quote.
std::string shown(std::string_view text);

}  // namespace torvanel::verify
