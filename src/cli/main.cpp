#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "cli/app.h"

#ifdef KORVENTA_HAVE_QT_TRANSPORT
#include <QCoreApplication>
#endif

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
#ifdef KORVENTA_HAVE_QT_TRANSPORT
  // The serial port wants an application object; the CLI runs no event loop.
  QCoreApplication app(argc, argv);
#endif
  int rc = korventa::cli::RunCli(args, std::cout, std::cerr);
  // Output that did not arrive (a full disk, a closed pipe) is a failure
  // like any other: the last buffered bytes are only written, and their
  // error only known, when the standard output is flushed and closed.
  errno = 0;
  std::cout.flush();
  int error = !std::cout ? errno : 0;
  const bool streamFailed = !std::cout;
  errno = 0;
  const bool flushFailed = std::fflush(stdout) != 0;
  if (flushFailed && error == 0) error = errno;
  errno = 0;
  const bool closeFailed = std::fclose(stdout) != 0;
  if (closeFailed && error == 0) error = errno;
  if (streamFailed || flushFailed || closeFailed) {
    std::cerr << "korventa-cli: the standard output could not be written"
              << (error != 0 ? std::string(": ") + std::strerror(error) : std::string()) << '\n';
    if (rc == korventa::cli::kExitOk) rc = korventa::cli::kExitFile;
  }
  return rc;
}
