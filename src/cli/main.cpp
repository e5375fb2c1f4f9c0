#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <iostream>
#include <streambuf>
#include <string>
#include <vector>

#include "cli/app.h"

#ifdef KORVENTA_HAVE_QT_TRANSPORT
#include <QCoreApplication>
#include <QGuiApplication>
#include <memory>

#include "cli/pdf.h"
#include "qt/print/pdf.h"
#endif

namespace {

// The standard output as a buffered stream that remembers why a write
// failed (a full disk, a reader that closed the pipe), so that the program
// can say so and exit non-zero instead of ending as if all had been printed.
class StandardOutput : public std::streambuf {
 public:
  StandardOutput() { setp(buffer_.data(), buffer_.data() + buffer_.size()); }
  ~StandardOutput() override { sync(); }
  // 0 while every byte went out.
  int Error() const { return error_; }

 protected:
  int_type overflow(int_type c) override {
    if (sync() != 0) return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
      *pptr() = traits_type::to_char_type(c);
      pbump(1);
    }
    return traits_type::not_eof(c);
  }
  int sync() override {
    const char* p = pbase();
    while (p < pptr() && error_ == 0) {
      const ssize_t n = ::write(STDOUT_FILENO, p, static_cast<std::size_t>(pptr() - p));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) error_ = n < 0 ? errno : EIO;
      else p += n;
    }
    setp(buffer_.data(), buffer_.data() + buffer_.size());
    return error_ == 0 ? 0 : -1;
  }

 private:
  std::array<char, 8192> buffer_{};
  int error_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
#ifdef KORVENTA_HAVE_QT_TRANSPORT
  // The serial port wants an application object; the CLI runs no event loop.
  // Drawing a PDF file also needs fonts, which only a graphical one has (on
  // the offscreen platform unless one is named, so no display is needed).
  std::unique_ptr<QCoreApplication> app;
  if (korventa::cli::ChiedePdf(args))
    app = korventa::qt::GuiApplicationForPdf(argc, argv);
  else
    app = std::make_unique<QCoreApplication>(argc, argv);
#endif
  StandardOutput buffer;
  std::ostream out(&buffer);
  int rc = korventa::cli::RunCli(args, out, std::cerr);
  // Output that did not arrive is a failure like any other; the last bytes
  // are only written, and their error only known, when flushed and closed.
  out.flush();
  int error = buffer.Error();
  if (error == 0 && ::close(STDOUT_FILENO) != 0 && errno != EINTR) error = errno;
  if (error != 0) {
    std::cerr << "korventa-cli: the standard output could not be written: " << std::strerror(error) << '\n';
    if (rc == korventa::cli::kExitOk) rc = korventa::cli::kExitFile;
  }
  return rc;
}
