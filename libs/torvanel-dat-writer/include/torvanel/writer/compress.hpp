#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace torvanel::writer {

// The stored form of a compressed record: the u32 length of `data`, then a
// stream of literals and back-references that decompress_lrs expands back
// to `data`. Greedy with a bounded match search: linear in the input.
std::vector<uint8_t> compress_lrs(std::span<const uint8_t> data);

}  // namespace torvanel::writer
