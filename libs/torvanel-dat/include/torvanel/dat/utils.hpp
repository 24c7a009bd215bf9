#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "torvanel/common/reader.hpp"

namespace torvanel::dat {

using common::ReadResult;
using common::Reader;

// A length of `width` bytes (1, 2 or 4), then that many bytes of text,
// decoded to UTF-8 by `decode_text`. Any other width is the assertion
// failure "Unsupported PString length size", nothing consumed.
ReadResult<std::string> read_pstring(Reader& r, unsigned width);

// A packed u32 of 1, 2 or 4 bytes chosen by the top bits of the first byte;
// at most 0x3FFFFFFF.
ReadResult<uint32_t> read_compressed_u32(Reader& r);

// A packed u32 count, then that many u32 values.
ReadResult<std::vector<uint32_t>> read_smart_vec(Reader& r);

// The WHATWG Encoding Standard's "decode" with windows-1252 as fallback:
// UTF-8, UTF-16LE or UTF-16BE after their byte-order marks (dropped),
// malformed sequences becoming U+FFFD; windows-1252 otherwise. Returns UTF-8.
std::string decode_text(std::span<const uint8_t> bytes);

// Bytes as UTF-8 text, invalid sequences replaced by U+FFFD.
std::string utf8_lossy(std::string_view bytes);

// Expands a compressed record: a u32 declared length, then the stream of
// flag bytes, literals and back-references. Never fails; a stream that ends
// early gives the shorter output.
std::vector<uint8_t> decompress_lrs(std::span<const uint8_t> input);

}  // namespace torvanel::dat
