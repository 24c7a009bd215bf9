// Graphics-object records of any length and content decode or fail
// cleanly (no deep recursion, no allocation beyond what the bytes could
// hold); a decoded object has exactly the sections its flags announce,
// polygons whose lists match their counts, and trees within the depth bound.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <utility>
#include <variant>
#include <vector>

#include "torvanel/dat/file_type/gfx_obj.hpp"

using namespace torvanel::dat;

namespace {

bool polygons_ok(const torvanel::common::FlatMap<uint16_t, Polygon>& polygons) {
  for (const auto& [id, p] : polygons) {
    if (p.vertex_ids.size() != p.vertex_count ||
        p.front_uv_indices.size() != (p.has_front_uvs() ? p.vertex_count : 0u) ||
        p.back_uv_indices.size() != (p.has_back_uvs() ? p.vertex_count : 0u)) {
      return false;
    }
  }
  return true;
}

unsigned depth_of(const BspNode& root) {
  unsigned deepest = 0;
  std::vector<std::pair<const BspNode*, unsigned>> pending{{&root, 1}};
  while (!pending.empty()) {
    auto [node, depth] = pending.back();
    pending.pop_back();
    deepest = std::max(deepest, depth);
    const std::unique_ptr<BspNode>* children[2] = {nullptr, nullptr};
    if (auto* n = std::get_if<InternalNode>(&node->value)) {
      children[0] = &n->front;
      children[1] = &n->back;
    } else if (auto* p = std::get_if<BspPortal>(&node->value)) {
      children[0] = &p->front;
      children[1] = &p->back;
    }
    for (auto* child : children) {
      if (child && *child) pending.push_back({child->get(), depth + 1});
    }
  }
  return deepest;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Reader r(std::span<const uint8_t>(data, size));
  auto g = GfxObj::unpack(r);
  if (!g) {
    if (g.error().text().empty()) __builtin_trap();
    return 0;
  }
  const bool physics = (g->flags & GfxObj::kHasPhysics) != 0;
  const bool drawing = (g->flags & GfxObj::kHasDrawing) != 0;
  if (g->physics_bsp.has_value() != physics || g->drawing_bsp.has_value() != drawing ||
      g->degrade_id.has_value() != ((g->flags & GfxObj::kHasDegrade) != 0) ||
      (!physics && !g->physics_polygons.empty()) || (!drawing && !g->polygons.empty()) ||
      (g->vertex_array.vertex_type != CVertexArray::kSWVertexType &&
       !g->vertex_array.vertices.empty()) ||
      !polygons_ok(g->physics_polygons) || !polygons_ok(g->polygons) || r.position() > size) {
    __builtin_trap();
  }
  for (const auto* tree : {&g->physics_bsp, &g->drawing_bsp}) {
    if (*tree && depth_of(**tree) > kMaxBspDepth) __builtin_trap();
  }
  return 0;
}
