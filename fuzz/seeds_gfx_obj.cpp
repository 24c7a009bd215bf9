// Writes the seed corpus of fuzz_gfx_obj into the directory argv[1].
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "seed_corpus.hpp"
#include "torvanel/writer/encode_gfx_obj.hpp"

namespace {

using namespace torvanel::dat;

const std::vector<Vector3> kSquare{{0, 0, 0}, {2, 0, 0}, {2, 2, 1}, {0, 2, 1}};

// A drawing tree with a portal over a node of each child family.
BspNode portal_tree() {
  InternalNode front_only;
  front_only.node_type = bsp_tag("BPIn");
  front_only.front = std::make_unique<BspNode>(BspLeaf{0, {}, {}, {}});
  front_only.sphere = Sphere{{0, 0, 0}, 1};
  front_only.poly_ids = {0};
  InternalNode back_only;
  back_only.node_type = bsp_tag("BpIN");
  back_only.back = std::make_unique<BspNode>(BspLeaf{1, {}, {}, {}});
  back_only.sphere = Sphere{{0, 0, 0}, 1};
  BspPortal portal;
  portal.front = std::make_unique<BspNode>(std::move(front_only));
  portal.back = std::make_unique<BspNode>(std::move(back_only));
  portal.sphere = Sphere{{0, 0, 0}, 2};
  portal.poly_ids = {1};
  portal.portals = {{0, 1}, {1, 0}};
  return BspNode(std::move(portal));
}

}  // namespace

int main(int argc, char** argv) {
  using torvanel::writer::encode;
  using torvanel::writer::gfx_obj_from_vertices;

  GfxObj bare = gfx_obj_from_vertices(0x01000001, kSquare);
  bare.flags = GfxObj::kHasDegrade;
  bare.physics_polygons = {};
  bare.physics_bsp.reset();
  bare.polygons = {};
  bare.drawing_bsp.reset();
  bare.degrade_id = 0x01000002;

  GfxObj with_portal = gfx_obj_from_vertices(0x01000003, kSquare);
  with_portal.drawing_bsp = portal_tree();

  std::vector<Vector3> grid;
  for (int i = 0; i < 40; ++i) grid.push_back({float(i % 8), float(i / 8), 0});

  const Seeds seeds{{"bare", encode(bare)},
                    {"square", encode(gfx_obj_from_vertices(0x01000004, kSquare))},
                    {"portal", encode(with_portal)},
                    {"grid", encode(gfx_obj_from_vertices(0x01000005, grid))}};
  return write_seed_corpus(argc, argv, seeds);
}
