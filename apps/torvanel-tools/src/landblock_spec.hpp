#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "error.hpp"

namespace torvanel::tools {

// The one hex syntax of every id on the command line: surrounding white
// space is trimmed, then every leading "0x" and after them every leading
// "0X" is removed; the rest is an optional "+" and one or more hex digits
// that must fit 32 bits. Fails with "parse hex u32 `{trimmed text}`" caused
// by "cannot parse integer from empty string", "invalid digit found in
// string" or "number too large to fit in target type".
ToolResult<uint32_t> parse_hex_u32(std::string_view text);

// The landblocks to bake, in bake order, from the text of --landblocks
// (trimmed first):
//   "@<path>"  one hex id per line of the file; blank lines and lines whose
//              first non-blank character is "#" are skipped
//   "<lo>..<hi>" every landblock whose column and row lie between those of
//              lo and hi, column by column, rows ascending within a column
//   "<id>"     that one landblock
// Duplicates are kept; an empty list is valid.
ToolResult<std::vector<uint16_t>> parse_landblock_spec(std::string_view text);

}  // namespace torvanel::tools
