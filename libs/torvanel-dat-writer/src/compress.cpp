#include "torvanel/writer/compress.hpp"

#include <algorithm>
#include <bit>

namespace torvanel::writer {
namespace {

constexpr size_t kWindow = 4095;  // largest distance a reference can name
constexpr size_t kMinMatch = 3;   // a two-byte reference saves nothing on two bytes
constexpr size_t kMaxMatch = 17;
constexpr int kMaxProbes = 32;

unsigned hash3(const uint8_t* p, unsigned bits) {
  const uint32_t v = p[0] | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16);
  return (v * 2654435761u) >> (32 - bits);
}

}  // namespace

// Greedy: at each position the longest match among the last kMaxProbes
// positions with the same three-byte prefix inside the window, else a
// literal. Matches may overlap the bytes they produce; the decoder copies
// byte by byte. No reference comes first, none has distance 0.
std::vector<uint8_t> compress_lrs(std::span<const uint8_t> data) {
  std::vector<uint8_t> out;
  out.reserve(4 + data.size() + data.size() / 8 + 1);  // all literals at worst
  const auto declared = static_cast<uint32_t>(data.size());
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(declared >> shift));

  // Tables sized to the input, so that many small records cost no more
  // than one large one of the same total size.
  const unsigned bits = std::clamp<unsigned>(std::bit_width(data.size()), 8, 15);
  std::vector<int64_t> head(size_t{1} << bits, -1);
  std::vector<int64_t> previous(std::min(data.size(), kWindow + 1), -1);  // at position & kWindow
  auto insert = [&](size_t pos) {
    if (pos + kMinMatch > data.size()) return;
    const unsigned h = hash3(&data[pos], bits);
    previous[pos & kWindow] = head[h];
    head[h] = static_cast<int64_t>(pos);
  };

  size_t flag_at = 0;
  unsigned items = 0;  // items in the current group, 0-7
  size_t pos = 0;
  while (pos < data.size()) {
    size_t best_length = 0;
    size_t best_distance = 0;
    if (pos + kMinMatch <= data.size()) {
      const size_t longest = std::min(kMaxMatch, data.size() - pos);
      int64_t candidate = head[hash3(&data[pos], bits)];
      for (int probe = 0; candidate >= 0 && probe < kMaxProbes; ++probe) {
        const size_t distance = pos - static_cast<size_t>(candidate);
        if (distance > kWindow) break;
        size_t length = 0;
        while (length < longest && data[candidate + length] == data[pos + length]) ++length;
        if (length > best_length) {
          best_length = length;
          best_distance = distance;
          if (length == longest) break;
        }
        candidate = previous[static_cast<size_t>(candidate) & kWindow];
      }
    }

    if (items == 0) {
      flag_at = out.size();
      out.push_back(0);
    }
    if (best_length >= kMinMatch) {
      out.push_back(static_cast<uint8_t>(best_distance & 0xFF));
      out.push_back(static_cast<uint8_t>(((best_distance >> 8) << 4) | (best_length - 2)));
      out[flag_at] |= static_cast<uint8_t>(0x80u >> items);
      for (size_t k = 0; k < best_length; ++k) insert(pos + k);
      pos += best_length;
    } else {
      out.push_back(data[pos]);
      insert(pos);
      ++pos;
    }
    items = (items + 1) % 8;
  }
  return out;
}

}  // namespace torvanel::writer
