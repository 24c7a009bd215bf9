#include "manifest_check.hpp"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "output.hpp"

namespace torvanel::verify {
namespace {

using brambolt::BakeMode;

const std::string kPortal(64, 'a');
const std::string kCell(64, 'b');
const std::string kLocal = "0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef";

std::string manifest(BakeMode mode = BakeMode::AceCompat) {
  return tools::format_manifest(kPortal, kCell, kLocal, 0x13000000, 5, 1, mode);
}

// manifest() with the first `from` replaced by `to`.
std::string edited(std::string_view from, std::string_view to) {
  std::string text = manifest();
  size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  return text.replace(at, from.size(), to);
}

TEST(CheckManifest, ReadsWhatTheBakeWrites) {
  for (BakeMode mode : {BakeMode::AceCompat, BakeMode::Strict}) {
    VerifyReport report;
    Manifest m = check_manifest(manifest(mode), "m", report);
    EXPECT_TRUE(report.ok()) << format_report(report);
    EXPECT_EQ(m.portal_hash, kPortal);
    EXPECT_EQ(m.cell_hash, kCell);
    EXPECT_EQ(m.local_hash, kLocal);
    EXPECT_EQ(m.region_did, 0x13000000u);
    EXPECT_EQ(m.mode, mode);
    EXPECT_EQ(m.baked, 5u);
    EXPECT_EQ(m.skipped, 1u);
  }
}

TEST(CheckManifest, ReportsEachFaultOnItsLine) {
  struct Case {
    std::string text;
    uint64_t line;
    std::string what;
  };
  const std::string swapped = [] {
    std::string text = manifest();
    size_t region = text.find("region-did");
    size_t mode = text.find("bake-mode");
    size_t end = text.find('\n', mode) + 1;
    std::string region_line = text.substr(region, mode - region);
    std::string mode_line = text.substr(mode, end - mode);
    return text.replace(region, end - region, mode_line + region_line);
  }();
  const Case cases[] = {
      {edited(kPortal, std::string(64, 'A')), 1,
       R"("client_portal.dat" must be 64 lower-case hex)"},
      {edited(kCell, kCell.substr(1)), 2, R"("client_cell_1.dat" must be 64 lower-case hex)"},
      {edited("client_local_English.dat\t", "client_local_English.dat "), 3,
       R"(expected "client_local_English.dat", a tab and the value)"},
      {edited("brambolt-cli/0.1.0", "brambolt-cli/0.2.0"), 4,
       R"("bake-tool-version" must be "torvanel-brambolt/0.1.0 + brambolt-cli/0.1.0", found)"},
      {edited("0x13000000", "0x13000000 "), 5, R"("region-did" must be "0x" and eight upper-case)"},
      {edited("0x13000000", "0x1300000a"), 5, R"("region-did" must be "0x" and eight upper-case)"},
      {swapped, 5, R"(expected key "region-did", found "bake-mode")"},
      {edited("ace-compat", "ace_compat"), 6, R"("bake-mode" must be "ace-compat" or "strict")"},
      {edited("5 baked, 1 skipped", "5 baked"), 7,
       R"("landblocks" must be "{N} baked, {M} skipped")"},
      {edited("5 baked, 1 skipped", "05 baked, 1 skipped"), 7, R"("landblocks" must be)"},
      {edited("1 skipped\n", "1 skipped"), 7, "line does not end with a line feed"},
      {manifest() + "extra\tline\n", 0, "expected 7 lines, found 8"},
      {edited("bake-mode\tace-compat\n", ""), 0, "expected 7 lines, found 6"},
      {"", 0, "expected 7 lines, found 0"},
  };
  for (const Case& c : cases) {
    VerifyReport report;
    check_manifest(c.text, "bake-source.sha256", report);
    ASSERT_FALSE(report.problems.empty()) << c.text;
    const Problem& first = report.problems.front();
    EXPECT_EQ(first.file, "bake-source.sha256");
    EXPECT_EQ(first.line, c.line) << c.text;
    EXPECT_NE(first.what.find(c.what), std::string::npos) << c.text << "\n" << first.what;
  }
}

}  // namespace
}  // namespace torvanel::verify
