#include <algorithm>
#include <cstring>

#include "torvanel/dat/utils.hpp"

namespace torvanel::dat {

// Stored form: a u32 declared length N, then groups of one flag byte and up
// to eight items, flag bits most significant first. Bit 0 is a literal byte;
// bit 1 is a back-reference b0 b1 with distance b0 | (b1 & 0xF0) << 4 and
// length (b1 & 0x0F) + 2, copied byte by byte so it may overlap its own
// output. Distance 0 ends the stream. The output never exceeds N; a stream
// that ends first gives the shorter output.
std::vector<uint8_t> decompress_lrs(std::span<const uint8_t> input) {
  if (input.size() < 4) return {input.begin(), input.end()};
  uint32_t declared;
  std::memcpy(&declared, input.data(), sizeof declared);
  const std::span<const uint8_t> stream = input.subspan(4);

  // N comes from the record; what the stream can produce is known. The best
  // a group does is one flag byte and eight two-byte references of 17 bytes
  // each: 136 bytes out of 17 in, so no stream yields more than 8 bytes per
  // byte. Within this capacity the output never reallocates.
  const uint64_t limit = declared;
  std::vector<uint8_t> out;
  out.reserve(static_cast<size_t>(std::min<uint64_t>(limit, uint64_t{stream.size()} * 8)));

  size_t i = 0;
  unsigned mask = 0;
  uint8_t flags = 0;
  while (out.size() < limit && i < stream.size()) {
    if (mask == 0) {
      flags = stream[i++];
      mask = 0x80;
    }
    if (flags & mask) {
      // A reference needs both its bytes and some output to refer to.
      if (i + 1 >= stream.size() || out.empty()) break;
      const uint8_t b0 = stream[i];
      const uint8_t b1 = stream[i + 1];
      const size_t distance = b0 | (size_t{b1 & 0xF0u} << 4);
      if (distance == 0) break;
      const unsigned count = (b1 & 0x0Fu) + 2;
      i += 2;
      for (unsigned n = 0; n < count && out.size() < limit; ++n) {
        const size_t length = out.size();
        const uint8_t byte = out[length - std::min(distance, length)];
        out.push_back(byte);
      }
    } else {
      // A flag byte that ends the stream announces a literal that is not there.
      if (i >= stream.size()) break;
      out.push_back(stream[i++]);
    }
    mask >>= 1;
  }
  return out;
}

}  // namespace torvanel::dat
