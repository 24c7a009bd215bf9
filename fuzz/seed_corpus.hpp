// The common end of every seeds_<family> program: it builds its named seeds
// and hands them to write_seed_corpus, which writes each one as a file of
// that name into the corpus directory given on the command line.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

// File name and contents of each seed.
using Seeds = std::vector<std::pair<std::string, std::vector<uint8_t>>>;

// Expects exactly one argument, the corpus directory. Returns 0 once every
// seed is written, 1 if a file cannot be written, 2 on a wrong command line.
inline int write_seed_corpus(int argc, char** argv, const Seeds& seeds) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <corpus-dir>\n", argc > 0 ? argv[0] : "seeds");
    return 2;
  }
  const std::filesystem::path dir = argv[1];
  for (const auto& [name, bytes] : seeds) {
    const std::filesystem::path path = dir / name;
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
      std::fprintf(stderr, "cannot write seed %s\n", path.c_str());
      return 1;
    }
  }
  return 0;
}
