// Region records from arbitrary bytes: the decoder must end in a value or
// an error, never crash or over-allocate, and a value must keep the
// record's invariants.
#include <cstddef>
#include <cstdint>
#include <span>

#include "torvanel/dat/file_type/region.hpp"

using torvanel::dat::Reader;
using torvanel::dat::Region;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Reader r(std::span<const uint8_t>(data, size));
  auto region = Region::unpack(r);
  if (!region) {
    if (region.error().text().empty() || !region.error().contexts().empty()) __builtin_trap();
    return 0;
  }
  const uint32_t mask = region->parts_mask;
  if (region->sky_desc.has_value() != ((mask & Region::kSkyBit) != 0) ||
      region->sound_desc.has_value() != ((mask & Region::kSoundBit) != 0) ||
      region->scene_desc.has_value() != ((mask & Region::kSceneBit) != 0) ||
      region->region_misc.has_value() != ((mask & Region::kMiscBit) != 0) ||
      r.position() > size) {
    __builtin_trap();
  }
  return 0;
}
