// Scratch files for tests: a folder of its own, and a disk that "fills up".
#pragma once

#include <stdlib.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <iterator>
#include <stdexcept>
#include <string>

namespace korventa::test {

// A new folder under the system's temporary folder, removed with everything
// in it when the object goes.
class TempDir {
 public:
  explicit TempDir(const std::string& tag = "test") {
    std::string pattern = (std::filesystem::temp_directory_path() / ("korventa-" + tag + "-XXXXXX")).string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary folder");
    path_ = pattern;
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
  std::size_t Entries() const {
    return static_cast<std::size_t>(
        std::distance(std::filesystem::directory_iterator(path_), std::filesystem::directory_iterator()));
  }

 private:
  std::filesystem::path path_;
};

// While it lives, no file this process writes (nor one of a program it
// starts) grows beyond `bytes`: the disk fills up half-way through a write,
// even for root. The write fails with EFBIG instead of raising SIGXFSZ.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGXFSZ, &ignore, &previous_);
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    rlimit small = saved_;
    small.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &small);
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &saved_);
    ::sigaction(SIGXFSZ, &previous_, nullptr);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  struct sigaction previous_ {};
  rlimit saved_{};
};

}  // namespace korventa::test
