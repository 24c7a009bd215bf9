#pragma once

// Binary space partitioning trees of graphics objects. A tree is stored as
// a recursive sequence of nodes, each starting with a u32 tag whose four
// characters are its bytes from the most significant down ("LEAF" is
// 0x4C454146, stored as F, A, E, L). The kind of the tree decides which
// optional fields every node carries.

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "torvanel/common/math.hpp"
#include "torvanel/common/reader.hpp"

namespace torvanel::dat {

using common::Plane;
using common::ReadResult;
using common::Reader;
using common::Sphere;

enum class BspTreeKind : uint32_t { Drawing = 0, Physics = 1, Cell = 2 };

// The tag value of four characters, the first in the most significant byte.
constexpr uint32_t bsp_tag(std::string_view chars) {
  return static_cast<uint32_t>(static_cast<uint8_t>(chars[0])) << 24 |
         static_cast<uint32_t>(static_cast<uint8_t>(chars[1])) << 16 |
         static_cast<uint32_t>(static_cast<uint8_t>(chars[2])) << 8 |
         static_cast<uint32_t>(static_cast<uint8_t>(chars[3]));
}

inline constexpr uint32_t kBspLeafTag = bsp_tag("LEAF");
inline constexpr uint32_t kBspPortalTag = bsp_tag("PORT");

// The reader refuses trees deeper than this (the root is level 1); real
// trees stay far below it.
inline constexpr unsigned kMaxBspDepth = 256;

struct BspNode;

// A splitting node. Its tag announces its children: "BPIN" and "BPnN" have
// both, "BPIn" and "BPnn" only a front child, "BpIN" and "BpnN" only a back
// child; every other tag (LEAF and PORT aside) has none.
struct InternalNode {
  uint32_t node_type = 0;  // the tag as read
  Plane splitting_plane;
  std::unique_ptr<BspNode> front;
  std::unique_ptr<BspNode> back;
  std::optional<Sphere> sphere;    // absent in cell trees
  std::vector<uint16_t> poly_ids;  // drawing trees only

  friend bool operator==(const InternalNode& a, const InternalNode& b);
};

struct BspLeaf {
  uint32_t leaf_index = 0;
  std::optional<uint32_t> solid;   // physics trees only
  std::optional<Sphere> sphere;    // physics trees only
  std::vector<uint16_t> poly_ids;  // physics trees only

  bool operator==(const BspLeaf&) const = default;
};

struct PortalPoly {
  uint16_t portal_index = 0;
  uint16_t poly_id = 0;

  static ReadResult<PortalPoly> read(Reader& r);
  bool operator==(const PortalPoly&) const = default;
};

// A portal node; it always has both children. In drawing trees it also
// carries a sphere, then a polygon count and a portal count, then both
// lists.
struct BspPortal {
  Plane splitting_plane;
  std::unique_ptr<BspNode> front;
  std::unique_ptr<BspNode> back;
  std::optional<Sphere> sphere;       // drawing trees only
  std::vector<uint16_t> poly_ids;     // drawing trees only
  std::vector<PortalPoly> portals;    // drawing trees only

  // The rest of a portal node once its tag has been read.
  static ReadResult<BspPortal> read(Reader& r, BspTreeKind kind);
  friend bool operator==(const BspPortal& a, const BspPortal& b);
};

// One node with its whole subtree. A failure anywhere in the subtree
// discards the nodes read so far; a tree deeper than kMaxBspDepth is
// refused with the custom failure "BSP tree deeper than 256 levels".
// Destruction does not recurse, however deep a tree was built.
struct BspNode {
  using Value = std::variant<InternalNode, BspLeaf, BspPortal>;

  Value value;

  BspNode() = default;
  BspNode(Value v) : value(std::move(v)) {}
  BspNode(BspNode&&) noexcept = default;
  BspNode& operator=(BspNode&&) noexcept = default;
  ~BspNode();

  static ReadResult<BspNode> read(Reader& r, BspTreeKind kind);
  bool operator==(const BspNode&) const = default;
};

}  // namespace torvanel::dat
