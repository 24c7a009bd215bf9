#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

namespace torvanel::synth {

// A fresh directory under the test's temporary directory, removed with
// everything in it when the object goes.
class ScratchDir {
 public:
  ScratchDir() {
    std::string pattern = (std::filesystem::path(::testing::TempDir()) / "synth-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) ADD_FAILURE() << "mkdtemp " << pattern;
    path_ = pattern;
  }
  ~ScratchDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const char* name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

}  // namespace torvanel::synth
