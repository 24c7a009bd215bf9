#include "line_check.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

#include "output.hpp"
#include "torvanel/brambolt/bake.hpp"

namespace torvanel::verify {
namespace {

using brambolt::Placement;

constexpr std::string_view kGood =
    R"({"obj_id":"0x0200ABCD","x":12.500000,"y":100.000000,"z":55.250000,"qw":0.923880,)"
    R"("qx":0.000000,"qy":0.000000,"qz":0.382683,"scale":1.000000,"source_cell_x":3,)"
    R"("source_cell_y":7,"source_obj_idx":0})";

std::string line_of(const Placement& p) {
  std::string line;
  tools::append_placement_line(line, p);
  line.pop_back();
  return line;
}

// kGood with the first `from` replaced by `to`.
std::string edited(std::string_view from, std::string_view to) {
  std::string line(kGood);
  size_t at = line.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  return line.replace(at, from.size(), to);
}

TEST(CheckPlacementLine, AcceptsEveryLineTheBakePrints) {
  Placement edge;
  edge.obj_id = 0x1;
  edge.x = 0.0f;
  edge.y = 192.0f;
  edge.z = -0.0f;              // prints 0.000000
  edge.qz = -1.0e-7f;          // prints -0.000000
  edge.qw = 0.0078125f;        // a tie: 0.007812
  edge.scale = 3.4028235e38f;  // the longest float text
  edge.source_cell_x = 8;
  edge.source_obj_idx = UINT32_MAX;
  Placement near_edge;
  near_edge.x = std::nextafter(192.0f, 0.0f);  // 191.999985
  near_edge.y = std::numeric_limits<float>::denorm_min();
  near_edge.z = -1234.5678f;
  for (const Placement& p : {Placement{}, edge, near_edge}) {
    EXPECT_EQ(check_placement_line(line_of(p)), std::nullopt) << line_of(p);
  }
  EXPECT_EQ(check_placement_line(kGood), std::nullopt);
  EXPECT_EQ(check_placement_line(edited(R"("qz":0.382683)", R"("qz":-0.000000)")), std::nullopt);
}

TEST(CheckPlacementLine, NamesTheFirstFault) {
  struct Case {
    std::string line;
    std::string what;
  };
  const Case cases[] = {
      {edited("12.500000", "NaN"), R"("x" must be a number with six decimals, found "NaN")"},
      {edited("55.250000", "inf"), R"("z" must be a number with six decimals, found "inf")"},
      {edited("12.500000", "1.25e+01"), R"("x" must be a number with six decimals)"},
      {edited("12.500000", "12.5"), R"("x" must be a number with six decimals, found "12.5")"},
      {edited(R"("qz":0.382683)", R"("qz":-0.0)"), R"("qz" must be a number with six decimals)"},
      {edited("12.500000", "012.500000"), R"("x" must be a number with six decimals)"},
      {edited("55.250000", "+55.250000"), R"("z" must be a number with six decimals)"},
      {edited(R"("x":12.500000,"y":100.000000)", R"("y":100.000000,"x":12.500000)"),
       R"(expected key "x", found "y")"},
      {edited(R"("x":)", R"("x": )"), R"("x" must be a number with six decimals, found " 12.5)"},
      {edited(R"(,"y":)", R"(, "y":)"), R"(expected key "y", found " \x22y\x22:100.)"},
      {edited(R"("qw")", R"(qw)"), R"(expected key "qw", found "qw:0.923880)"},
      {edited("0x0200ABCD", "0x0200abcd"), R"("obj_id" must be "0x" and eight upper-case hex)"},
      {edited("0x0200ABCD", "0x200ABCD"), R"("obj_id" must be "0x" and eight upper-case hex)"},
      {edited(R"("source_cell_x":3)", R"("source_cell_x":9)"),
       R"("source_cell_x" must be a cell index 0-8, found "9")"},
      {edited(R"("source_cell_y":7)", R"("source_cell_y":07)"), R"(must be a cell index 0-8)"},
      {edited(R"("source_obj_idx":0)", R"("source_obj_idx":4294967296)"),
       R"("source_obj_idx" must be a decimal number below 2^32)"},
      {edited("55.250000", "16777217.000000"),
       R"("z" value 16777217.000000 is not a single-precision number as the bake prints it )"
       R"((the nearest prints as 16777216.000000))"},
      {edited("12.500000", "45.000001"), R"((the nearest prints as 45.000000))"},
      {edited("55.250000", "3402823466385288598117041834845169254400.000000"),
       R"("z" value 3402823466385288598117041834845169254400.000000 is not a finite)"},
      {edited("12.500000", "192.000015"), R"("x" value 192.000015 lies outside the landblock)"},
      {edited("100.000000", "-0.000000"), R"("y" value -0.000000 lies outside the landblock)"},
      {std::string(kGood) + "\r", R"(unexpected text after "}": "\x0D")"},
      {std::string(kGood) + ",", R"(unexpected text after "}")"},
      {std::string(kGood.substr(0, kGood.size() - 1)), R"(line ends after the "source_obj_idx")"},
      {std::string(kGood.substr(0, kGood.find(R"(,"qw")"))), R"(line ends after the "z" value)"},
      {std::string(kGood.substr(0, kGood.find(R"("qw")") + 2)), R"(line ends inside key "qw")"},
      {std::string(kGood.substr(0, kGood.find(R"("qw")"))), R"(line ends before key "qw")"},
      {std::string(kGood.substr(1)), R"(expected "{" to begin the line)"},
      {"{}", R"(expected key "obj_id", found "}")"},
  };
  for (const Case& c : cases) {
    std::optional<std::string> what = check_placement_line(c.line);
    ASSERT_TRUE(what.has_value()) << c.line;
    EXPECT_NE(what->find(c.what), std::string::npos) << c.line << "\n" << *what;
  }
}

}  // namespace
}  // namespace torvanel::verify
