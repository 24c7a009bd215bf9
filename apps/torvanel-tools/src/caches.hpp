#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <unordered_map>
#include <vector>

#include "torvanel/brambolt/bake.hpp"
#include "torvanel/common/math.hpp"
#include "torvanel/dat/database.hpp"
#include "torvanel/dat/file_type/region.hpp"
#include "torvanel/dat/file_type/scene.hpp"
#include "torvanel/dat/landblock.hpp"

namespace torvanel::tools {

// The run's decoded scenes by record id. Each record is read and decoded at
// most once; a missing or undecodable record is remembered as such.
class SceneCache {
 public:
  // The scene, or nullptr when the record is missing or does not decode.
  // The pointer stays valid as long as the cache: entries are never moved
  // or dropped.
  const dat::Scene* lookup(const dat::DatDatabase& portal, uint32_t id);

 private:
  std::unordered_map<uint32_t, std::optional<dat::Scene>> scenes_;
};

// The run's model vertex lists by model id: the positions of a graphics
// object's vertices, or of all the parts of a setup model, each in its own
// frame. Each record is read and decoded at most once; a model without
// usable vertices is remembered as such.
class MeshCache {
 public:
  // The vertex list (never empty), or nullptr when the model has none. The
  // pointer stays valid as long as the cache.
  const std::vector<common::Vector3>* lookup(const dat::DatDatabase& portal, uint32_t id);

 private:
  std::unordered_map<uint32_t, std::optional<std::vector<common::Vector3>>> meshes_;
};

// The vertex positions of a graphics object, or nothing when the record is
// missing, does not decode or has no vertices. Not cached.
std::optional<std::vector<common::Vector3>> gfx_local_mesh(const dat::DatDatabase& portal,
                                                           uint32_t id);

// The footprints of the landblock's buildings, in record order; a building
// whose model has no vertices has none and is passed over.
std::vector<brambolt::Footprint> building_footprints(const dat::LandblockInfo& info,
                                                     MeshCache& meshes,
                                                     const dat::DatDatabase& portal);

// Bakes one landblock with its scenes and models looked up in the run's
// caches, which read from `portal` on a miss.
std::vector<brambolt::Placement> bake_landblock(const dat::Region& region,
                                                const dat::CellLandblock& cell, uint32_t key,
                                                SceneCache& scenes, MeshCache& meshes,
                                                const dat::DatDatabase& portal,
                                                std::span<const brambolt::Footprint> buildings,
                                                brambolt::BakeMode mode);

}  // namespace torvanel::tools
