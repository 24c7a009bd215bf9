// Scene records of any length and content decode or fail cleanly; a
// decoded scene never holds more objects than its bytes could carry.
#include <cstddef>
#include <cstdint>
#include <span>

#include "torvanel/dat/file_type/scene.hpp"

using torvanel::dat::Reader;
using torvanel::dat::Scene;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Reader r(std::span<const uint8_t>(data, size));
  auto scene = Scene::unpack(r);
  if (!scene) {
    if (scene.error().text().empty()) __builtin_trap();
    return 0;
  }
  if (8 + scene->objects.size() * Scene::kObjectDescSize != r.position() || r.position() > size) {
    __builtin_trap();
  }
  return 0;
}
