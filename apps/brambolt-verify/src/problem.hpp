#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace torvanel::verify {

// One thing about an output directory that does not hold.
struct Problem {
  std::string file;   // the name inside the output directory, or a path outside it
  uint64_t line = 0;  // 1-based; 0 for a problem of the whole file
  std::string what;

  bool operator==(const Problem&) const = default;
};

// "{file}:{line}: {what}", or "{file}: {what}" for a whole-file problem.
std::string format_problem(const Problem& problem);

// Everything a verification found. Notes are observations that do not make
// the directory unusable.
struct VerifyReport {
  std::vector<Problem> problems;
  std::vector<std::string> notes;
  uint64_t files = 0;  // placement files looked at
  uint64_t lines = 0;  // lines read from them

  void add(std::string file, uint64_t line, std::string what) {
    problems.push_back({std::move(file), line, std::move(what)});
  }
  bool ok() const { return problems.empty(); }
};

// What the tool prints: one line per problem, one "note: " line per note,
// then "verified {files} placement files, {lines} lines: ok", or
// ": {n} problems" ("1 problem") in place of "ok".
std::string format_report(const VerifyReport& report);

}  // namespace torvanel::verify
