// Arbitrary bytes opened as an archive: the open and every fetch either
// succeed or fail with an error; none crashes, hangs or allocates beyond
// what the file can hold. Records read back agree with their entries.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>

#include "torvanel/dat/database.hpp"
#include "torvanel/dat/utils.hpp"

namespace {

bool write_all(int fd, const uint8_t* data, size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n <= 0) return false;
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using torvanel::dat::DatDatabase;

  // The stored bytes of a compressed record never expand past their
  // declared length.
  const auto expanded = torvanel::dat::decompress_lrs(std::span<const uint8_t>(data, size));
  if (size >= 4) {
    uint32_t declared;
    std::memcpy(&declared, data, sizeof declared);
    if (expanded.size() > declared) __builtin_trap();
  }

  const int fd = ::memfd_create("archive", MFD_CLOEXEC);
  if (fd < 0 || !write_all(fd, data, size)) __builtin_trap();
  auto db = DatDatabase::open("/proc/self/fd/" + std::to_string(fd));
  ::close(fd);
  if (!db) {
    (void)db.error().text();
    return 0;
  }
  for (const auto& [id, entry] : db->entries()) {
    if (entry.id != id) __builtin_trap();
    auto bytes = db->get_file(id);
    if (!bytes) {
      (void)bytes.error().text();
      continue;
    }
    if (!(entry.bit_flags & 0x1) && bytes->size() != entry.size) __builtin_trap();
  }
  return 0;
}
