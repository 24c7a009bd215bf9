#include "line_check.hpp"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <expected>
#include <limits>
#include <system_error>

#include "output.hpp"
#include "text_shape.hpp"
#include "torvanel/brambolt/bake.hpp"

namespace torvanel::verify {
namespace {

enum class Kind { Id, Float, Cell, Index };

struct FieldShape {
  std::string_view key;
  Kind kind;
};

// The values of a line, in line order.
constexpr std::array<FieldShape, 12> kFields{{
    {"obj_id", Kind::Id},
    {"x", Kind::Float},
    {"y", Kind::Float},
    {"z", Kind::Float},
    {"qw", Kind::Float},
    {"qx", Kind::Float},
    {"qy", Kind::Float},
    {"qz", Kind::Float},
    {"scale", Kind::Float},
    {"source_cell_x", Kind::Cell},
    {"source_cell_y", Kind::Cell},
    {"source_obj_idx", Kind::Index},
}};

constexpr float kLandblockSize = 192.0f;

// A line taken apart: the placement it describes and the text of each
// value.
struct Lexed {
  brambolt::Placement placement;
  std::array<std::string_view, kFields.size()> values;
};

using LexResult = std::expected<Lexed, std::string>;

float& float_field(brambolt::Placement& p, size_t index) {
  std::array<float*, 8> fields{&p.x, &p.y, &p.z, &p.qw, &p.qx, &p.qy, &p.qz, &p.scale};
  return *fields[index - 1];
}

uint32_t& integer_field(brambolt::Placement& p, size_t index) {
  if (index == 0) return p.obj_id;
  std::array<uint32_t*, 3> fields{&p.source_cell_x, &p.source_cell_y, &p.source_obj_idx};
  return *fields[index - 9];
}

// "-" (optional), a plain decimal, ".", six digits.
bool is_six_decimal(std::string_view text) {
  if (text.starts_with('-')) text.remove_prefix(1);
  const size_t point = text.find('.');
  if (point == std::string_view::npos) return false;
  std::string_view decimals = text.substr(point + 1);
  return is_plain_decimal(text.substr(0, point)) && decimals.size() == 6 &&
         decimals.find_first_not_of("0123456789") == std::string_view::npos;
}

class Lexer {
 public:
  explicit Lexer(std::string_view line) : line_(line) {}

  LexResult lex() {
    Lexed lexed;
    if (!take("{"))
      return fault(fmt::format("expected \"{{\" to begin the line, found {}", shown(rest())));
    for (size_t i = 0; i < kFields.size(); ++i) {
      if (i > 0 && !take(",")) return fault(after_value(kFields[i - 1].key, ","));
      if (auto bad = key(kFields[i].key)) return fault(*bad);
      if (auto bad = value(i, lexed)) return fault(*bad);
    }
    if (!take("}")) return fault(after_value(kFields.back().key, "}"));
    if (!rest().empty())
      return fault(fmt::format("unexpected text after \"}}\": {}", shown(rest())));
    return lexed;
  }

 private:
  static LexResult fault(std::string what) { return std::unexpected(std::move(what)); }

  std::string_view rest() const { return line_.substr(pos_); }

  bool take(std::string_view literal) {
    if (!rest().starts_with(literal)) return false;
    pos_ += literal.size();
    return true;
  }

  // The text up to the next "," or "}".
  std::string_view token() {
    std::string_view t = rest().substr(0, rest().find_first_of(",}"));
    pos_ += t.size();
    return t;
  }

  std::string after_value(std::string_view previous, std::string_view expected) const {
    if (rest().empty()) return fmt::format("line ends after the \"{}\" value", previous);
    return fmt::format("expected \"{}\" after the \"{}\" value, found {}", expected, previous,
                       shown(rest()));
  }

