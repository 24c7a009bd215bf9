#pragma once

#include <string>

namespace torvanel::common {

// An input/output failure: either an operating-system error (errno) or a
// stream that ended before a read was satisfied.
class IoError {
 public:
  enum class Kind { Os, UnexpectedEof };

  // The error of the current errno value, or of a given one.
  static IoError from_errno(int code);
  static IoError last_os_error();
  // End of data; `text` is the reader's own description of it.
  static IoError unexpected_eof(std::string text = "failed to fill whole buffer");

  Kind kind() const { return kind_; }
  int os_code() const { return os_code_; }
  const std::string& text() const { return text_; }

 private:
  IoError(Kind kind, int os_code, std::string text)
      : kind_(kind), os_code_(os_code), text_(std::move(text)) {}

  Kind kind_;
  int os_code_;
  std::string text_;
};

}  // namespace torvanel::common
