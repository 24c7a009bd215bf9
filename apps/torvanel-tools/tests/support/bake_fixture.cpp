#include "support/bake_fixture.hpp"

#include <utility>

namespace torvanel::test_support {

std::string BakeFixture::list_file(std::string_view name, std::string_view ids) const {
  std::string spec = "@";
  spec += tmp.write_file(name, ids).string();
  return spec;
}

std::vector<std::string> BakeFixture::args(std::string landblocks,
                                           std::vector<std::string> extra) const {
  std::vector<std::string> all{"--dat-dir",    dat_dir().string(),
                               "--landblocks", std::move(landblocks),
                               "--out",        out_dir().string()};
  all.insert(all.end(), extra.begin(), extra.end());
  return all;
}

ProcessSpec BakeFixture::spec(std::string landblocks, std::vector<std::string> extra) const {
  world.write(dat_dir());
  return brambolt_spec(args(std::move(landblocks), std::move(extra)));
}

ProcessResult BakeFixture::bake(std::string landblocks, std::vector<std::string> extra) const {
  return run_brambolt(spec(std::move(landblocks), std::move(extra)));
}

}  // namespace torvanel::test_support
