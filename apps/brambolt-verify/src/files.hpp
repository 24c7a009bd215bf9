#pragma once

#include <cstddef>
#include <expected>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "file_io.hpp"
#include "torvanel/common/io_error.hpp"

namespace torvanel::verify {

// Opens `path` for reading when it is a regular file (symbolic links
// followed). Otherwise says what it is instead: "missing", "not a regular
// file", or "cannot open: {system error}". Never blocks on a FIFO.
std::expected<tools::UniqueFd, std::string> open_regular(const std::filesystem::path& path);

// The whole contents of a regular file of at most `limit` bytes; otherwise
// what open_regular says, "larger than {limit} bytes" or "cannot read:
// {system error}".
std::expected<std::string, std::string> read_small_file(const std::filesystem::path& path,
                                                        size_t limit);

// The lines of a file, read in 64 KiB chunks; at most one line is held.
class LineReader {
 public:
  // Longer lines are cut here and flagged: no line of a placement file
  // comes near it.
  static constexpr size_t kMaxLine = 4096;

  struct Line {
    std::string_view text;  // without its line feed; valid until the next call
    bool terminated;        // false for a last line without a line feed
    bool too_long;          // the line had more than kMaxLine bytes; `text` is cut
  };

  explicit LineReader(int fd) : fd_(fd), chunk_(64 * 1024) {}

  // The next line, nothing after the last one, or the read error.
  std::expected<std::optional<Line>, common::IoError> next();

 private:
  void append(std::string_view bytes);

  int fd_;
  std::vector<char> chunk_;
  size_t begin_ = 0, end_ = 0;
  std::string line_;
  bool too_long_ = false;
};

}  // namespace torvanel::verify
