// Bakes a small world with the real tool, damages the output in one way at
// a time and checks that the verifier names the damage with the right file
// and line.
#include "verify.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "files.hpp"
#include "preflight.hpp"
#include "support/bake_fixture.hpp"
#include "support/brambolt.hpp"

namespace torvanel::verify {
namespace {

namespace fs = std::filesystem;
using test_support::Ground;
using test_support::ProcessResult;
using test_support::read_file;

constexpr const char* kTrees = "0xA9B4.scenery.jsonl";  // trees around a house
constexpr const char* kBare = "0xAAB4.scenery.jsonl";   // nothing placed: 0 bytes

void write(const fs::path& path, const std::string& contents) {
  fs::remove(path);
  std::FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr) << path;
  std::fwrite(contents.data(), 1, contents.size(), f);
  std::fclose(f);
}

bool has_problem(const VerifyReport& report, const std::string& file, uint64_t line,
                 const std::string& what) {
  return std::any_of(report.problems.begin(), report.problems.end(), [&](const Problem& p) {
    return p.file == file && p.line == line && p.what.find(what) != std::string::npos;
  });
}

ProcessResult run_verify(std::vector<std::string> args) {
  test_support::ProcessSpec spec;
  spec.program = BRAMBOLT_VERIFY_EXE;
  spec.args = std::move(args);
  auto result = test_support::run_process(spec);
  if (!result) {
    ADD_FAILURE() << result.error();
    return {};
  }
  return *result;
}

class VerifyBake : public test_support::BakeFixture {
 protected:
  void SetUp() override {
    world.add_landblock(0xA9B4);
    world.add_house(0xA9B4);
    world.add_landblock(0xA9B5);
    world.add_landblock(0xAAB4, Ground::Bare);
    // 0xAAB5 has no terrain record: skipped.
    ProcessResult baked = bake("0xA9B4..0xAAB5");
    ASSERT_EQ(baked.exit_status, 0) << baked.err;
  }

  VerifyReport verify(VerifyOptions options = {}) const {
    options.out = out_dir();
    return verify_output_dir(options);
  }

  fs::path out(const std::string& name) const { return out_dir() / name; }

  // Replaces a placement file, and with `refresh` its sidecar as well, so
  // that only the edited lines are wrong.
  void replace(const std::string& name, const std::string& contents, bool refresh) const {
    write(out(name), contents);
    if (refresh) write(out(name + ".sha256"), *tools::sha256_file(out(name)) + "\n");
  }

  // Line `n` (1-based) of a placement file, without its line feed.
  std::string line(const std::string& name, size_t n) const {
    std::string text = read_file(out(name));
    size_t begin = 0;
    for (size_t i = 1; i < n; ++i) begin = text.find('\n', begin) + 1;
    return text.substr(begin, text.find('\n', begin) - begin);
  }

