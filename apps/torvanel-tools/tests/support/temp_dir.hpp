#pragma once

#include <filesystem>
#include <string_view>

namespace torvanel::test_support {

// A fresh directory under the system's temporary directory, removed with
// everything in it when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }

  // Writes `contents` to `name` inside the directory; returns its path.
  std::filesystem::path write_file(std::string_view name, std::string_view contents) const;

 private:
  std::filesystem::path path_;
};

}  // namespace torvanel::test_support
