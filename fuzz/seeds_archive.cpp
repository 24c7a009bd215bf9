// Writes the seed corpus of fuzz_archive into the directory argv[1]: small
// archives with leaf and multi-level directories, compressed, scattered and
// over-long records, and a few hostile directories.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "seed_corpus.hpp"
#include "torvanel/writer/archive_writer.hpp"

namespace {

namespace writer = torvanel::writer;
using writer::ArchiveWriter;
using writer::ChainLayout;
using writer::RawNode;
using Bytes = std::vector<uint8_t>;

Bytes pattern(size_t size, uint8_t seed) {
  Bytes out(size);
  for (size_t i = 0; i < size; ++i) out[i] = static_cast<uint8_t>(seed + i % 7 * (i % 3));
  return out;
}

std::vector<Bytes> archives() {
  std::vector<Bytes> out;

  {  // A leaf root over three records, one compressed.
    ArchiveWriter w(64);
    w.add(0x13000000, pattern(300, 1), {.compress = true});
    w.add(0x01000001, pattern(90, 2));
    w.add(0x0000FFFF, pattern(20, 3), {.timestamp = 5, .version = 2});
    out.push_back(std::move(w).finish());
  }
  {  // A three-level directory with scattered nodes.
    ArchiveWriter w(128, {.node_capacity = 2, .layout = ChainLayout::Scattered});
    for (uint32_t i = 0; i < 12; ++i) {
      w.add(0x0100FFFF + (i << 16), pattern(i * 17, static_cast<uint8_t>(i)),
            {.compress = i % 3 == 0});
    }
    out.push_back(std::move(w).finish());
  }
  {  // Scattered and over-long chains.
    ArchiveWriter w(256);
    w.add(1, pattern(700, 4), {.layout = ChainLayout::Scattered});
    w.add(2, pattern(900, 5), {.layout = ChainLayout::OverLong});
    w.add(3, pattern(600, 6), {.compress = true, .layout = ChainLayout::OverLong});
    out.push_back(std::move(w).finish());
  }
  {  // An empty directory.
    ArchiveWriter w(64);
    out.push_back(std::move(w).finish());
  }
  {  // Size-0 entries, an entry beyond the end, a child overriding its parent.
    ArchiveWriter w(64);
    const auto record = w.add(7, pattern(50, 7));
    RawNode leaf{.entries = {record, {.id = 8, .offset = 0xFFFFFF00, .size = 0}}};
    RawNode root{.entries = {{.id = 7, .offset = 0x7FFF0000, .size = 40},
                             {.bit_flags = 1, .id = 9, .offset = record.offset, .size = 50}}};
    root.branches[0] = w.write_node(leaf);
    root.branches[2] = w.write_node({.entries = {{.id = 10}}});
    w.set_root(w.write_node(root));
    out.push_back(std::move(w).finish());
  }
  {  // An entry count past the node's room.
    ArchiveWriter w(64);
    w.set_root(w.write_node({.entries = {{.id = 1}}, .count = 62}));
    out.push_back(std::move(w).finish());
  }
  {  // A node that is its own child.
    ArchiveWriter w(64);
    RawNode root{.entries = {{.id = 1}}};
    root.branches[0] = w.end_offset();
    w.set_root(w.write_node(root));
    out.push_back(std::move(w).finish());
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  Seeds seeds;
  for (Bytes& archive : archives()) {
    seeds.emplace_back("archive_" + std::to_string(seeds.size()), std::move(archive));
  }
  return write_seed_corpus(argc, argv, seeds);
}
