#include "torvanel/dat/file_type/scene.hpp"

namespace torvanel::dat {

ReadResult<Scene> Scene::unpack(Reader& r) {
  Scene scene;
  TV_TRY(scene.id, r.u32());
  TV_TRY(uint32_t count, r.u32());
  TV_TRY(scene.objects, common::read_list<ObjectDesc>(r, count, kObjectDescSize,
                                                      ObjectDesc::unpack));
  return scene;
}

}  // namespace torvanel::dat
