#include "support/world.hpp"

#include <stdexcept>
#include <string>
#include <utility>

#include "torvanel/dat/file_type/scene.hpp"
#include "torvanel/dat/landblock.hpp"
#include "torvanel/writer/archive_writer.hpp"
#include "torvanel/writer/encode_gfx_obj.hpp"
#include "torvanel/writer/encode_landblock.hpp"
#include "torvanel/writer/encode_region.hpp"
#include "torvanel/writer/encode_scene.hpp"
#include "torvanel/writer/encode_setup_model.hpp"

namespace torvanel::test_support {
namespace {

using common::Vector3;

// Terrain words: bits 0-1 road, 2-6 terrain type, 11-15 scene slot.
constexpr uint16_t kSceneryWord = 0 << 2;
constexpr uint16_t kBareWord = 1 << 2;
constexpr uint16_t kRoad = 1;

dat::Region world_region() {
  dat::TerrainType scenery, bare;
  scenery.name = "grass";
  scenery.scene_types = {1};
  bare.name = "rock";
  bare.scene_types = {0};
  dat::SceneDesc desc;
  desc.scene_types.resize(2);
  desc.scene_types[0].type_value = 0;  // no scenes
  desc.scene_types[1].scenes = {kSceneId, kSceneId, kRockSceneId};
  return writer::minimal_region({scenery, bare}, desc);
}

dat::Scene world_scene() {
  dat::ObjectDesc tree = writer::object_desc_at(kTreeId, {3, 4, 0});
  tree.max_rotation = 360;
  tree.min_scale = 0.8f;
  tree.max_scale = 1.3f;
  tree.max_slope = 0.2f;  // strict mode drops the trees on steeper ground
  dat::ObjectDesc shrub = writer::object_desc_at(kShrubId, {-2, 1, 0});
  shrub.frequency = 0.6f;
  shrub.displace_x = 10;
  shrub.displace_y = 10;
  shrub.max_rotation = 90;
  return dat::Scene{kSceneId, {tree, shrub}};
}

dat::Scene rock_scene() {
  dat::ObjectDesc rock = writer::object_desc_at(kRockId, {6, 6, 0});
  rock.frequency = 0.8f;
  rock.max_rotation = 180;
  rock.min_scale = 1;
  rock.max_scale = 2;
  return dat::Scene{kRockSceneId, {rock}};
}

std::vector<uint8_t> gfx(uint32_t id, std::vector<Vector3> vertices) {
  return writer::encode(writer::gfx_obj_from_vertices(id, vertices));
}

void write_archive(const std::filesystem::path& path,
                   const std::map<uint32_t, std::vector<uint8_t>>& records) {
  writer::ArchiveWriter w(256);
  for (const auto& [id, bytes] : records) w.add(id, bytes);
  std::vector<uint8_t> image = std::move(w).finish();
  if (auto written = writer::write_file(path, image); !written) {
    throw std::runtime_error("cannot write " + path.string() + ": " + written.error().text());
  }
}

}  // namespace

World::World() {
  portal[kRegionId] = writer::encode(world_region());
  portal[kSceneId] = writer::encode(world_scene());
  portal[kRockSceneId] = writer::encode(rock_scene());
  portal[kTreeId] = gfx(kTreeId, {{-0.5f, -0.4f, 0}, {0.5f, 0.6f, 4}, {0.1f, -0.5f, 2}});
  portal[kRockId] = gfx(kRockId, {{-1, -0.5f, 0}, {1, 0.5f, 1}});
  portal[kShrubId] = writer::encode(writer::setup_model_from_parts(kShrubId, {kTreeId}));
  portal[kHouseId] = gfx(kHouseId, {{-20, -20, 0}, {20, -20, 0}, {20, 20, 9}, {-20, 20, 9}});
  local[0x21000001] = {'E', 'n', 'g', 'l', 'i', 's', 'h'};
}

void World::add_landblock(uint16_t lb, Ground ground) {
  dat::CellLandblock block;
  block.id = terrain_id(lb);
  for (uint32_t i = 0; i < dat::CellLandblock::kVertices; ++i) {
    block.terrain[i] = ground == Ground::Scenery ? kSceneryWord : kBareWord;
    block.height[i] = static_cast<uint8_t>((i * 7 + (i / 9) * 3 + lb) % 23);
  }
  block.terrain[40] |= kRoad;
  cell[terrain_id(lb)] = writer::encode(block);
}

void World::add_house(uint16_t lb) {
  dat::BuildInfo house;
  house.model_id = kHouseId;
  house.frame.origin = {96, 96, 0};
  house.frame.orientation = {0.9238795f, 0, 0, 0.3826834f};  // turned by 45 degrees
  dat::LandblockInfo info;
  info.id = buildings_id(lb);
  info.buildings = {house};
  cell[buildings_id(lb)] = writer::encode(info);
}

dat::DatDatabase World::open_portal() const {
  writer::ArchiveWriter w(256);
  for (const auto& [id, bytes] : portal) w.add(id, bytes);
  std::vector<uint8_t> image = std::move(w).finish();
  auto db = writer::open_image(image);
  if (!db) throw std::runtime_error("cannot open the portal image: " + db.error().text());
  return std::move(*db);
}

void World::write(const std::filesystem::path& dir) const {
  std::filesystem::create_directories(dir);
  write_archive(dir / "client_portal.dat", portal);
  write_archive(dir / "client_cell_1.dat", cell);
  write_archive(dir / "client_local_English.dat", local);
}

}  // namespace torvanel::test_support
