#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "torvanel/dat/utils.hpp"
#include "torvanel/writer/compress.hpp"

namespace torvanel::dat {
namespace {

using Bytes = std::vector<uint8_t>;

// Declared length, then the stream.
Bytes stored(uint32_t declared, Bytes stream) {
  Bytes out{static_cast<uint8_t>(declared), static_cast<uint8_t>(declared >> 8),
            static_cast<uint8_t>(declared >> 16), static_cast<uint8_t>(declared >> 24)};
  out.insert(out.end(), stream.begin(), stream.end());
  return out;
}

TEST(DecompressLrs, Streams) {
  struct Case {
    const char* name;
    Bytes input;
    Bytes expected;
  };
  const Case cases[] = {
      {"empty input", {}, {}},
      {"shorter than a length is returned as is", {0x01, 0x02, 0x03}, {0x01, 0x02, 0x03}},
      {"declared length 0", stored(0, {0x00, 0x41}), {}},
      {"literals then an overlapping reference", stored(5, {0x20, 0x61, 0x62, 0x01, 0x01}),
       {0x61, 0x62, 0x62, 0x62, 0x62}},
      {"reference stops at the declared length", stored(4, {0x20, 0x61, 0x62, 0x01, 0x01}),
       {0x61, 0x62, 0x62, 0x62}},
      {"six literals under one flag byte",
       stored(6, {0x00, 0x10, 0x20, 0x30, 0x40, 0x50, 0x60}),
       {0x10, 0x20, 0x30, 0x40, 0x50, 0x60}},
      {"distance 0 ends the stream early", stored(10, {0x40, 0x61, 0x00, 0x05, 0x62}), {0x61}},
      {"length-17 reference stops exactly at the declared length",
       stored(10, {0x40, 0x61, 0x01, 0x0F}), Bytes(10, 0x61)},
      {"distance beyond the output copies from its start",
       stored(5, {0x20, 0x61, 0x62, 0xFF, 0x01}), {0x61, 0x62, 0x61, 0x61, 0x61}},
      {"stream ending before the declared length", stored(100, {0x00, 0x61, 0x62}), {0x61, 0x62}},
      {"second group reads a new flag byte",
       stored(10, {0x00, 1, 2, 3, 4, 5, 6, 7, 8, 0x80, 0x01, 0x00}),
       {1, 2, 3, 4, 5, 6, 7, 8, 8, 8}},
      {"reference cut after its first byte", stored(5, {0x20, 0x61, 0x62, 0x01}), {0x61, 0x62}},
      // Malformed streams stop where they break and keep what they made.
      {"reference before any output", stored(5, {0x80, 0x01, 0x00, 0x61}), {}},
      {"flag byte as the last byte", stored(20, {0x00, 1, 2, 3, 4, 5, 6, 7, 8, 0x00}),
       {1, 2, 3, 4, 5, 6, 7, 8}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(decompress_lrs(c.input), c.expected) << c.name;
  }
}

TEST(DecompressLrs, DistanceHasTwelveBits) {
  // 0x200 literals i / 2, then a reference b0 = 0x23, b1 = 0x10: distance
  // 0x123, length 2.
  Bytes stream;
  for (int i = 0; i < 0x200; ++i) {
    if (i % 8 == 0) stream.push_back(0x00);
    stream.push_back(static_cast<uint8_t>(i / 2));
  }
  stream.insert(stream.end(), {0x80, 0x23, 0x10});
  const Bytes out = decompress_lrs(stored(0x202, stream));
  ASSERT_EQ(out.size(), 0x202u);
  EXPECT_EQ(out[0x200], 0xDD / 2);
  EXPECT_EQ(out[0x201], 0xDE / 2);
}

TEST(DecompressLrs, ReservesNoMoreThanTheStreamCanProduce) {
  // A declared length of 4 GiB over a two-byte stream.
  const Bytes huge = decompress_lrs(stored(0xFFFFFFFF, {0x00, 0x41}));
  EXPECT_EQ(huge, Bytes{0x41});
  EXPECT_LE(huge.capacity(), 16u);

  // A literal and seven 17-byte references, 120 bytes from 16: the
  // reservation still holds the whole output.
  Bytes dense{0x7F, 0x61};
  for (int i = 0; i < 7; ++i) dense.insert(dense.end(), {0x01, 0x0F});
  const Bytes out = decompress_lrs(stored(120, dense));
  EXPECT_EQ(out, Bytes(120, 0x61));
  EXPECT_EQ(out.capacity(), 120u);
}

TEST(CompressLrs, RoundTripsThroughTheDecompressor) {
  std::mt19937 rng(7);
  auto random_bytes = [&](size_t n, unsigned alphabet) {
    Bytes out(n);
    for (auto& b : out) b = static_cast<uint8_t>(rng() % alphabet);
    return out;
  };
  // Repeats exactly at the window's edge and one byte past it.
  auto window_edge = [&](size_t distance) {
    Bytes out = random_bytes(distance + 64, 256);
    for (size_t i = 0; i < 64; ++i) out[distance + i] = out[i];
    return out;
  };
  std::string text;
  for (int i = 0; i < 400; ++i) text += "scenery object " + std::to_string(i % 37) + "; ";

  struct Case {
    const char* name;
    Bytes data;
    bool shrinks;
  };
  const Case cases[] = {
      {"empty", {}, false},
      {"one byte", {0x42}, false},
      {"run", Bytes(10000, 0x00), true},
      {"random", random_bytes(50000, 256), false},
      {"small alphabet", random_bytes(50000, 4), true},
      {"text", Bytes(text.begin(), text.end()), true},
      {"repeat at distance 4095", window_edge(4095), false},
      {"repeat at distance 4096", window_edge(4096), false},
  };
  for (const Case& c : cases) {
    const Bytes packed = writer::compress_lrs(c.data);
    EXPECT_EQ(decompress_lrs(packed), c.data) << c.name;
    if (c.shrinks) {
      EXPECT_LT(packed.size(), c.data.size() / 2) << c.name;
    }
  }
}

}  // namespace
}  // namespace torvanel::dat
