// Runs the executable over input directories that the pre-flight must
// refuse, and over one with every look-alike it must accept.
#include <fmt/format.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "preflight.hpp"
#include "support/bake_fixture.hpp"

namespace torvanel::tools {
namespace {

namespace fs = std::filesystem;
using test_support::brambolt_spec;
using test_support::mask_log_times;
using test_support::ProcessResult;
using test_support::read_file;
using test_support::TempDir;
using test_support::World;

constexpr std::string_view kRefuses = " — bake refuses to run against custom DATs\n";

void touch(const fs::path& path) { std::ofstream(path).put('x'); }

class PreflightRun : public test_support::BakeFixture {
 protected:
  PreflightRun() { world.add_landblock(0xA9B4, test_support::Ground::Bare); }

  ProcessResult run_over(const fs::path& dat) const {
    return test_support::run_brambolt(brambolt_spec(
        {"--dat-dir", dat.string(), "--landblocks", "0xA9B4", "--out", out_dir().string()}));
  }
};

TEST_F(PreflightRun, RefusesUnusableAndModifiedInputDirectories) {
  struct Case {
    std::string name;
    std::function<void(World&)> edit_world;  // before the archives are written
    // After they are written into `dat`; returns the --dat-dir to pass.
    std::function<fs::path(const fs::path& dat)> edit_dir;
    // {d}: the directory the archives are in; {arg}: the --dat-dir passed.
    std::string err;
  };
  auto in_dat = [](std::function<void(const fs::path&)> edit) {
    return [edit](const fs::path& dat) {
      edit(dat);
      return dat;
    };
  };
  const std::string refused = std::string(kRefuses);
  const Case cases[] = {
      {"a regular file", nullptr,
       [](const fs::path& dat) {
         touch(dat / "plain");
         return dat / "plain";
       },
       "Error: --dat-dir `{arg}` is not a directory\n"},
      {"a missing directory", nullptr, [](const fs::path& dat) { return dat / "missing"; },
       "Error: --dat-dir `{arg}` is not a directory\n"},
      {"no local archive, and an iteration marker", nullptr, in_dat([](const fs::path& dat) {
         fs::remove(dat / "client_local_English.dat");
         fs::create_directory(dat / "iter-3");
       }),
       "Error: stat client_local_English.dat at `{d}/client_local_English.dat`\n\nCaused by:\n"
       "    No such file or directory\n"},
      {"a directory for the portal archive", nullptr, in_dat([](const fs::path& dat) {
         fs::remove(dat / "client_portal.dat");
         fs::create_directory(dat / "client_portal.dat");
       }),
       "Error: --dat-dir: `{d}/client_portal.dat` is not a regular file (got "
       "file_type=FileType {{ is_file: false, is_dir: true, is_symlink: false, .. }})\n"},
      {"custom textures", nullptr, in_dat([](const fs::path& dat) {
         fs::create_directory(dat / "custom_textures");
         touch(dat / "custom_textures" / "0x06001234.dds");
       }),
       "Error: --dat-dir contains non-empty `custom_textures/`" + refused},
      {"a file named custom_textures", nullptr,
       in_dat([](const fs::path& dat) { touch(dat / "custom_textures"); }),
       "Error: Not a directory\n"},
      {"an iteration marker file, and a modder record",
       [](World& w) { w.portal[0x06FF0010] = {1}; },
       in_dat([](const fs::path& dat) { touch(dat / "iter-3"); }),
       "Error: --dat-dir contains modder-iteration marker `iter-3`" + refused},
      {"an iteration marker directory", nullptr,
       in_dat([](const fs::path& dat) { fs::create_directory(dat / "iter-12"); }),
       "Error: --dat-dir contains modder-iteration marker `iter-12`" + refused},
      {"an iteration marker whose name is not UTF-8", nullptr,
       in_dat([](const fs::path& dat) { touch(dat / "iter-\xFF"); }),
       "Error: --dat-dir contains modder-iteration marker `iter-\xEF\xBF\xBD`" + refused},
      {"a project file, and a portal archive that does not open", nullptr,
       in_dat([](const fs::path& dat) {
         std::ofstream(dat / "client_portal.dat", std::ios::trunc);
         touch(dat / "world.wbproj");
       }),
       "Error: --dat-dir contains WorldBuilder project file `world.wbproj`" + refused},
      {"modder records in the portal archive",
       [](World& w) {
         w.portal[0x06FF0010] = {1};
         w.portal[0x01FF0002] = {2};
         w.portal[0x79FF0000] = {3};
       },
       nullptr,
       "Error: --dat-dir contains modder-allocated record 0x01FF0002 in portal.dat" + refused},
      {"modder records in the cell and local archives",
       [](World& w) {
         w.cell[0x0AFFFFFF] = {1};
         w.local[0x01FF0000] = {2};
       },
       nullptr,
       "Error: --dat-dir contains modder-allocated record 0x0AFFFFFF in cell.dat" + refused},
      {"a modder record in the local archive", [](World& w) { w.local[0x78FFFFFF] = {1}; }, nullptr,
       "Error: --dat-dir contains modder-allocated record 0x78FFFFFF in local.dat" + refused},
  };
  for (const Case& c : cases) {
    TempDir tmp;
    World w = world;
    if (c.edit_world) c.edit_world(w);
    const fs::path dat = tmp.path() / "dat";
    w.write(dat);
    const fs::path arg = c.edit_dir ? c.edit_dir(dat) : dat;
    fs::remove_all(out_dir());

    ProcessResult r = run_over(arg);
    EXPECT_EQ(r.exit_status, 1) << c.name;
    EXPECT_EQ(r.err, fmt::format(fmt::runtime(c.err), fmt::arg("d", dat.string()),
                                 fmt::arg("arg", arg.string())))
        << c.name;
    // The output directory comes first and stays, empty.
    EXPECT_TRUE(fs::is_directory(out_dir())) << c.name;
    EXPECT_TRUE(fs::is_empty(out_dir())) << c.name;
  }
}

TEST_F(PreflightRun, ReportsAnArchiveThatDoesNotOpen) {
  world.write(dat_dir());
  std::ofstream(dat_dir() / "client_cell_1.dat", std::ios::trunc).write("short", 5);
  ProcessResult r = run_over(dat_dir());
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_TRUE(r.err.starts_with("Error: open " + (dat_dir() / "client_cell_1.dat").string() +
                                "\n\nCaused by:\n"))
      << r.err;
}

TEST_F(PreflightRun, AcceptsLinksAndLookAlikesAndLogsTheHashes) {
  world.portal[0x79FF0000] = {1};
  world.portal[0x00FF1234] = {2};
  world.portal[0x01FE0000] = {3};
  world.write(dat_dir());
  // The portal archive lives elsewhere; the directory is reached by a link.
  const fs::path portal = tmp.path() / "elsewhere" / "portal.dat";
  fs::create_directories(portal.parent_path());
  fs::rename(dat_dir() / "client_portal.dat", portal);
  fs::create_symlink(portal, dat_dir() / "client_portal.dat");
  fs::create_directory(dat_dir() / "custom_textures");
  for (const char* name : {"iteration-3", "ITER-3", "iter", "world.WBPROJ", "world.wbproj.bak"}) {
    touch(dat_dir() / name);
  }
  fs::create_directory_symlink(dat_dir(), tmp.path() / "link");

  auto spec = brambolt_spec({"--dat-dir", (tmp.path() / "link").string(), "--landblocks", "0xA9B4",
                             "--out", out_dir().string(), "--verbose"});
  ProcessResult r = test_support::run_brambolt(spec);
  ASSERT_EQ(r.exit_status, 0) << r.err;
  auto hash = [](const fs::path& path) { return sha256_file(path).value_or("?"); };
  const std::string portal_hash = hash(portal);
  const std::string cell_hash = hash(dat_dir() / "client_cell_1.dat");
  const std::string local_hash = hash(dat_dir() / "client_local_English.dat");
  EXPECT_NE(mask_log_times(r.err).find("\n[<time> INFO  brambolt] pre-flight ok: portal_hash=" +
                                       portal_hash.substr(0, 16) +
                                       " cell_hash=" + cell_hash.substr(0, 16) +
                                       " local_hash=" + local_hash.substr(0, 16) + "\n"),
            std::string::npos)
      << r.err;
  EXPECT_TRUE(read_file(out_dir() / "bake-source.sha256")
                  .starts_with("client_portal.dat\t" + portal_hash + "\nclient_cell_1.dat\t" +
                               cell_hash + "\nclient_local_English.dat\t" + local_hash + "\n"));
}

}  // namespace
}  // namespace torvanel::tools
