#include "torvanel/common/reader.hpp"

#include <fmt/format.h>

namespace torvanel::common {

BinReadError BinReadError::io(IoError error) {
  return BinReadError(Kind::Io, error.text(), 0);
}

BinReadError BinReadError::end_of_data() {
  return io(IoError::unexpected_eof("failed to fill whole buffer"));
}

BinReadError BinReadError::end_of_block() {
  return io(IoError::unexpected_eof("not enough bytes in reader"));
}

BinReadError BinReadError::assertion(std::string message, uint64_t position) {
  return BinReadError(Kind::Assertion, std::move(message), position);
}

BinReadError BinReadError::custom(std::string message, uint64_t position) {
  return BinReadError(Kind::Custom, std::move(message), position);
}

void BinReadError::add_context(std::string_view field, std::string_view type) {
  contexts_.push_back(fmt::format("While parsing field '{}' in {}", field, type));
}

std::string BinReadError::text() const {
  std::string out;
  switch (kind_) {
    case Kind::Io:
      out = message_;
      break;
    case Kind::Assertion:
      out = fmt::format("assertion failed at 0x{:X}: {}", position_, message_);
      break;
    case Kind::Custom:
      out = fmt::format("{} at 0x{:X}", message_, position_);
      break;
  }
  for (const auto& context : contexts_) {
    out += '\n';
    out += context;
  }
  return out;
}

}  // namespace torvanel::common
