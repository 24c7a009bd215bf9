#include "verify.hpp"

#include <fmt/format.h>

#include <array>
#include <map>
#include <string>
#include <string_view>
#include <system_error>

#include "file_io.hpp"
#include "files.hpp"
#include "line_check.hpp"
#include "manifest_check.hpp"
#include "output.hpp"
#include "preflight.hpp"
#include "text_shape.hpp"

namespace torvanel::verify {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kPlacementSuffix = ".scenery.jsonl";
constexpr std::string_view kSidecarSuffix = ".scenery.jsonl.sha256";
// A manifest is about 330 bytes; a larger file than this is not one.
constexpr size_t kManifestLimit = 64 * 1024;
constexpr size_t kSidecarSize = 65;

// The two files of one landblock, as found in the directory.
struct LandblockFiles {
  bool placements = false;
  bool sidecar = false;
};

enum class Kind { Placements, Sidecar };

// The landblock part of a name the bake writes ("0x" and four upper-case
// hex digits) and which of the two files it names; nothing for other names.
std::optional<std::pair<std::string, Kind>> classify(std::string_view name) {
  if (name.size() < 6 || !name.starts_with("0x") || !is_upper_hex(name.substr(2, 4))) {
    return std::nullopt;
  }
  std::string stem(name.substr(0, 6));
  std::string_view suffix = name.substr(6);
  if (suffix == kPlacementSuffix) return std::pair{stem, Kind::Placements};
  if (suffix == kSidecarSuffix) return std::pair{stem, Kind::Sidecar};
  return std::nullopt;
}

std::string chain_text(const tools::Error& error) {
  std::string text;
  for (const std::string& message : error.chain()) {
    if (!text.empty()) text += ": ";
    text += message;
  }
  return text;
}

// Every line of one placement file. False when the file cannot be read at
// all, so that there is nothing to hash either.
bool check_lines(const fs::path& path, const std::string& name, VerifyReport& report) {
  auto fd = open_regular(path);
  if (!fd) {
    report.add(name, 0, fd.error());
    return false;
  }
  LineReader reader(fd->get());
  uint64_t number = 0;
  for (;;) {
    auto line = reader.next();
    if (!line) {
      report.add(name, 0, fmt::format("cannot read: {}", line.error().text()));
      return true;
    }
    if (!*line) return true;
    ++number;
    ++report.lines;
    const LineReader::Line& l = **line;
    std::optional<std::string> bad;
    if (l.too_long) {
      bad = fmt::format("line longer than {} bytes", LineReader::kMaxLine);
    } else if (l.text.empty()) {
      bad = "empty line";
    } else {
      bad = check_placement_line(l.text);
    }
    if (!l.terminated) {
      bad = bad ? *bad + "; the line does not end with a line feed"
                : "line does not end with a line feed";
    }
    if (bad) report.add(name, number, std::move(*bad));
  }
}

// The placement file against its sidecar.
void check_hash(const fs::path& out, const std::string& name, const std::string& sidecar,
                VerifyReport& report) {
  auto recorded = read_small_file(out / sidecar, kSidecarSize);
  if (!recorded) {
    report.add(sidecar, 0, recorded.error());
    return;
  }
  const std::string_view digits = std::string_view(*recorded).substr(0, 64);
  if (recorded->size() != kSidecarSize || !recorded->ends_with('\n') || !is_lower_hex(digits)) {
    report.add(sidecar, 0, "expected 64 lower-case hex digits and a line feed");
    return;
  }
  auto actual = tools::sha256_file(out / name);
  if (!actual) {
    report.add(name, 0, fmt::format("cannot hash: {}", chain_text(actual.error())));
    return;
  }
  if (*actual != digits) {
    report.add(name, 0, fmt::format("SHA-256 is {}, its sidecar says {}", *actual, digits));
  }
}

void check_landblock(const fs::path& out, const std::string& stem, LandblockFiles files,
                     VerifyReport& report) {
  const std::string name = stem + std::string(kPlacementSuffix);
  const std::string sidecar = stem + std::string(kSidecarSuffix);
  if (!files.placements) {
    report.add(sidecar, 0, fmt::format("no placement file {} beside it", name));
    return;
  }
  ++report.files;
  if (!check_lines(out / name, name, report)) return;
  if (!files.sidecar) {
    report.add(name, 0, fmt::format("no sidecar {} beside it", sidecar));
    return;
  }
  check_hash(out, name, sidecar, report);
}

// The manifest's hashes against the archives of `dat_dir`.
void check_archives(const Manifest& manifest, const fs::path& dat_dir, VerifyReport& report) {
  const std::array<std::pair<std::string_view, const std::optional<std::string>*>, 3> archives{{
      {"client_portal.dat", &manifest.portal_hash},
      {"client_cell_1.dat", &manifest.cell_hash},
      {"client_local_English.dat", &manifest.local_hash},
  }};
  uint64_t line = kPortalLine;
  for (const auto& [file, recorded] : archives) {
    const fs::path path = dat_dir / file;
    auto actual = tools::sha256_file(path);
    if (!actual) {
      report.add(tools::path_text(path), 0,
                 fmt::format("cannot hash: {}", chain_text(actual.error())));
    } else if (*recorded && **recorded != *actual) {
      report.add(std::string(tools::kManifestName), line,
                 fmt::format("{} was baked from SHA-256 {}, --dat-dir holds {}", file, **recorded,
                             *actual));
    }
    ++line;
  }
}

}  // namespace

