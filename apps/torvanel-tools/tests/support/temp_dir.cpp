#include "support/temp_dir.hpp"

#include <stdlib.h>

#include <cerrno>
#include <fstream>
#include <stdexcept>
#include <string>
#include <system_error>

namespace torvanel::test_support {

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "brambolt-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    throw std::system_error(errno, std::generic_category(), "mkdtemp");
  }
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::filesystem::path TempDir::write_file(std::string_view name, std::string_view contents) const {
  std::filesystem::path file = path_ / name;
  std::ofstream stream(file, std::ios::binary);
  stream.write(contents.data(), static_cast<std::streamsize>(contents.size()));
  if (!stream.flush()) throw std::runtime_error("cannot write " + file.string());
  return file;
}

}  // namespace torvanel::test_support
