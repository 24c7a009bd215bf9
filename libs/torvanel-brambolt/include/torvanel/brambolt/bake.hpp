#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <type_traits>
#include <utility>
#include <vector>

#include "torvanel/brambolt/bake_mode.hpp"
#include "torvanel/brambolt/footprint.hpp"
#include "torvanel/common/math.hpp"
#include "torvanel/dat/file_type/region.hpp"
#include "torvanel/dat/file_type/scene.hpp"
#include "torvanel/dat/landblock.hpp"

namespace torvanel::brambolt {

// One placed scenery object. Position, height and scale are in world units,
// landblock-local; the orientation is a turn about the vertical axis.
struct Placement {
  uint32_t obj_id = 0;
  float x = 0, y = 0, z = 0;
  float qw = 1, qx = 0, qy = 0, qz = 0;
  float scale = 1;
  // The terrain vertex (column, row) and the scene's object index that
  // produced it.
  uint32_t source_cell_x = 0, source_cell_y = 0;
  uint32_t source_obj_idx = 0;

  bool operator==(const Placement&) const = default;
};

// A non-owning reference to a callable; costs one indirect call. The
// callable must outlive the reference.
template <class Signature>
class FunctionRef;

template <class R, class... Args>
class FunctionRef<R(Args...)> {
 public:
  template <class F>
    requires(!std::is_same_v<std::remove_cvref_t<F>, FunctionRef> &&
             std::is_object_v<std::remove_reference_t<F>> &&
             std::is_invocable_r_v<R, std::remove_reference_t<F>&, Args...>)
  FunctionRef(F&& f) noexcept  // implicit, like a function pointer
      : object_(const_cast<void*>(static_cast<const void*>(std::addressof(f)))),
        call_([](void* object, Args... args) -> R {
          return std::invoke(*static_cast<std::remove_reference_t<F>*>(object),
                             std::forward<Args>(args)...);
        }) {}

  R operator()(Args... args) const { return call_(object_, std::forward<Args>(args)...); }

 private:
  void* object_;
  R (*call_)(void*, Args...);
};

// The scene of a scene id, or nullptr when there is none. The pointer must
// stay valid for the whole bake call.
using SceneLookup = FunctionRef<const dat::Scene*(uint32_t scene_id)>;
// The vertex positions of a model in its own frame, or nullptr when the
// model has none. The pointer must stay valid for the whole bake call.
using ModelLookup = FunctionRef<const std::vector<common::Vector3>*(uint32_t model_id)>;

// Replays the scenery generation of one landblock: the objects every terrain
// vertex's scene places, in vertex order and then object order. `key` is
// the landblock id shifted left by 16 (0xXXYY0000). Objects that leave the
// landblock, stand on a road, stand on a slope they refuse (strict mode),
// have no model, or overlap a building or an object accepted before them
// are dropped. Never fails; whatever is missing drops only what depends on
// it.
std::vector<Placement> bake_landblock_impl(const dat::Region& region,
                                           const dat::CellLandblock& cell, uint32_t key,
                                           SceneLookup scenes, ModelLookup models,
                                           std::span<const Footprint> buildings, BakeMode mode);

}  // namespace torvanel::brambolt
