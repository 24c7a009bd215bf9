#pragma once

#include <cstdint>
#include <vector>

#include "torvanel/common/reader.hpp"
#include "torvanel/dat/file_type/object_desc.hpp"

namespace torvanel::dat {

// A scene record: a u32 id, a u32 count, then that many 76-byte object
// templates. Bytes after the last object are ignored.
struct Scene {
  static constexpr uint64_t kObjectDescSize = 76;

  uint32_t id = 0;                  // as stored, never compared with the fetched id
  std::vector<ObjectDesc> objects;  // stream order is the object index

  static ReadResult<Scene> unpack(Reader& r);
  bool operator==(const Scene&) const = default;
};

}  // namespace torvanel::dat
