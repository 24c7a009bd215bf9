#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <expected>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "torvanel/common/io_error.hpp"
#include "torvanel/common/try.hpp"

namespace torvanel::common {

// The error of the record reader and of every structure reader: one cause
// and a stack of field contexts, innermost first.
class BinReadError {
 public:
  enum class Kind { Io, Assertion, Custom };

  static BinReadError io(IoError error);
  // A read needed more bytes than remain.
  static BinReadError end_of_data();
  // A fixed byte block read as one piece needed more bytes than remain.
  static BinReadError end_of_block();
  static BinReadError assertion(std::string message, uint64_t position);
  static BinReadError custom(std::string message, uint64_t position);

  Kind kind() const { return kind_; }
  // The I/O error's text, or the assertion or custom failure's message.
  const std::string& message() const { return message_; }
  // Reader position of an assertion or custom failure (0 for I/O causes).
  uint64_t position() const { return position_; }
  // "While parsing field 'x' in T", innermost first.
  const std::vector<std::string>& contexts() const { return contexts_; }

  void add_context(std::string_view field, std::string_view type);

  // The cause on the first line, then one context per line, innermost first.
  std::string text() const;

 private:
  BinReadError(Kind kind, std::string message, uint64_t position)
      : kind_(kind), message_(std::move(message)), position_(position) {}

  Kind kind_;
  std::string message_;
  uint64_t position_;
  std::vector<std::string> contexts_;
};

template <class T>
using ReadResult = std::expected<T, BinReadError>;

// A little-endian read position over the complete bytes of one record.
// Skips may move the position past the end; only a later read fails.
class Reader {
 public:
  explicit Reader(std::span<const uint8_t> data) : data_(data) {}

  uint64_t position() const { return pos_; }
  uint64_t size() const { return data_.size(); }
  uint64_t remaining() const { return pos_ >= data_.size() ? 0 : data_.size() - pos_; }

  // Moves forward without reading (padding).
  void skip(uint64_t n) { pos_ = n > UINT64_MAX - pos_ ? UINT64_MAX : pos_ + n; }
  // Advances to the next multiple of 4, counted from the record's first byte.
  void align4() { skip((4 - pos_ % 4) % 4); }

  ReadResult<uint8_t> u8() { return scalar<uint8_t>(); }
  ReadResult<uint16_t> u16() { return scalar<uint16_t>(); }
  ReadResult<uint32_t> u32() { return scalar<uint32_t>(); }
  ReadResult<uint64_t> u64() { return scalar<uint64_t>(); }
  ReadResult<int16_t> i16() { return scalar<int16_t>(); }
  ReadResult<int32_t> i32() { return scalar<int32_t>(); }
  ReadResult<float> f32() { return scalar<float>(); }
  ReadResult<double> f64() { return scalar<double>(); }

  // `n` bytes read value by value; ends with "failed to fill whole buffer".
  ReadResult<std::span<const uint8_t>> bytes(uint64_t n) {
    if (remaining() < n) return std::unexpected(BinReadError::end_of_data());
    return take(n);
  }

  // A fixed block of `N` bytes read as one piece; ends with
  // "not enough bytes in reader".
  template <size_t N>
  ReadResult<std::array<uint8_t, N>> byte_array() {
    if (remaining() < N) return std::unexpected(BinReadError::end_of_block());
    std::array<uint8_t, N> out;
    std::memcpy(out.data(), take(N).data(), N);
    return out;
  }

  // How many elements of at least `min_element_size` bytes the remaining
  // bytes could still hold, at most `count`: the capacity to reserve for a
  // list whose count came from the record.
  size_t capacity_for(uint64_t count, uint64_t min_element_size) const {
    uint64_t fit = min_element_size == 0 ? count : remaining() / min_element_size;
    return static_cast<size_t>(count < fit ? count : fit);
  }

 private:
  std::span<const uint8_t> take(uint64_t n) {
    auto out = data_.subspan(static_cast<size_t>(pos_), static_cast<size_t>(n));
    pos_ += n;
    return out;
  }

  template <class T>
  ReadResult<T> scalar() {
    static_assert(std::endian::native == std::endian::little);
    if (remaining() < sizeof(T)) return std::unexpected(BinReadError::end_of_data());
    T value;
    std::memcpy(&value, data_.data() + pos_, sizeof(T));
    pos_ += sizeof(T);
    return value;
  }

  std::span<const uint8_t> data_;
  uint64_t pos_ = 0;
};

// Names the field a structure reader was reading when a failure reached it:
//
//   static constexpr Fields F{"Stab"};
//   TV_TRY(stab.id, F("id", r.u32()));
class Fields {
 public:
  constexpr explicit Fields(std::string_view type) : type_(type) {}

  template <class T>
  ReadResult<T> operator()(std::string_view field, ReadResult<T> result) const {
    if (!result) result.error().add_context(field, type_);
    return result;
  }

 private:
  std::string_view type_;
};

// Reads `count` elements with `read_one(r)`, reserving no more than the
// remaining bytes could hold (each element takes at least
// `min_element_size` bytes). The first failing element ends the list.
template <class T, class ReadOne>
ReadResult<std::vector<T>> read_list(Reader& r, uint64_t count, uint64_t min_element_size,
                                     ReadOne&& read_one) {
  std::vector<T> out;
  out.reserve(r.capacity_for(count, min_element_size));
  for (uint64_t i = 0; i < count; ++i) {
    TV_TRY(T value, read_one(r));
    out.push_back(std::move(value));
  }
  return out;
}

}  // namespace torvanel::common
