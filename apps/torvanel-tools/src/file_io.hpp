#pragma once

#include <expected>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>

#include "torvanel/common/io_error.hpp"

namespace torvanel::tools {

// Owns a file descriptor and closes it when it goes; -1 owns nothing.
class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    if (this != &other) {
      reset();
      fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  ~UniqueFd() { reset(); }

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  void reset();

 private:
  int fd_ = -1;
};

// A path as messages show it: as given, bytes that are not UTF-8 as U+FFFD.
std::string path_text(const std::filesystem::path& path);

// Creates the file or truncates the existing one, for writing (mode 0666
// before the umask). A symbolic link under that name is refused, not
// followed: output never lands outside the directory it is meant for.
std::expected<UniqueFd, common::IoError> open_for_output(const std::filesystem::path& path);

// Writes all of `bytes`, continuing after short and interrupted writes.
std::expected<void, common::IoError> write_all(int fd, std::string_view bytes);

}  // namespace torvanel::tools