  // `"key":`, naming the key found instead when it is another.
  std::optional<std::string> key(std::string_view expected) {
    const std::string quoted = fmt::format("\"{}\"", expected);
    if (take(quoted)) {
      if (take(":")) return std::nullopt;
      return fmt::format("expected \":\" after key {}, found {}", quoted, shown(rest()));
    }
    std::string_view r = rest();
    if (r.empty()) return fmt::format("line ends before key {}", quoted);
    if ((quoted + ":").starts_with(r)) return fmt::format("line ends inside key {}", quoted);
    const size_t close = r.starts_with('"') ? r.find('"', 1) : std::string_view::npos;
    if (close != std::string_view::npos) {
      return fmt::format("expected key {}, found {}", quoted, shown(r.substr(1, close - 1)));
    }
    return fmt::format("expected key {}, found {}", quoted, shown(r));
  }

  std::optional<std::string> value(size_t index, Lexed& lexed) {
    const FieldShape& field = kFields[index];
    std::string_view text = token();
    lexed.values[index] = text;
    brambolt::Placement& p = lexed.placement;
    switch (field.kind) {
      case Kind::Id: {
        std::string_view digits = text.substr(std::min<size_t>(text.size(), 3), 8);
        if (text.size() != 12 || !text.starts_with("\"0x") || !text.ends_with('"') ||
            !is_upper_hex(digits)) {
          return fmt::format(
              "\"{}\" must be \"0x\" and eight upper-case hex digits in quotes, found {}",
              field.key, shown(text));
        }
        std::from_chars(digits.data(), digits.data() + digits.size(), integer_field(p, index), 16);
        return std::nullopt;
      }
      case Kind::Float: {
        if (!is_six_decimal(text)) {
          return fmt::format("\"{}\" must be a number with six decimals, found {}", field.key,
                             shown(text));
        }
        float v = 0;
        auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
        if (ec != std::errc() || !std::isfinite(v)) {
          return fmt::format("\"{}\" value {} is not a finite single-precision number", field.key,
                             text);
        }
        // The bake prints both zeros as 0.000000; "-0.000000" is the text of
        // a negative value too small for six decimals, which stands in here.
        if (v == 0.0f && std::signbit(v)) v = -std::numeric_limits<float>::denorm_min();
        float_field(p, index) = v;
        return std::nullopt;
      }
      case Kind::Cell: {
        if (text.size() != 1 || text[0] < '0' || text[0] > '8') {
          return fmt::format("\"{}\" must be a cell index 0-8, found {}", field.key, shown(text));
        }
        integer_field(p, index) = static_cast<uint32_t>(text[0] - '0');
        return std::nullopt;
      }
      case Kind::Index: {
        uint32_t& v = integer_field(p, index);
        auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
        if (!is_plain_decimal(text) || ec != std::errc()) {
          return fmt::format("\"{}\" must be a decimal number below 2^32, found {}", field.key,
                             shown(text));
        }
        return std::nullopt;
      }
    }
    return std::nullopt;
  }

  std::string_view line_;
  size_t pos_ = 0;
};

bool within_landblock(float v) { return v >= 0.0f && v <= kLandblockSize; }

}  // namespace

std::optional<std::string> check_placement_line(std::string_view line) {
  LexResult lexed = Lexer(line).lex();
  if (!lexed) return lexed.error();
  const brambolt::Placement& p = lexed->placement;
  for (size_t index : {size_t{1}, size_t{2}}) {
    if (!within_landblock(index == 1 ? p.x : p.y)) {
      return fmt::format("\"{}\" value {} lies outside the landblock (0 to 192)",
                         kFields[index].key, lexed->values[index]);
    }
  }

  // The shapes hold; what remains is whether each float is the text the
  // bake prints for the value it denotes. Printing the parsed placement
  // again with the bake's own formatter tells.
  std::string canonical;
  tools::append_placement_line(canonical, p);
  canonical.pop_back();  // the line feed
  if (canonical == line) return std::nullopt;
  LexResult reprinted = Lexer(canonical).lex();
  for (size_t i = 0; reprinted && i < kFields.size(); ++i) {
    if (lexed->values[i] != reprinted->values[i]) {
      return fmt::format(
          "\"{}\" value {} is not a single-precision number as the bake prints it (the nearest "
          "prints as {})",
          kFields[i].key, lexed->values[i], reprinted->values[i]);
    }
  }
  return "differs from the bake's text for the values it holds";
}

}  // namespace torvanel::verify
