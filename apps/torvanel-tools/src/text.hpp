#pragma once

#include <string_view>

namespace torvanel::tools {

// `text` without leading and trailing Unicode white space (the White_Space
// property: tab to carriage return, space, U+0085, U+00A0, U+1680,
// U+2000-U+200A, U+2028, U+2029, U+202F, U+205F and U+3000, in UTF-8).
// Bytes that are not UTF-8 white space are never removed.
std::string_view trim_whitespace(std::string_view text);

// Whether `bytes` is well-formed UTF-8: no overlong forms, no surrogates,
// nothing above U+10FFFF, no truncated sequence.
bool is_valid_utf8(std::string_view bytes);

}  // namespace torvanel::tools
