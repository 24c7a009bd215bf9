#include "manifest_check.hpp"

#include <fmt/format.h>

#include <array>
#include <charconv>
#include <vector>

#include "output.hpp"
#include "text_shape.hpp"

namespace torvanel::verify {
namespace {

constexpr std::array<std::string_view, 7> kKeys{
    "client_portal.dat", "client_cell_1.dat", "client_local_English.dat",
    "bake-tool-version", "region-did",        "bake-mode",
    "landblocks",
};

std::optional<uint64_t> decimal(std::string_view text) {
  uint64_t value = 0;
  if (!is_plain_decimal(text)) return std::nullopt;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc()) return std::nullopt;
  return value;
}

// Reads the value of line `number` into `manifest`; what is wrong with it
// otherwise.
std::optional<std::string> take_value(uint64_t number, std::string_view value, Manifest& manifest) {
  const std::string_view key = kKeys[number - 1];
  switch (number) {
    case kPortalLine:
    case kCellLine:
    case kLocalLine: {
      if (value.size() != 64 || !is_lower_hex(value)) {
        return fmt::format("\"{}\" must be 64 lower-case hex digits, found {}", key, shown(value));
      }
      std::optional<std::string>& hash = number == kPortalLine ? manifest.portal_hash
                                         : number == kCellLine ? manifest.cell_hash
                                                               : manifest.local_hash;
      hash = std::string(value);
      return std::nullopt;
    }
    case kVersionLine: {
      const std::string expected =
          fmt::format("{} + {}", tools::ENGINE_VERSION, tools::CLI_VERSION);
      if (value != expected) {
        return fmt::format("\"{}\" must be \"{}\", found {}", key, expected, shown(value));
      }
      return std::nullopt;
    }
    case kRegionLine: {
      std::string_view digits = value.substr(std::min<size_t>(value.size(), 2));
      if (!value.starts_with("0x") || digits.size() != 8 || !is_upper_hex(digits)) {
        return fmt::format("\"{}\" must be \"0x\" and eight upper-case hex digits, found {}", key,
                           shown(value));
      }
      uint32_t id = 0;
      std::from_chars(digits.data(), digits.data() + digits.size(), id, 16);
      manifest.region_did = id;
      return std::nullopt;
    }
    case kModeLine: {
      for (brambolt::BakeMode mode : {brambolt::BakeMode::AceCompat, brambolt::BakeMode::Strict}) {
        if (value == brambolt::bake_mode_name(mode)) {
          manifest.mode = mode;
          return std::nullopt;
        }
      }
      return fmt::format("\"{}\" must be \"ace-compat\" or \"strict\", found {}", key,
                         shown(value));
    }
    case kLandblocksLine: {
      constexpr std::string_view kBaked = " baked, ", kSkipped = " skipped";
      const size_t split = value.find(kBaked);
      std::optional<uint64_t> baked, skipped;
      if (split != std::string_view::npos && value.ends_with(kSkipped)) {
        const size_t from = split + kBaked.size();
        baked = decimal(value.substr(0, split));
        if (from + kSkipped.size() <= value.size()) {
          skipped = decimal(value.substr(from, value.size() - kSkipped.size() - from));
        }
      }
      if (!baked || !skipped) {
        return fmt::format("\"{}\" must be \"{{N}} baked, {{M}} skipped\", found {}", key,
                           shown(value));
      }
      manifest.baked = baked;
      manifest.skipped = skipped;
      return std::nullopt;
    }
  }
  return std::nullopt;
}

}  // namespace

Manifest check_manifest(std::string_view text, std::string_view name, VerifyReport& report) {
  // Lines end at "\n"; what follows the last one, if anything, is a line
  // without its line feed.
  std::vector<std::string_view> lines;
  for (std::string_view rest = text; !rest.empty();) {
    const size_t newline = rest.find('\n');
    lines.push_back(rest.substr(0, newline));
    rest.remove_prefix(newline == std::string_view::npos ? rest.size() : newline + 1);
  }
  const bool last_terminated = text.empty() || text.ends_with('\n');

  Manifest manifest;
  if (lines.size() != kKeys.size()) {
    report.add(std::string(name), 0,
               fmt::format("expected {} lines, found {}", kKeys.size(), lines.size()));
  }
  for (uint64_t number = 1; number <= std::min(lines.size(), kKeys.size()); ++number) {
    const std::string_view line = lines[number - 1];
    const std::string_view key = kKeys[number - 1];
    if (number == lines.size() && !last_terminated) {
      report.add(std::string(name), number, "line does not end with a line feed");
    }
    const size_t tab = line.find('\t');
    if (tab == std::string_view::npos) {
      report.add(std::string(name), number,
                 fmt::format("expected \"{}\", a tab and the value, found {}", key, shown(line)));
      continue;
    }
    if (line.substr(0, tab) != key) {
      report.add(std::string(name), number,
                 fmt::format("expected key \"{}\", found {}", key, shown(line.substr(0, tab))));
      continue;
    }
    if (auto bad = take_value(number, line.substr(tab + 1), manifest)) {
      report.add(std::string(name), number, std::move(*bad));
    }
  }
  return manifest;
}

}  // namespace torvanel::verify
