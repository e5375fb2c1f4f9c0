#include "files/safe_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <system_error>

#include "app/texts.h"

namespace korventa {

namespace {

std::string Reason(int err) { return std::system_category().message(err); }

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

// The folder part of a path, "." for a bare file name.
std::string FolderOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// Closes a descriptor once, keeping errno of the failure being reported.
class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() {
    if (fd_ >= 0) {
      const int saved = errno;
      ::close(fd_);
      errno = saved;
    }
  }
  int get() const { return fd_; }
  // Closes now and reports the result: on some file systems the last write
  // error only shows up here.
  int Close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd);
  }

 private:
  int fd_;
};

bool WriteAll(int fd, std::span<const std::uint8_t> data) {
  std::size_t done = 0;
  while (done < data.size()) {
    const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) {
      errno = EIO;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// Creates a new, empty file beside target, with a name nobody else uses.
int CreateTemporary(const std::string& target, std::string& tempPath) {
  std::random_device entropy;
  int fd = -1;
  for (int attempt = 0; attempt < 16; ++attempt) {
    char suffix[24];
    std::snprintf(suffix, sizeof suffix, ".~%08x.tmp", static_cast<unsigned>(entropy()));
    tempPath = target + suffix;
    fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd >= 0 || errno != EEXIST) break;
  }
  return fd;
}

}  // namespace

bool WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> data, std::string& error, int lingua) {
  auto perche = [&](int id, std::initializer_list<std::string> args = {}) { return TestoInLingua(lingua, id, args); };
  auto nonSalvato = [&](const std::string& motivo) { return perche(kTxtNonSalvabile, {Quoted(path), motivo}); };
  if (path.empty()) {
    error = perche(kTxtNessunNomeFile);
    return false;
  }

  // Saving onto a link updates the file it points at, as writing in place
  // would, instead of replacing the link by a plain file.
  std::string target = path;
  struct stat st {};
  if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    if (char* real = ::realpath(path.c_str(), nullptr)) {
      target = real;
      std::free(real);
    }
  }

  bool keepMode = false;
  mode_t mode = 0;
  if (::stat(target.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) {
      error = nonSalvato(perche(kTxtECartella));
      return false;
    }
    if (!S_ISREG(st.st_mode)) {
      error = nonSalvato(perche(kTxtNonFileRegolare));
      return false;
    }
    // A file the user made read-only is not replaced behind their back
    // (rename would do it, and root would pass any access check).
    if ((st.st_mode & 0222) == 0) {
      error = nonSalvato(perche(kTxtSolaLettura));
      return false;
    }
    if (::access(target.c_str(), W_OK) != 0) {
      error = nonSalvato(Reason(errno));
      return false;
    }
    keepMode = true;
    mode = st.st_mode & 07777;
  }
  const struct stat old = st;

  std::string tempPath;
  Fd fd(CreateTemporary(target, tempPath));
  if (fd.get() < 0) {
    error = nonSalvato(perche(kTxtCartellaNonScrivibile, {Quoted(FolderOf(target)), Reason(errno)}));
    return false;
  }

  auto fail = [&](int what) {
    const int err = errno;
    ::unlink(tempPath.c_str());
    error = nonSalvato(perche(what) + ": " + Reason(err));
    return false;
  };

  // A mode the file system refuses is no reason to lose the save.
  if (keepMode) (void)::fchmod(fd.get(), mode);
  // The replacement belongs to whoever owned the file it replaces; one that
  // cannot be given to them is not put in its place.
  struct stat created {};
  if (keepMode && ::fstat(fd.get(), &created) == 0 && (created.st_uid != old.st_uid || created.st_gid != old.st_gid) &&
      ::fchown(fd.get(), old.st_uid, old.st_gid) != 0)
    return fail(kTxtProprietarioFile);
  if (!WriteAll(fd.get(), data)) return fail(kTxtScritturaFileFallita);
  if (::fsync(fd.get()) != 0) return fail(kTxtSalvataggioDisco);
  if (fd.Close() != 0) return fail(kTxtChiusuraFile);
  if (::rename(tempPath.c_str(), target.c_str()) != 0) return fail(kTxtSostituzioneFile);

  // Make the rename itself durable. The new contents are already in place,
  // so a folder that cannot be flushed is not reported as a failed save.
  Fd folder(::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder.get() >= 0) (void)::fsync(folder.get());
  return true;
}

std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::string& path, std::size_t maxBytes,
                                                       std::string& error, int lingua) {
  auto nonLetto = [&](const std::string& motivo) {
    return TestoInLingua(lingua, kTxtNonLeggibile, {Quoted(path), motivo});
  };
  // O_NONBLOCK: opening a FIFO with no writer must not hang the program; it
  // is refused below like any other special file.
  Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (fd.get() < 0) {
    error = TestoInLingua(lingua, kTxtNonApribile, {Quoted(path), Reason(errno)});
    return std::nullopt;
  }
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) {
    error = nonLetto(Reason(errno));
    return std::nullopt;
  }
  if (S_ISDIR(st.st_mode)) {
    error = nonLetto(TestoInLingua(lingua, kTxtECartella));
    return std::nullopt;
  }
  if (!S_ISREG(st.st_mode)) {
    error = nonLetto(TestoInLingua(lingua, kTxtNonFileRegolare));
    return std::nullopt;
  }

  // Read one byte past the limit to tell "exactly maxBytes" from "longer".
  const std::size_t limit = maxBytes == SIZE_MAX ? SIZE_MAX : maxBytes + 1;
  std::vector<std::uint8_t> bytes;
  // The size reported may be wrong (files that grow, kernel files that say
  // 0), so it is only a hint for the first allocation.
  const auto hint = st.st_size > 0 ? static_cast<std::uintmax_t>(st.st_size) : 0;
  bytes.resize(static_cast<std::size_t>(std::min<std::uintmax_t>(std::max<std::uintmax_t>(hint + 1, 4096),
                                                                   limit)));
  std::size_t used = 0;
  while (used < limit) {
    if (used == bytes.size()) bytes.resize(std::min(limit, std::max<std::size_t>(bytes.size() * 2, 4096)));
    const ssize_t n = ::read(fd.get(), bytes.data() + used, bytes.size() - used);
    if (n < 0) {
      if (errno == EINTR) continue;
      error = nonLetto(Reason(errno));
      return std::nullopt;
    }
    if (n == 0) break;
    used += static_cast<std::size_t>(n);
  }
  if (used > maxBytes) {
    error = nonLetto(TestoInLingua(lingua, kTxtFileOltre, {std::to_string(maxBytes)}));
    return std::nullopt;
  }
  bytes.resize(used);
  return bytes;
}

std::optional<std::vector<std::uint8_t>> ReadFixedSizeFile(const std::string& path, std::size_t size,
                                                           const std::string& what, std::string& error, int lingua) {
  // One byte of slack tells a longer file from one of the right size.
  auto bytes = ReadWholeFile(path, size + 1, error, lingua);
  if (bytes && bytes->size() != size) {
    const std::string n = std::to_string(size);
    error = TestoInLingua(
        lingua, kTxtNonLeggibile,
        {Quoted(path), TestoInLingua(lingua, bytes->size() > size ? kTxtFileOltreInvece : kTxtFileInvece,
                                     {bytes->size() > size ? n : std::to_string(bytes->size()), what, n})});
    return std::nullopt;
  }
  return bytes;
}

}  // namespace korventa
