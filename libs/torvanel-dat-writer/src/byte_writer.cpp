#include "torvanel/writer/byte_writer.hpp"

namespace torvanel::writer {

void ByteWriter::pstring(std::string_view text, unsigned width) {
  switch (width) {
    case 1: u8(static_cast<uint8_t>(text.size())); break;
    case 4: u32(static_cast<uint32_t>(text.size())); break;
    default: u16(static_cast<uint16_t>(text.size())); break;
  }
  raw(text.data(), text.size());
}

void ByteWriter::compressed_u32(uint32_t v) {
  if (v < 0x80) {
    u8(static_cast<uint8_t>(v));
  } else if (v < 0x4000) {
    u8(static_cast<uint8_t>(0x80 | (v >> 8)));
    u8(static_cast<uint8_t>(v & 0xFF));
  } else {
    u8(static_cast<uint8_t>(0xC0 | ((v >> 24) & 0x3F)));
    u8(static_cast<uint8_t>((v >> 16) & 0xFF));
    u16(static_cast<uint16_t>(v & 0xFFFF));
  }
}

void ByteWriter::smart_vec(std::span<const uint32_t> values) {
  compressed_u32(static_cast<uint32_t>(values.size()));
  for (uint32_t v : values) u32(v);
}

}  // namespace torvanel::writer