VerifyReport verify_output_dir(const VerifyOptions& options) {
  VerifyReport report;
  const fs::path& out = options.out;
  std::error_code ec;
  if (!fs::is_directory(out, ec)) {
    report.add(tools::path_text(out), 0, "not a directory");
    return report;
  }

  std::map<std::string, LandblockFiles> landblocks;  // sorted: the report's order
  fs::directory_iterator it(out, ec);
  for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
    auto kind = classify(it->path().filename().native());
    if (!kind) continue;
    LandblockFiles& files = landblocks[kind->first];
    (kind->second == Kind::Placements ? files.placements : files.sidecar) = true;
  }
  if (ec) {
    report.add(tools::path_text(out), 0, fmt::format("cannot list: {}", ec.message()));
    return report;
  }

  const std::string manifest_name(tools::kManifestName);
  Manifest manifest;
  if (auto text = read_small_file(out / manifest_name, kManifestLimit); !text) {
    report.add(manifest_name, 0, text.error());
  } else {
    manifest = check_manifest(*text, manifest_name, report);
  }
  if (options.dat_dir) check_archives(manifest, *options.dat_dir, report);
  if (options.region_did && manifest.region_did && *manifest.region_did != *options.region_did) {
    report.add(manifest_name, kRegionLine,
               fmt::format("baked from Region 0x{:08X}, expected 0x{:08X}", *manifest.region_did,
                           *options.region_did));
  }
  if (options.mode && manifest.mode && *manifest.mode != *options.mode) {
    report.add(
        manifest_name, kModeLine,
        fmt::format("baked in mode {}, expected {}", brambolt::bake_mode_name(*manifest.mode),
                    brambolt::bake_mode_name(*options.mode)));
  }

  for (const auto& [stem, files] : landblocks) check_landblock(out, stem, files, report);

  if (manifest.baked && *manifest.baked != report.files) {
    if (*manifest.baked > report.files) {
      report.notes.push_back(fmt::format(
          "baked count {} exceeds {} placement files: the landblock list may have held duplicates",
          *manifest.baked, report.files));
    } else {
      report.notes.push_back(fmt::format(
          "{} placement files exceed the baked count {}: the others may come from earlier bakes "
          "into this directory, which this manifest does not cover",
          report.files, *manifest.baked));
    }
  }
  return report;
}

}  // namespace torvanel::verify
