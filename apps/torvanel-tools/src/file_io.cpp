#include "file_io.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "torvanel/dat/utils.hpp"

namespace torvanel::tools {

using common::IoError;

void UniqueFd::reset() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

std::string path_text(const std::filesystem::path& path) { return dat::utf8_lossy(path.native()); }

std::expected<UniqueFd, IoError> open_for_output(const std::filesystem::path& path) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd < 0) return std::unexpected(IoError::last_os_error());
  return UniqueFd(fd);
}

std::expected<void, IoError> write_all(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return std::unexpected(IoError::last_os_error());
    }
    // A regular file never takes nothing without saying why; do not spin.
    if (n == 0) return std::unexpected(IoError::unexpected_eof("failed to write whole buffer"));
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return {};
}

}  // namespace torvanel::tools
