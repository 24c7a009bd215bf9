// Static-object records of any length and content decode or fail cleanly,
// and a decoded record's restriction table appears exactly when announced.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "torvanel/dat/landblock.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using torvanel::dat::LandblockInfo;
  auto info = LandblockInfo::unpack(std::span<const uint8_t>(data, size));
  if (!info) {
    (void)info.error().text();
    return 0;
  }
  const bool announced = (info->pack_mask & LandblockInfo::kHasRestrictionTable) != 0;
  if (announced != info->restriction_tables.has_value()) std::abort();
  return 0;
}
