#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace torvanel::writer {

// A value the encoders cannot write faithfully (a list too long for its
// count, a section its flags announce but the value lacks) would give a
// record that silently decodes to something else, so it stops the program.
inline void require(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "encode: %s\n", what);
    std::abort();
  }
}

// A list length as the record's count field of type `Count`.
template <class Count>
Count checked_count(size_t size, const char* what) {
  require(size <= static_cast<uint64_t>(std::numeric_limits<Count>::max()), what);
  return static_cast<Count>(size);
}

}  // namespace torvanel::writer
