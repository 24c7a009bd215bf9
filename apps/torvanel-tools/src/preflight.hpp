#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "error.hpp"
#include "torvanel/dat/database.hpp"

namespace torvanel::tools {

// What the pre-flight hands to the run: the portal and cell archives, open
// for the whole run, and the SHA-256 of each of the three archive files as
// 64 lower-case hex characters.
struct DatDirCheck {
  dat::DatDatabase portal;
  dat::DatDatabase cell;
  std::string portal_hash;
  std::string cell_hash;
  std::string local_hash;
};

// Checks that `dat_dir` holds the three retail archives, untouched by
// modding tools, opens and hashes them. Refuses, in this order: a path that
// is no directory; an archive file that is missing or not a regular file;
// a non-empty custom_textures/, an "iter-*" entry or a "*.wbproj" entry; an
// archive that does not open; an archive holding a modder-allocated record
// id. The local archive is closed again before returning. Logs the
// "pre-flight ok" line at INFO on success.
ToolResult<DatDirCheck> check_dat_dir(const std::filesystem::path& dat_dir);

// The file's SHA-256 as 64 lower-case hex characters, read front to back in
// 64 KiB reads. Fails with "open for hash {path}" and the system error when
// the file does not open, and with the bare system error when a read fails.
ToolResult<std::string> sha256_file(const std::filesystem::path& path);

// Whether `id` lies in the ranges modding tools allocate from: record type
// (top byte) 0x01 to 0x78 and second byte 0xFF.
constexpr bool is_modder_allocated(uint32_t id) {
  uint32_t type = id >> 24;
  return type >= 0x01 && type <= 0x78 && ((id >> 16) & 0xFF) == 0xFF;
}

}  // namespace torvanel::tools
