#include "child_process.h"

#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace korventa::test {

std::string BuiltProgram(const std::string& subdir, const std::string& name) {
  if (const char* dir = std::getenv("KORVENTA_BUILD_DIR"); dir != nullptr && *dir != '\0')
    return (std::filesystem::path(dir) / subdir / name).string();
  std::error_code ec;
  const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return name;
  return (self.parent_path().parent_path() / subdir / name).lexically_normal().string();
}

std::string SystemError(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

void CloseInheritedDescriptors() {
#ifdef SYS_close_range
  if (::syscall(SYS_close_range, 3U, ~0U, 0U) == 0) return;
#endif
  const long max = ::sysconf(_SC_OPEN_MAX);
  for (long fd = 3; fd < (max > 0 && max < 65536 ? max : 65536); ++fd) ::close(static_cast<int>(fd));
}

ExecArgs::ExecArgs(const std::string& program, const std::vector<std::string>& args) : strings_{program} {
  strings_.insert(strings_.end(), args.begin(), args.end());
  for (auto& a : strings_) argv_.push_back(a.data());
  argv_.push_back(nullptr);
}

}  // namespace korventa::test
