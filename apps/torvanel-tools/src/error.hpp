#pragma once

#include <expected>
#include <string>
#include <system_error>
#include <vector>

#include "torvanel/common/io_error.hpp"
#include "torvanel/dat/error.hpp"

namespace torvanel::tools {

// A fatal error of the tool: a chain of messages, outermost first. Each
// layer that adds context puts its short lower-case message in front and
// keeps what it received beneath it as causes. Never empty.
class Error {
 public:
  // A single message without causes.
  static Error msg(std::string text);

  // A data-layer error: its own text, then the text of its cause if it
  // carries one.
  Error(const dat::DatError& error);
  // A system error, as its one-line description (e.g. "No such file or
  // directory").
  Error(const common::IoError& error);
  Error(std::error_code code);

  // `text` becomes the outermost message; the current chain its causes.
  Error context(std::string text) &&;

  const std::vector<std::string>& chain() const { return chain_; }

  // The top-level print, ending with a newline:
  //
  //   Error: <outermost>
  //
  //   Caused by:
  //       0: <cause>
  //       1: <cause>
  //
  // A single cause is indented by four spaces and not numbered; without
  // causes only the first line is printed. Further lines of a multi-line
  // cause line up under its first line's text.
  std::string report() const;

 private:
  explicit Error(std::vector<std::string> chain) : chain_(std::move(chain)) {}

  std::vector<std::string> chain_;
};

template <class T>
using ToolResult = std::expected<T, Error>;

}  // namespace torvanel::tools
