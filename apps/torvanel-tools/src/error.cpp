#include "error.hpp"

#include <string_view>

#include <fmt/format.h>

namespace torvanel::tools {

Error Error::msg(std::string text) { return Error(std::vector{std::move(text)}); }

Error::Error(const dat::DatError& error) : chain_{error.text()} {
  if (auto source = error.source_text()) chain_.push_back(std::move(*source));
}

Error::Error(const common::IoError& error) : chain_{error.text()} {}

Error::Error(std::error_code code) : chain_{code.message()} {}

Error Error::context(std::string text) && {
  chain_.insert(chain_.begin(), std::move(text));
  return std::move(*this);
}

namespace {

// Appends `text` after `lead`, starting every further line of it with
// `indent` so that it lines up under the first.
void append_indented(std::string& out, std::string_view lead, std::string_view indent,
                     std::string_view text) {
  out += lead;
  for (size_t newline; (newline = text.find('\n')) != std::string_view::npos;) {
    out += text.substr(0, newline + 1);
    out += indent;
    text.remove_prefix(newline + 1);
  }
  out += text;
  out += '\n';
}

}  // namespace

std::string Error::report() const {
  std::string out = "Error: " + chain_.front() + "\n";
  size_t causes = chain_.size() - 1;
  if (causes == 0) return out;
  out += "\nCaused by:\n";
  for (size_t i = 0; i < causes; ++i) {
    const std::string& cause = chain_[i + 1];
    if (causes == 1) {
      append_indented(out, "    ", "    ", cause);
    } else {
      append_indented(out, fmt::format("{:>5}: ", i), "       ", cause);
    }
  }
  return out;
}

}  // namespace torvanel::tools
