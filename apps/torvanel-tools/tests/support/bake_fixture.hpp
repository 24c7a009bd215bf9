#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "support/brambolt.hpp"
#include "support/temp_dir.hpp"
#include "support/world.hpp"

namespace torvanel::test_support {

// A test world and an output directory side by side in a temporary
// directory, and the runs that bake the one into the other.
class BakeFixture : public ::testing::Test {
 protected:
  std::filesystem::path dat_dir() const { return tmp.path() / "dat"; }
  std::filesystem::path out_dir() const { return tmp.path() / "out"; }

  // Writes `ids` to the file `name` and returns the --landblocks text that
  // names it, "@<path>".
  std::string list_file(std::string_view name, std::string_view ids) const;

  // --dat-dir, --landblocks and --out, then `extra`.
  std::vector<std::string> args(std::string landblocks, std::vector<std::string> extra = {}) const;
  // Writes the world into dat_dir() and bakes it into out_dir().
  ProcessSpec spec(std::string landblocks, std::vector<std::string> extra = {}) const;
  ProcessResult bake(std::string landblocks, std::vector<std::string> extra = {}) const;

  TempDir tmp;
  World world;
};

}  // namespace torvanel::test_support
