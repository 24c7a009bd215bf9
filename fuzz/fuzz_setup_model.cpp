// Setup-model records of any length and content decode or fail cleanly;
// a decoded setup's per-part lists and placement frames match its part
// count, and every hook fills a multiple of 4 bytes.
#include <cstddef>
#include <cstdint>
#include <span>

#include "torvanel/dat/file_type/setup_model.hpp"

using namespace torvanel::dat;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Reader r(std::span<const uint8_t>(data, size));
  auto s = SetupModel::unpack(r);
  if (!s) {
    if (s.error().text().empty()) __builtin_trap();
    return 0;
  }
  const size_t parts = s->parts.size();
  if (s->part_values.size() != (s->flags & SetupModel::kHasPartValues ? parts : 0) ||
      s->part_vectors.size() != (s->flags & SetupModel::kHasPartVectors ? parts : 0) ||
      s->optional_value_1 == 0u || s->optional_value_5 == 0u || r.position() > size) {
    __builtin_trap();
  }
  for (const auto& [key, placement] : s->placements) {
    if (placement.frames.size() != parts) __builtin_trap();
    for (const auto& hook : placement.hooks) {
      if (hook.hook_type > AnimationHook::kMaxType || (8 + hook.data.size()) % 4 != 0) {
        __builtin_trap();
      }
    }
  }
  return 0;
}
