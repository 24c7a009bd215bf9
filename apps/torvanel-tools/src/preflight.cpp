#include "preflight.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include <fmt/format.h>
#include <openssl/evp.h>
#include <spdlog/spdlog.h>

#include "file_io.hpp"
#include "records.hpp"
#include "torvanel/common/try.hpp"
#include "torvanel/dat/utils.hpp"

namespace torvanel::tools {
namespace {

namespace fs = std::filesystem;
using common::IoError;

// An archive of the input directory: its file name and the label the
// modder-record refusal names it by.
struct Archive {
  std::string_view file;
  std::string_view label;
};
constexpr Archive kPortal{"client_portal.dat", "portal.dat"};
constexpr Archive kCell{"client_cell_1.dat", "cell.dat"};
constexpr Archive kLocal{"client_local_English.dat", "local.dat"};

constexpr size_t kHashChunk = 64 * 1024;

Error refusal(std::string_view what) {
  return Error::msg(
      fmt::format("--dat-dir contains {} — bake refuses to run against custom DATs", what));
}

// The direct entries of a directory in the order the system returns them,
// without "." and "..".
class DirListing {
 public:
  static std::expected<DirListing, IoError> open(const fs::path& dir) {
    DIR* handle = ::opendir(dir.c_str());
    if (handle == nullptr) return std::unexpected(IoError::last_os_error());
    return DirListing(handle);
  }

  // The next entry's name as stored (any bytes), or nothing at the end.
  std::expected<std::optional<std::string>, IoError> next() {
    for (;;) {
      errno = 0;
      const dirent* entry = ::readdir(dir_.get());
      if (entry == nullptr) {
        if (errno != 0) return std::unexpected(IoError::last_os_error());
        return std::nullopt;
      }
      std::string_view name = entry->d_name;
      if (name != "." && name != "..") return std::string(name);
    }
  }

 private:
  struct Closer {
    void operator()(DIR* dir) const { ::closedir(dir); }
  };
  explicit DirListing(DIR* dir) : dir_(dir) {}

  std::unique_ptr<DIR, Closer> dir_;
};

std::string file_type_text(mode_t mode) {
  return fmt::format("FileType {{ is_file: {}, is_dir: {}, is_symlink: {}, .. }}", S_ISREG(mode),
                     S_ISDIR(mode), S_ISLNK(mode));
}

// The archive file must exist and be a regular file, symbolic links followed.
ToolResult<void> check_archive_file(const fs::path& path, const Archive& archive) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) {
    Error cause(IoError::last_os_error());
    return std::unexpected(
        std::move(cause).context(fmt::format("stat {} at `{}`", archive.file, path_text(path))));
  }
  if (!S_ISREG(st.st_mode)) {
    return std::unexpected(
        Error::msg(fmt::format("--dat-dir: `{}` is not a regular file (got file_type={})",
                               path_text(path), file_type_text(st.st_mode))));
  }
  return {};
}

// custom_textures/ may exist, but only empty. Anything its listing yields,
// an entry or an error, counts as content.
ToolResult<void> check_custom_textures(const fs::path& path) {
  TV_TRY(DirListing listing, DirListing::open(path));
  auto first = listing.next();
  if (!first || *first) return std::unexpected(refusal("non-empty `custom_textures/`"));
  return {};
}

// The first entry of the directory that shows signs of modding decides the
// refusal.
ToolResult<void> check_entries(const fs::path& dat_dir) {
  auto listing = DirListing::open(dat_dir);
  if (!listing) {
    return std::unexpected(
        Error(listing.error()).context(fmt::format("read --dat-dir `{}`", path_text(dat_dir))));
  }
  for (;;) {
    TV_TRY(std::optional<std::string> raw, listing->next());
    if (!raw) return {};
    const std::string name = dat::utf8_lossy(*raw);
    if (name == "custom_textures") {
      TV_CHECK(check_custom_textures(dat_dir / *raw));
    } else if (name.starts_with("iter-")) {
      return std::unexpected(refusal(fmt::format("modder-iteration marker `{}`", name)));
    } else if (name.ends_with(".wbproj")) {
      return std::unexpected(refusal(fmt::format("WorldBuilder project file `{}`", name)));
    }
  }
}

