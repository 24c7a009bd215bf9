#include "torvanel/dat/utils.hpp"

#include <array>

namespace torvanel::dat {
namespace {

using common::BinReadError;

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

void append_code_point(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

// The WHATWG UTF-8 decoder: every maximal subpart of an ill-formed sequence
// becomes one U+FFFD, and the byte that broke a sequence starts the next one.
std::string decode_utf8(const uint8_t* p, size_t n) {
  std::string out;
  out.reserve(n);
  size_t i = 0;
  while (i < n) {
    const uint8_t lead = p[i];
    if (lead < 0x80) {
      out.push_back(static_cast<char>(lead));
      ++i;
      continue;
    }
    size_t needed;
    uint8_t lower = 0x80, upper = 0xBF;  // bounds of the first continuation byte
    if (lead >= 0xC2 && lead <= 0xDF) {
      needed = 1;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      needed = 2;
      if (lead == 0xE0) lower = 0xA0;  // no overlong forms
      if (lead == 0xED) upper = 0x9F;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      needed = 3;
      if (lead == 0xF0) lower = 0x90;  // no overlong forms
      if (lead == 0xF4) upper = 0x8F;  // nothing above U+10FFFF
    } else {
      out += kReplacement;
      ++i;
      continue;
    }
    size_t end = i + 1;
    while (needed > 0 && end < n && p[end] >= lower && p[end] <= upper) {
      lower = 0x80;
      upper = 0xBF;
      ++end;
      --needed;
    }
    if (needed == 0) {
      out.append(reinterpret_cast<const char*>(p + i), end - i);
    } else {
      out += kReplacement;
    }
    i = end;
  }
  return out;
}

// The WHATWG UTF-16 decoder: a lone surrogate becomes U+FFFD, and an odd
// final byte (or a lead surrogate pending at the end) one more U+FFFD.
std::string decode_utf16(const uint8_t* p, size_t n, bool big_endian) {
  std::string out;
  out.reserve(n + n / 2);
  uint32_t lead = 0;  // a pending lead surrogate, 0 when none
  for (size_t i = 0; i + 1 < n; i += 2) {
    const uint32_t unit = big_endian ? (p[i] << 8 | p[i + 1]) : (p[i + 1] << 8 | p[i]);
    const bool is_lead = unit >= 0xD800 && unit <= 0xDBFF;
    const bool is_trail = unit >= 0xDC00 && unit <= 0xDFFF;
    if (lead != 0) {
      if (is_trail) {
        append_code_point(out, 0x10000 + ((lead - 0xD800) << 10) + (unit - 0xDC00));
        lead = 0;
        continue;
      }
      out += kReplacement;
      lead = 0;
    }
    if (is_lead) {
      lead = unit;
    } else if (is_trail) {
      out += kReplacement;
    } else {
      append_code_point(out, unit);
    }
  }
  if (lead != 0 || n % 2 != 0) out += kReplacement;
  return out;
}

// windows-1252 for 0x80-0x9F; every other byte is its own code point.
// 0x81, 0x8D, 0x8F, 0x90 and 0x9D are the C1 controls of the same value.
constexpr std::array<uint16_t, 32> kWindows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

std::string decode_windows1252(const uint8_t* p, size_t n) {
  std::string out;
  out.reserve(n);
  for (size_t i = 0; i < n; ++i) {
    const uint8_t b = p[i];
    if (b < 0x80) {
      out.push_back(static_cast<char>(b));
    } else if (b < 0xA0) {
      append_code_point(out, kWindows1252High[b - 0x80]);
    } else {
      append_code_point(out, b);
    }
  }
  return out;
}

}  // namespace

ReadResult<std::string> read_pstring(Reader& r, unsigned width) {
  uint32_t length;
  switch (width) {
    case 1: {
      TV_TRY(length, r.u8());
      break;
    }
    case 2: {
      TV_TRY(length, r.u16());
      break;
    }
    case 4: {
      TV_TRY(length, r.u32());
      break;
    }
    default:
      return std::unexpected(
          BinReadError::assertion("Unsupported PString length size", r.position()));
  }
  TV_TRY(auto text, r.bytes(length));
  return decode_text(text);
}

ReadResult<uint32_t> read_compressed_u32(Reader& r) {
  TV_TRY(uint32_t b0, r.u8());
  if ((b0 & 0x80) == 0) return b0;
  TV_TRY(uint32_t b1, r.u8());
  if ((b0 & 0x40) == 0) return (b0 & 0x3F) << 8 | b1;
  TV_TRY(uint32_t low, r.u16());
  return (b0 & 0x3F) << 24 | b1 << 16 | low;
}

ReadResult<std::vector<uint32_t>> read_smart_vec(Reader& r) {
  TV_TRY(uint32_t count, read_compressed_u32(r));
  return common::read_list<uint32_t>(r, count, 4, [](Reader& in) { return in.u32(); });
}

std::string decode_text(std::span<const uint8_t> bytes) {
  const uint8_t* p = bytes.data();
  const size_t n = bytes.size();
  if (n >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF) return decode_utf8(p + 3, n - 3);
  if (n >= 2 && p[0] == 0xFF && p[1] == 0xFE) return decode_utf16(p + 2, n - 2, false);
  if (n >= 2 && p[0] == 0xFE && p[1] == 0xFF) return decode_utf16(p + 2, n - 2, true);
  return decode_windows1252(p, n);
}

std::string utf8_lossy(std::string_view bytes) {
  return decode_utf8(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

}  // namespace torvanel::dat
