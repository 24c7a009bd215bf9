#include "caches.hpp"

#include <cmath>

#include "torvanel/dat/file_type/gfx_obj.hpp"
#include "torvanel/dat/file_type/setup_model.hpp"

namespace torvanel::tools {
namespace {

constexpr uint32_t kGfxObjKind = 0x01;
constexpr uint32_t kSetupKind = 0x02;

// Decodes record `id` with `T::unpack`; nothing when the record is missing
// or does not decode. Neither failure is an error of the bake.
template <class T>
std::optional<T> fetch(const dat::DatDatabase& portal, uint32_t id) {
  auto bytes = portal.get_file(id);
  if (!bytes) return std::nullopt;
  common::Reader r(*bytes);
  auto record = T::unpack(r);
  if (!record) return std::nullopt;
  return std::move(*record);
}

std::optional<std::vector<common::Vector3>> setup_mesh(const dat::DatDatabase& portal,
                                                       uint32_t id) {
  auto setup = fetch<dat::SetupModel>(portal, id);
  if (!setup) return std::nullopt;
  // The parts' vertices as stored, each in its own part's frame.
  std::vector<common::Vector3> vertices;
  for (uint32_t part : setup->parts) {
    auto mesh = gfx_local_mesh(portal, part);
    if (mesh) vertices.insert(vertices.end(), mesh->begin(), mesh->end());
  }
  if (vertices.empty()) return std::nullopt;
  return vertices;
}

}  // namespace

const dat::Scene* SceneCache::lookup(const dat::DatDatabase& portal, uint32_t id) {
  auto it = scenes_.find(id);
  if (it == scenes_.end()) it = scenes_.emplace(id, fetch<dat::Scene>(portal, id)).first;
  return it->second ? &*it->second : nullptr;
}

const std::vector<common::Vector3>* MeshCache::lookup(const dat::DatDatabase& portal,
                                                      uint32_t id) {
  auto it = meshes_.find(id);
  if (it == meshes_.end()) {
    std::optional<std::vector<common::Vector3>> mesh;
    switch (id >> 24) {
      case kGfxObjKind: mesh = gfx_local_mesh(portal, id); break;
      case kSetupKind: mesh = setup_mesh(portal, id); break;
      default: break;  // no other kind of model has vertices
    }
    it = meshes_.emplace(id, std::move(mesh)).first;
  }
  return it->second ? &*it->second : nullptr;
}

std::optional<std::vector<common::Vector3>> gfx_local_mesh(const dat::DatDatabase& portal,
                                                           uint32_t id) {
  auto gfx = fetch<dat::GfxObj>(portal, id);
  if (!gfx || gfx->vertex_array.vertices.empty()) return std::nullopt;
  std::vector<common::Vector3> vertices;
  vertices.reserve(gfx->vertex_array.vertices.size());
  for (const auto& [vertex_id, vertex] : gfx->vertex_array.vertices) {
    vertices.push_back(vertex.origin);
  }
  return vertices;
}

std::vector<brambolt::Footprint> building_footprints(const dat::LandblockInfo& info,
                                                     MeshCache& meshes,
                                                     const dat::DatDatabase& portal) {
  std::vector<brambolt::Footprint> footprints;
  footprints.reserve(info.buildings.size());
  for (const dat::BuildInfo& building : info.buildings) {
    const std::vector<common::Vector3>* mesh = meshes.lookup(portal, building.model_id);
    if (mesh == nullptr) continue;
    const common::Frame& frame = building.frame;
    // The frame's turn about the vertical axis, in single precision.
    const float heading = 2.0f * atan2f(frame.orientation.z, frame.orientation.w);
    // Buildings are not scaled; a scale of 1 changes no coordinate.
    footprints.push_back(brambolt::place_footprint(*mesh, 1.0f, sinf(heading), cosf(heading),
                                                   frame.origin.x, frame.origin.y));
  }
  return footprints;
}

std::vector<brambolt::Placement> bake_landblock(const dat::Region& region,
                                                const dat::CellLandblock& cell, uint32_t key,
                                                SceneCache& scenes, MeshCache& meshes,
                                                const dat::DatDatabase& portal,
                                                std::span<const brambolt::Footprint> buildings,
                                                brambolt::BakeMode mode) {
  auto scene_of = [&](uint32_t id) { return scenes.lookup(portal, id); };
  auto mesh_of = [&](uint32_t id) { return meshes.lookup(portal, id); };
  return brambolt::bake_landblock_impl(region, cell, key, scene_of, mesh_of, buildings, mode);
}

}  // namespace torvanel::tools