  // The lines of one placement file, or of all of them.
  uint64_t lines_of(const std::string& name) const {
    std::string text = read_file(out(name));
    return static_cast<uint64_t>(std::count(text.begin(), text.end(), '\n'));
  }
  uint64_t total_lines() const {
    return lines_of(kTrees) + lines_of("0xA9B5.scenery.jsonl") + lines_of(kBare);
  }
};

TEST_F(VerifyBake, GoodBakeVerifiesClean) {
  ASSERT_GT(line("0xA9B4.scenery.jsonl", 3).size(), 0u);
  EXPECT_EQ(read_file(out(kBare)), "");
  VerifyOptions options;
  options.dat_dir = dat_dir();
  options.mode = brambolt::BakeMode::AceCompat;
  options.region_did = 0x13000000;
  VerifyReport report = verify(options);
  EXPECT_TRUE(report.ok()) << format_report(report);
  EXPECT_TRUE(report.notes.empty()) << format_report(report);
  EXPECT_EQ(report.files, 3u);
  EXPECT_EQ(report.lines, total_lines());
  EXPECT_GT(report.lines, 100u);

  // Files the bake does not write are none of the verifier's business.
  write(out("README"), "notes\n");
  write(out("0xa9b4.scenery.jsonl"), "not a placement file\n");
  fs::create_directory(out("0xA9B4.scenery"));
  EXPECT_TRUE(verify(options).ok()) << format_report(verify(options));

  ProcessResult run = run_verify({"--out", out_dir().string(), "--dat-dir", dat_dir().string(),
                                  "--mode=acecompat", "--region-did", "13000000"});
  EXPECT_EQ(run.exit_status, 0) << run.out << run.err;
  EXPECT_EQ(run.out,
            "verified 3 placement files, " + std::to_string(total_lines()) + " lines: ok\n");
  EXPECT_EQ(run.err, "");
}

TEST_F(VerifyBake, EachDamageIsReportedWithItsFileAndLine) {
  struct Case {
    const char* name;
    std::function<void()> damage;
    std::vector<Problem> expected;  // `what` is a substring
  };
  const std::string text = read_file(out(kTrees));
  const Case cases[] = {
      {"flipped byte",
       [&] {
         std::string flipped = text;
         // The last digit of line 1's obj_id: the line stays well formed.
         size_t digit = flipped.find("\"obj_id\":\"0x") + 19;
         flipped[digit] = flipped[digit] == '1' ? '2' : '1';
         replace(kTrees, flipped, false);
       },
       {{kTrees, 0, "SHA-256 is "}}},
      {"truncated file",
       [&] {
         size_t third = text.find('\n', text.find('\n') + 1) + 1;
         replace(kTrees, text.substr(0, third + 40), false);
       },
       {{kTrees, 3, "line does not end with a line feed"}, {kTrees, 0, "SHA-256 is "}}},
      {"missing sidecar",
       [&] { fs::remove(out("0xA9B5.scenery.jsonl.sha256")); },
       {{"0xA9B5.scenery.jsonl", 0, "no sidecar 0xA9B5.scenery.jsonl.sha256 beside it"}}},
      {"sidecar without its file",
       [&] { fs::remove(out("0xA9B5.scenery.jsonl")); },
       {{"0xA9B5.scenery.jsonl.sha256", 0, "no placement file 0xA9B5.scenery.jsonl beside it"}}},
      {"malformed sidecar",
       [&] { write(out(std::string(kBare) + ".sha256"), std::string(64, 'A') + "\n"); },
       {{std::string(kBare) + ".sha256", 0, "expected 64 lower-case hex digits and a line feed"}}},
      {"NaN by hand",
       [&] {
         std::string edited = text;
         size_t x = edited.find("\"x\":", edited.find('\n')) + 4;  // line 2
         edited.replace(x, edited.find(',', x) - x, "NaN");
         replace(kTrees, edited, true);
       },
       {{kTrees, 2, "\"x\" must be a number with six decimals, found \"NaN\""}}},
      {"keys reordered by hand",
       [&] {
         std::string edited = text;
         size_t q = edited.find("\"qw\":");
         size_t qx = edited.find(",\"qx\":", q);
         size_t qy = edited.find(",\"qy\":", q);
         std::string qw = edited.substr(q, qx - q), rest = edited.substr(qx + 1, qy - qx - 1);
         edited.replace(q, qy - q, rest + "," + qw);
         replace(kTrees, edited, true);
       },
       {{kTrees, 1, "expected key \"qw\", found \"qx\""}}},
      {"blank line appended",
       [&] { replace(kTrees, text + "\n", true); },
       {{kTrees, static_cast<uint64_t>(std::count(text.begin(), text.end(), '\n')) + 1,
         "empty line"}}},
      {"placement file that is a directory",
       [&] {
         fs::remove(out(kBare));
         fs::create_directory(out(kBare));
       },
       {{kBare, 0, "not a regular file"}}},
      {"manifest missing",
       [&] { fs::remove(out("bake-source.sha256")); },
       {{"bake-source.sha256", 0, "missing"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(out_dir());
    ASSERT_EQ(bake("0xA9B4..0xAAB5").exit_status, 0);
    c.damage();
    VerifyReport report = verify();
    EXPECT_EQ(report.problems.size(), c.expected.size()) << format_report(report);
    for (const Problem& p : c.expected) {
      EXPECT_TRUE(has_problem(report, p.file, p.line, p.what)) << format_problem(p) << "\nnot in\n"
                                                               << format_report(report);
    }
  }
}

TEST_F(VerifyBake, ManifestIsCheckedAgainstTheInputsNamed) {
  // Other archives: the local archive differs.
  const fs::path other = tmp.path() / "other";
  world.local[0x21000002] = {'x'};
  world.write(other);
  VerifyOptions options;
  options.dat_dir = other;
  options.mode = brambolt::BakeMode::Strict;
  options.region_did = 0x13000001;
  VerifyReport report = verify(options);
  EXPECT_EQ(report.problems.size(), 3u) << format_report(report);
  EXPECT_TRUE(has_problem(report, "bake-source.sha256", 3,
                          "client_local_English.dat was baked from SHA-256 "))
      << format_report(report);
  EXPECT_TRUE(has_problem(report, "bake-source.sha256", 5,
                          "baked from Region 0x13000000, expected 0x13000001"));
  EXPECT_TRUE(
      has_problem(report, "bake-source.sha256", 6, "baked in mode ace-compat, expected strict"));

  options = {};
  options.dat_dir = tmp.path() / "nowhere";
  report = verify(options);
  ASSERT_EQ(report.problems.size(), 3u) << format_report(report);
  EXPECT_NE(report.problems[0].what.find("cannot hash: open for hash"), std::string::npos)
      << format_report(report);
}

TEST_F(VerifyBake, CountsThatDisagreeWithTheFilesAreNotesOnly) {
  // The list named 0xA9B4 twice: 4 baked, 3 files.
  fs::path list = tmp.write_file("list.txt", "0xA9B4\n0xA9B4\n0xA9B5\n0xAAB4\n");
  ASSERT_EQ(bake("@" + list.string()).exit_status, 0);
  VerifyReport report = verify();
  EXPECT_TRUE(report.ok()) << format_report(report);
  EXPECT_EQ(report.notes, std::vector<std::string>{
                              "baked count 4 exceeds 3 placement files: the landblock list may "
                              "have held duplicates"});

  // A later bake of one landblock into the same directory.
  ASSERT_EQ(bake("0xA9B5").exit_status, 0);
  report = verify();
  EXPECT_TRUE(report.ok()) << format_report(report);
  ASSERT_EQ(report.notes.size(), 1u);
  EXPECT_TRUE(report.notes[0].starts_with("3 placement files exceed the baked count 1"));
  EXPECT_TRUE(format_report(report).starts_with("note: 3 placement files"));
}

TEST_F(VerifyBake, ExitStatusAndOutputOfTheTool) {
  std::string name = kTrees;
  write(out(name), read_file(out(name)) + "{}\n");
  ProcessResult run = run_verify({"--out", out_dir().string()});
  EXPECT_EQ(run.exit_status, 1);
  const uint64_t last = lines_of(name);
  EXPECT_NE(
      run.out.find(name + ":" + std::to_string(last) + ": expected key \"obj_id\", found \"}\"\n"),
      std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find(name + ": SHA-256 is "), std::string::npos) << run.out;
  EXPECT_TRUE(run.out.ends_with("verified 3 placement files, " + std::to_string(total_lines()) +
                                " lines: 2 problems\n"))
      << run.out;

  run = run_verify({"--out", (tmp.path() / "absent").string()});
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_EQ(run.out, (tmp.path() / "absent").string() +
                         ": not a directory\nverified 0 placement files, 0 lines: 1 problem\n");

  struct Usage {
    std::vector<std::string> args;
    std::string err;
  };
  const Usage usages[] = {
      {{}, "--out"},
      {{"--out", out_dir().string(), "--mode", "STRICT"},
       "Error: --mode parse error: unknown BakeMode `STRICT` (expected `ace-compat` or "
       "`strict`)\n"},
      {{"--out", out_dir().string(), "--region-did", "0x"}, "Error: parse hex u32 `0x`"},
      {{"--out", out_dir().string(), "--bogus"}, "--bogus"},
  };
  for (const Usage& u : usages) {
    run = run_verify(u.args);
    EXPECT_EQ(run.exit_status, 2) << run.err;
    EXPECT_NE(run.err.find(u.err), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
  }
}

TEST(LineReader, ReadsLinesAcrossChunksAndCutsOverlongOnes) {
  test_support::TempDir tmp;
  std::string text, expected_long(LineReader::kMaxLine, 'y');
  std::vector<std::string> lines;
  for (int i = 0; text.size() < 150 * 1024; ++i) {
    lines.push_back(std::string(static_cast<size_t>(i % 97), 'a' + i % 26));
    text += lines.back() + "\n";
  }
  lines.push_back(std::string(LineReader::kMaxLine + 10, 'y'));
  lines.push_back("last");
  text += lines[lines.size() - 2] + "\nlast";
  auto fd = open_regular(tmp.write_file("lines", text));
  ASSERT_TRUE(fd) << fd.error();
  LineReader reader(fd->get());
  for (size_t i = 0; i < lines.size(); ++i) {
    auto line = reader.next();
    ASSERT_TRUE(line && *line) << i;
    const bool overlong = lines[i].size() > LineReader::kMaxLine;
    EXPECT_EQ((*line)->text, overlong ? expected_long : lines[i]) << i;
    EXPECT_EQ((*line)->too_long, overlong) << i;
    EXPECT_EQ((*line)->terminated, i + 1 < lines.size()) << i;
  }
  auto end = reader.next();
  ASSERT_TRUE(end);
  EXPECT_FALSE(end->has_value());
}

}  // namespace
}  // namespace torvanel::verify
