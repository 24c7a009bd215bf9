// Decoding cost of the largest records a bake reads: a graphics object of
// 10,000 vertices with its polygons and both trees, and a Region.

#include <benchmark/benchmark.h>

#include <vector>

#include "torvanel/dat/file_type/gfx_obj.hpp"
#include "torvanel/dat/file_type/region.hpp"
#include "torvanel/writer/encode_gfx_obj.hpp"
#include "torvanel/writer/encode_region.hpp"

namespace {

using torvanel::common::Reader;
using torvanel::common::Vector3;

std::vector<uint8_t> gfx_obj_record(int side) {
  std::vector<Vector3> positions;
  positions.reserve(static_cast<size_t>(side) * side);
  for (int x = 0; x < side; ++x) {
    for (int y = 0; y < side; ++y) {
      positions.push_back({x * 0.5f, y * 0.5f, static_cast<float>((x * 7 + y * 3) % 11)});
    }
  }
  return torvanel::writer::encode(torvanel::writer::gfx_obj_from_vertices(0x01000001, positions));
}

template <class Record>
void decode(benchmark::State& state, const std::vector<uint8_t>& bytes) {
  for (auto _ : state) {
    Reader r(bytes);
    auto record = Record::unpack(r);
    if (!record) {
      state.SkipWithError("decode failed");
      break;
    }
    benchmark::DoNotOptimize(record);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}

void BM_GfxObj10000Vertices(benchmark::State& state) {
  static const std::vector<uint8_t> bytes = gfx_obj_record(100);
  decode<torvanel::dat::GfxObj>(state, bytes);
}
BENCHMARK(BM_GfxObj10000Vertices);

void BM_Region(benchmark::State& state) {
  static const std::vector<uint8_t> bytes =
      torvanel::writer::encode(torvanel::writer::full_region(32));
  decode<torvanel::dat::Region>(state, bytes);
}
BENCHMARK(BM_Region);

}  // namespace
