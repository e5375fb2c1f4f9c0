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
  return korventa::cli::RunCli(args, std::cout, std::cerr);
}
