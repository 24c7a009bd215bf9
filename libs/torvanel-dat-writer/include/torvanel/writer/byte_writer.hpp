#pragma once

#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>
#include <vector>

namespace torvanel::writer {

// Little-endian byte sink for building records field by field: the mirror
// image of common::Reader.
class ByteWriter {
 public:
  void u8(uint8_t v) { bytes_.push_back(v); }
  void u16(uint16_t v) { raw(&v, sizeof v); }
  void u32(uint32_t v) { raw(&v, sizeof v); }
  void u64(uint64_t v) { raw(&v, sizeof v); }
  void i16(int16_t v) { raw(&v, sizeof v); }
  void i32(int32_t v) { raw(&v, sizeof v); }
  void f32(float v) { raw(&v, sizeof v); }
  void f64(double v) { raw(&v, sizeof v); }
  void bytes(std::span<const uint8_t> b) { bytes_.insert(bytes_.end(), b.begin(), b.end()); }
  // `n` zero bytes.
  void zeros(size_t n) { bytes_.resize(bytes_.size() + n, 0); }
  // Zero bytes up to the next multiple of 4 of the position.
  void align4() { zeros((4 - bytes_.size() % 4) % 4); }

  // A 1-, 2- or 4-byte length, then the bytes as given (already encoded).
  void pstring(std::string_view text, unsigned width = 2);
  // The packed u32 of 1, 2 or 4 bytes (value at most 0x3FFFFFFF).
  void compressed_u32(uint32_t v);
  // A packed count, then the values.
  void smart_vec(std::span<const uint32_t> values);

  size_t size() const { return bytes_.size(); }
  const std::vector<uint8_t>& data() const { return bytes_; }
  std::vector<uint8_t> take() { return std::move(bytes_); }

 private:
  void raw(const void* p, size_t n) {
    auto* b = static_cast<const uint8_t*>(p);
    bytes_.insert(bytes_.end(), b, b + n);
  }

  std::vector<uint8_t> bytes_;
};

}  // namespace torvanel::writer
