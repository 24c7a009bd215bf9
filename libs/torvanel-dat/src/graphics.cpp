#include "torvanel/dat/graphics.hpp"

#include <utility>

namespace torvanel::dat {

namespace {

// Smallest wire sizes, for capping reservations by the remaining bytes.
constexpr uint64_t kVec2DuvSize = 8;
constexpr uint64_t kMinVertexEntrySize = 2 + 2 + 12 + 12;  // id, num_uvs, origin, normal

ReadResult<std::vector<uint8_t>> read_u8_list(Reader& r, uint64_t count) {
  TV_TRY(auto bytes, r.bytes(count));
  return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

}  // namespace

ReadResult<Vec2Duv> Vec2Duv::read(Reader& r) {
  static constexpr common::Fields F{"Vec2Duv"};
  Vec2Duv uv;
  TV_TRY(uv.u, F("u", r.f32()));
  TV_TRY(uv.v, F("v", r.f32()));
  return uv;
}

ReadResult<SWVertex> SWVertex::read(Reader& r) {
  static constexpr common::Fields F{"SWVertex"};
  SWVertex v;
  TV_TRY(uint16_t num_uvs, F("num_uvs", r.u16()));
  TV_TRY(v.origin, F("origin", Vector3::read(r)));
  TV_TRY(v.normal, F("normal", Vector3::read(r)));
  TV_TRY(v.uvs, F("uvs", common::read_list<Vec2Duv>(r, num_uvs, kVec2DuvSize, Vec2Duv::read)));
  return v;
}

ReadResult<CVertexArray> CVertexArray::read(Reader& r) {
  using Entry = std::pair<uint16_t, SWVertex>;
  CVertexArray a;
  TV_TRY(a.vertex_type, r.u32());
  TV_TRY(uint32_t count, r.u32());
  if (a.vertex_type != kSWVertexType) return a;
  TV_TRY(auto entries, common::read_list<Entry>(r, count, kMinVertexEntrySize,
                                                [](Reader& in) -> ReadResult<Entry> {
                                                  TV_TRY(uint16_t id, in.u16());
                                                  TV_TRY(SWVertex vertex, SWVertex::read(in));
                                                  return Entry{id, std::move(vertex)};
                                                }));
  a.vertices = common::FlatMap<uint16_t, SWVertex>::from_entries(std::move(entries));
  return a;
}

ReadResult<Polygon> Polygon::read(Reader& r) {
  Polygon p;
  TV_TRY(p.vertex_count, r.u8());
  TV_TRY(p.flags, r.u8());
  TV_TRY(p.sides, r.u32());
  TV_TRY(p.front_surface, r.i16());
  TV_TRY(p.back_surface, r.i16());
  TV_TRY(p.vertex_ids, common::read_list<uint16_t>(r, p.vertex_count, 2,
                                                   [](Reader& in) { return in.u16(); }));
  if (p.has_front_uvs()) {
    TV_TRY(p.front_uv_indices, read_u8_list(r, p.vertex_count));
  }
  if (p.has_back_uvs()) {
    TV_TRY(p.back_uv_indices, read_u8_list(r, p.vertex_count));
  }
  return p;
}

}  // namespace torvanel::dat
