// Terrain records of any length and content decode or fail cleanly.
#include <cstddef>
#include <cstdint>
#include <span>

#include "torvanel/dat/landblock.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto block = torvanel::dat::CellLandblock::unpack(std::span<const uint8_t>(data, size));
  if (!block) (void)block.error().text();
  return 0;
}
