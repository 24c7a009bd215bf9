#include "error.hpp"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "torvanel/common/reader.hpp"

namespace torvanel::tools {
namespace {

Error chain_of(const std::vector<std::string>& messages) {
  Error error = Error::msg(messages.back());
  for (size_t i = messages.size() - 1; i-- > 0;) error = std::move(error).context(messages[i]);
  return error;
}

TEST(ErrorReport, PrintsTheChainOutermostFirst) {
  struct Case {
    std::vector<std::string> chain;
    std::string report;
  };
  const Case cases[] = {
      {{"the bake failed"}, "Error: the bake failed\n"},
      {{"fetch Region 0x13000000 from portal.dat", "File ID 13000000 not found in provider"},
       "Error: fetch Region 0x13000000 from portal.dat\n"
       "\n"
       "Caused by:\n"
       "    File ID 13000000 not found in provider\n"},
      {{"landblock list `ids.txt` line 3", "parse hex u32 `zz`", "invalid digit found in string"},
       "Error: landblock list `ids.txt` line 3\n"
       "\n"
       "Caused by:\n"
       "    0: parse hex u32 `zz`\n"
       "    1: invalid digit found in string\n"},
      // Further lines of a cause line up under its first line's text.
      {{"outer", "first line\nsecond line"},
       "Error: outer\n\nCaused by:\n    first line\n    second line\n"},
      {{"outer", "a\nb\n", "c"},
       "Error: outer\n\nCaused by:\n    0: a\n       b\n       \n    1: c\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(chain_of(c.chain).report(), c.report);
}

TEST(ErrorReport, NumbersStayRightAlignedPastNine) {
  std::vector<std::string> chain{"outer"};
  for (int i = 0; i < 11; ++i) chain.push_back("cause " + std::to_string(i));
  std::string report = chain_of(chain).report();
  EXPECT_NE(report.find("\n    9: cause 9\n   10: cause 10\n"), std::string::npos) << report;
}

TEST(ErrorConversion, KeepsTheCauseOfADataError) {
  struct Case {
    dat::DatError error;
    std::vector<std::string> chain;
  };
  const Case cases[] = {
      {dat::DatError::of(dat::DatError::NotFound{0x13000000}),
       {"File ID 13000000 not found in provider"}},
      {dat::DatError(common::IoError::from_errno(ENOENT)),
       {"IO error: No such file or directory", "No such file or directory"}},
  };
  for (const Case& c : cases) EXPECT_EQ(Error(c.error).chain(), c.chain);

  Error error = Error(dat::DatError(common::IoError::from_errno(EIO))).context("open portal.dat");
  EXPECT_EQ(error.report(),
            "Error: open portal.dat\n\nCaused by:\n    0: IO error: Input/output error\n"
            "    1: Input/output error\n");
}

TEST(ErrorConversion, SystemErrorsBecomeTheirDescription) {
  EXPECT_EQ(Error(std::error_code(ENOENT, std::system_category())).chain(),
            std::vector<std::string>{"No such file or directory"});
  EXPECT_EQ(Error(common::IoError::from_errno(EACCES)).chain(),
            std::vector<std::string>{"Permission denied"});
}

}  // namespace
}  // namespace torvanel::tools
