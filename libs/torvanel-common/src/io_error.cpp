#include "torvanel/common/io_error.hpp"

#include <cerrno>
#include <cstring>

namespace torvanel::common {

IoError IoError::from_errno(int code) { return IoError(Kind::Os, code, std::strerror(code)); }

IoError IoError::last_os_error() { return from_errno(errno); }

IoError IoError::unexpected_eof(std::string text) {
  return IoError(Kind::UnexpectedEof, 0, std::move(text));
}

}  // namespace torvanel::common
