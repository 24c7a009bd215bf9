#include "problem.hpp"

#include <fmt/format.h>

namespace torvanel::verify {

std::string format_problem(const Problem& problem) {
  if (problem.line == 0) return fmt::format("{}: {}", problem.file, problem.what);
  return fmt::format("{}:{}: {}", problem.file, problem.line, problem.what);
}

std::string format_report(const VerifyReport& report) {
  std::string text;
  for (const Problem& problem : report.problems) text += format_problem(problem) + "\n";
  for (const std::string& note : report.notes) text += fmt::format("note: {}\n", note);
  text += fmt::format("verified {} placement files, {} lines: ", report.files, report.lines);
  const size_t n = report.problems.size();
  if (n == 0) {
    text += "ok\n";
  } else {
    text += fmt::format("{} {}\n", n, n == 1 ? "problem" : "problems");
  }
  return text;
}

}  // namespace torvanel::verify
