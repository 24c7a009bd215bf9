#pragma once

// Readers shared by the Region decoders: lists with a u32 count in front,
// and fixed runs of 4-byte words.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "torvanel/common/reader.hpp"

namespace torvanel::dat {

template <size_t N>
using Words = std::array<uint32_t, N>;

// A u32 count, then that many elements read by `read_one`. Storage is
// reserved from the count, capped by what the remaining bytes could hold at
// `min_element_size` bytes each, so a corrupt count ends in the end-of-data
// error rather than in a huge allocation.
template <class T, class ReadOne>
common::ReadResult<std::vector<T>> read_counted(common::Reader& r, uint64_t min_element_size,
                                                ReadOne&& read_one) {
  TV_TRY(uint32_t count, r.u32());
  return common::read_list<T>(r, count, min_element_size, read_one);
}

inline common::ReadResult<uint32_t> read_word(common::Reader& r) { return r.u32(); }

template <size_t N>
common::ReadResult<Words<N>> read_words(common::Reader& r) {
  Words<N> words;
  for (uint32_t& w : words) {
    TV_TRY(w, r.u32());
  }
  return words;
}

// N words, then the align step.
template <size_t N>
common::ReadResult<Words<N>> read_aligned_words(common::Reader& r) {
  TV_TRY(auto words, read_words<N>(r));
  r.align4();
  return words;
}

}  // namespace torvanel::dat
