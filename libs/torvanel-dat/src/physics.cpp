#include "torvanel/dat/physics.hpp"

#include <fmt/format.h>

#include <utility>

namespace torvanel::dat {

namespace {

using common::BinReadError;
using Child = std::unique_ptr<BspNode>;

constexpr uint64_t kPortalPolySize = 4;

uint8_t tag_char(uint32_t tag, int index) {
  return static_cast<uint8_t>(tag >> (24 - 8 * index));
}

// "B", then "P" or "p", then "I" or "n": the tags that may announce children.
bool is_split_tag(uint32_t tag) {
  const uint8_t c1 = tag_char(tag, 1), c2 = tag_char(tag, 2);
  return tag_char(tag, 0) == 'B' && (c1 == 'P' || c1 == 'p') && (c2 == 'I' || c2 == 'n');
}
bool announces_front(uint32_t tag) { return is_split_tag(tag) && tag_char(tag, 1) == 'P'; }
bool announces_back(uint32_t tag) { return is_split_tag(tag) && tag_char(tag, 3) == 'N'; }

ReadResult<std::vector<uint16_t>> read_u16_list(Reader& r, uint64_t count) {
  return common::read_list<uint16_t>(r, count, 2, [](Reader& in) { return in.u16(); });
}

// A u32 count, then that many u16 polygon ids.
ReadResult<std::vector<uint16_t>> read_poly_ids(Reader& r) {
  TV_TRY(uint32_t count, r.u32());
  return read_u16_list(r, count);
}

ReadResult<BspNode> read_node(Reader& r, BspTreeKind kind, unsigned depth);

ReadResult<Child> read_child(Reader& r, BspTreeKind kind, unsigned depth) {
  TV_TRY(BspNode node, read_node(r, kind, depth));
  return std::make_unique<BspNode>(std::move(node));
}

ReadResult<BspLeaf> read_leaf(Reader& r, BspTreeKind kind) {
  BspLeaf leaf;
  TV_TRY(leaf.leaf_index, r.u32());
  if (kind == BspTreeKind::Physics) {
    TV_TRY(leaf.solid, r.u32());
    TV_TRY(leaf.sphere, Sphere::read(r));
    TV_TRY(leaf.poly_ids, read_poly_ids(r));
  }
  return leaf;
}

// `depth` is the level of the portal node itself.
ReadResult<BspPortal> read_portal(Reader& r, BspTreeKind kind, unsigned depth) {
  BspPortal portal;
  TV_TRY(portal.splitting_plane, Plane::read(r));
  TV_TRY(portal.front, read_child(r, kind, depth + 1));
  TV_TRY(portal.back, read_child(r, kind, depth + 1));
  if (kind == BspTreeKind::Drawing) {
    TV_TRY(portal.sphere, Sphere::read(r));
    TV_TRY(uint32_t poly_count, r.u32());
    TV_TRY(uint32_t portal_count, r.u32());
    TV_TRY(portal.poly_ids, read_u16_list(r, poly_count));
    TV_TRY(portal.portals, common::read_list<PortalPoly>(r, portal_count, kPortalPolySize,
                                                         PortalPoly::read));
  }
  return portal;
}

ReadResult<InternalNode> read_internal(Reader& r, BspTreeKind kind, uint32_t tag,
                                       unsigned depth) {
  InternalNode node;
  node.node_type = tag;
  TV_TRY(node.splitting_plane, Plane::read(r));
  if (announces_front(tag)) {
    TV_TRY(node.front, read_child(r, kind, depth + 1));
  }
  if (announces_back(tag)) {
    TV_TRY(node.back, read_child(r, kind, depth + 1));
  }
  if (kind != BspTreeKind::Cell) {
    TV_TRY(node.sphere, Sphere::read(r));
  }
  if (kind == BspTreeKind::Drawing) {
    TV_TRY(node.poly_ids, read_poly_ids(r));
  }
  return node;
}

// Recursion is bounded by kMaxBspDepth, so a crafted record cannot exhaust
// the stack.
ReadResult<BspNode> read_node(Reader& r, BspTreeKind kind, unsigned depth) {
  if (depth > kMaxBspDepth) {
    return std::unexpected(BinReadError::custom(
        fmt::format("BSP tree deeper than {} levels", kMaxBspDepth), r.position()));
  }
  TV_TRY(uint32_t tag, r.u32());
  if (tag == kBspLeafTag) {
    TV_TRY(BspLeaf leaf, read_leaf(r, kind));
    return BspNode(std::move(leaf));
  }
  if (tag == kBspPortalTag) {
    TV_TRY(BspPortal portal, read_portal(r, kind, depth));
    return BspNode(std::move(portal));
  }
  TV_TRY(InternalNode node, read_internal(r, kind, tag, depth));
  return BspNode(std::move(node));
}

// The child slots of a node: both null for a leaf.
std::pair<Child*, Child*> child_slots(BspNode& node) {
  if (auto* n = std::get_if<InternalNode>(&node.value)) return {&n->front, &n->back};
  if (auto* p = std::get_if<BspPortal>(&node.value)) return {&p->front, &p->back};
  return {nullptr, nullptr};
}

// Frees a subtree in constant stack space: while the top node has a front
// child, rotate that child up (the old top becomes its back child, the
// child's old back subtree the old top's front); a top without front child
// is freed after handing its back subtree up.
void free_subtree(Child top) {
  while (top) {
    auto [front, back] = child_slots(*top);
    if (front == nullptr) {
      top.reset();  // a leaf
    } else if (*front) {
      auto [up_front, up_back] = child_slots(**front);
      if (up_front == nullptr) {
        front->reset();  // a leaf: nothing below it
      } else {
        Child up = std::move(*front);
        *front = std::move(*up_back);
        *up_back = std::move(top);
        top = std::move(up);
      }
    } else {
      Child next = std::move(*back);
      top = std::move(next);
    }
  }
}

bool same_child(const Child& a, const Child& b) {
  return a == nullptr ? b == nullptr : b != nullptr && *a == *b;
}

}  // namespace

ReadResult<PortalPoly> PortalPoly::read(Reader& r) {
  static constexpr common::Fields F{"PortalPoly"};
  PortalPoly p;
  TV_TRY(p.portal_index, F("portal_index", r.u16()));
  TV_TRY(p.poly_id, F("poly_id", r.u16()));
  return p;
}

ReadResult<BspPortal> BspPortal::read(Reader& r, BspTreeKind kind) {
  return read_portal(r, kind, 1);
}

ReadResult<BspNode> BspNode::read(Reader& r, BspTreeKind kind) { return read_node(r, kind, 1); }

BspNode::~BspNode() {
  auto [front, back] = child_slots(*this);
  if (front == nullptr) return;
  free_subtree(std::move(*front));
  free_subtree(std::move(*back));
}

bool operator==(const InternalNode& a, const InternalNode& b) {
  return a.node_type == b.node_type && a.splitting_plane == b.splitting_plane &&
         same_child(a.front, b.front) && same_child(a.back, b.back) && a.sphere == b.sphere &&
         a.poly_ids == b.poly_ids;
}

bool operator==(const BspPortal& a, const BspPortal& b) {
  return a.splitting_plane == b.splitting_plane && same_child(a.front, b.front) &&
         same_child(a.back, b.back) && a.sphere == b.sphere && a.poly_ids == b.poly_ids &&
         a.portals == b.portals;
}

}  // namespace torvanel::dat
