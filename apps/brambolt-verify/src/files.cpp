#include "files.hpp"

#include <fcntl.h>
#include <fmt/format.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace torvanel::verify {

using common::IoError;

std::expected<tools::UniqueFd, std::string> open_regular(const std::filesystem::path& path) {
  // Non-blocking, so that opening a FIFO does not wait for a writer; reads
  // of a regular file never block anyway.
  tools::UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (!fd.valid()) {
    if (errno == ENOENT) return std::unexpected("missing");
    return std::unexpected(fmt::format("cannot open: {}", IoError::last_os_error().text()));
  }
  struct stat st;
  if (::fstat(fd.get(), &st) != 0) {
    return std::unexpected(fmt::format("cannot open: {}", IoError::last_os_error().text()));
  }
  if (!S_ISREG(st.st_mode)) return std::unexpected("not a regular file");
  return fd;
}

std::expected<std::string, std::string> read_small_file(const std::filesystem::path& path,
                                                        size_t limit) {
  auto fd = open_regular(path);
  if (!fd) return std::unexpected(fd.error());
  std::string contents;
  char chunk[4096];
  for (;;) {
    ssize_t n = ::read(fd->get(), chunk, sizeof chunk);
    if (n < 0) {
      if (errno == EINTR) continue;
      return std::unexpected(fmt::format("cannot read: {}", IoError::last_os_error().text()));
    }
    if (n == 0) return contents;
    if (contents.size() + static_cast<size_t>(n) > limit) {
      return std::unexpected(fmt::format("larger than {} bytes", limit));
    }
    contents.append(chunk, static_cast<size_t>(n));
  }
}

void LineReader::append(std::string_view bytes) {
  const size_t room = kMaxLine - line_.size();
  if (bytes.size() > room) too_long_ = true;
  line_.append(bytes.substr(0, room));
}

std::expected<std::optional<LineReader::Line>, IoError> LineReader::next() {
  // Whatever line_ holds was handed out by the previous call.
  line_.clear();
  too_long_ = false;
  for (;;) {
    const char* start = chunk_.data() + begin_;
    const void* newline = std::memchr(start, '\n', end_ - begin_);
    if (newline != nullptr) {
      const size_t length = static_cast<size_t>(static_cast<const char*>(newline) - start);
      append({start, length});
      begin_ += length + 1;
      return Line{line_, true, too_long_};
    }
    append({start, end_ - begin_});
    begin_ = end_ = 0;
    ssize_t n = ::read(fd_, chunk_.data(), chunk_.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return std::unexpected(IoError::last_os_error());
    }
    if (n == 0) {
      if (line_.empty() && !too_long_) return std::nullopt;
      return Line{line_, false, too_long_};
    }
    end_ = static_cast<size_t>(n);
  }
}

}  // namespace torvanel::verify