// Refuses an archive holding any modder-allocated id, naming the smallest.
ToolResult<void> check_record_ids(const dat::DatDatabase& db, const Archive& archive) {
  std::optional<uint32_t> smallest;
  for (const auto& [id, entry] : db.entries()) {
    if (is_modder_allocated(id) && (!smallest || id < *smallest)) smallest = id;
  }
  if (smallest) {
    return std::unexpected(
        refusal(fmt::format("modder-allocated record 0x{:08X} in {}", *smallest, archive.label)));
  }
  return {};
}

Error digest_failure() { return Error::msg("SHA-256 digest failed"); }

}  // namespace

ToolResult<DatDirCheck> check_dat_dir(const fs::path& dat_dir) {
  struct stat st;
  if (::stat(dat_dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    return std::unexpected(
        Error::msg(fmt::format("--dat-dir `{}` is not a directory", path_text(dat_dir))));
  }
  const fs::path portal_path = dat_dir / kPortal.file;
  const fs::path cell_path = dat_dir / kCell.file;
  const fs::path local_path = dat_dir / kLocal.file;
  TV_CHECK(check_archive_file(portal_path, kPortal));
  TV_CHECK(check_archive_file(cell_path, kCell));
  TV_CHECK(check_archive_file(local_path, kLocal));
  TV_CHECK(check_entries(dat_dir));

  TV_TRY(dat::DatDatabase portal, open_archive(portal_path));
  TV_TRY(dat::DatDatabase cell, open_archive(cell_path));
  {
    // The local archive is only checked; nothing in the run reads it.
    TV_TRY(dat::DatDatabase local, open_archive(local_path));
    TV_CHECK(check_record_ids(portal, kPortal));
    TV_CHECK(check_record_ids(cell, kCell));
    TV_CHECK(check_record_ids(local, kLocal));
  }

  TV_TRY(std::string portal_hash, sha256_file(portal_path));
  TV_TRY(std::string cell_hash, sha256_file(cell_path));
  TV_TRY(std::string local_hash, sha256_file(local_path));
  spdlog::info("pre-flight ok: portal_hash={} cell_hash={} local_hash={}",
               std::string_view(portal_hash).substr(0, 16),
               std::string_view(cell_hash).substr(0, 16),
               std::string_view(local_hash).substr(0, 16));
  return DatDirCheck{std::move(portal), std::move(cell), std::move(portal_hash),
                     std::move(cell_hash), std::move(local_hash)};
}

ToolResult<std::string> sha256_file(const fs::path& path) {
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd.valid()) {
    Error cause(IoError::last_os_error());
    return std::unexpected(
        std::move(cause).context(fmt::format("open for hash {}", path_text(path))));
  }

  std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> digest(EVP_MD_CTX_new(), EVP_MD_CTX_free);
  if (!digest || EVP_DigestInit_ex(digest.get(), EVP_sha256(), nullptr) != 1) {
    return std::unexpected(digest_failure());
  }
  // The one buffer every chunk of the file passes through.
  std::vector<unsigned char> chunk(kHashChunk);
  for (;;) {
    ssize_t n = ::read(fd.get(), chunk.data(), chunk.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return std::unexpected(Error(IoError::last_os_error()));
    }
    if (n == 0) break;
    if (EVP_DigestUpdate(digest.get(), chunk.data(), static_cast<size_t>(n)) != 1) {
      return std::unexpected(digest_failure());
    }
  }
  unsigned char sum[EVP_MAX_MD_SIZE];
  unsigned int sum_size = 0;
  if (EVP_DigestFinal_ex(digest.get(), sum, &sum_size) != 1) {
    return std::unexpected(digest_failure());
  }

  constexpr std::string_view kHexDigits = "0123456789abcdef";
  std::string hex;
  hex.reserve(2 * sum_size);
  for (unsigned int i = 0; i < sum_size; ++i) {
    hex += kHexDigits[sum[i] >> 4];
    hex += kHexDigits[sum[i] & 0x0F];
  }
  return hex;
}

}  // namespace torvanel::tools
