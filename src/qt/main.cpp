// korventa: the desktop program.
#include <cstdio>
#include <string>
#include <vector>

#include <QtWidgets/QApplication>
#include <QtWidgets/QStyleFactory>

#include "qt/app/desktop.h"

int main(int argc, char** argv) {
  // Help needs no display.
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--help" || a == "-h") {
      std::fputs(korventa::qt::UsoDesktop().c_str(), stdout);
      return 0;
    }
  }
  QApplication app(argc, argv);
  QApplication::setApplicationName("KORVENTA");
  QApplication::setStyle(QStyleFactory::create("Fusion"));
  // The program ends through Exit (or the main window's close box), never
  // because a secondary window was the last one shown.
  QApplication::setQuitOnLastWindowClosed(false);

  std::vector<std::string> args;
  for (const QString& a : QApplication::arguments().mid(1)) args.push_back(a.toStdString());
  std::string errore;
  auto opzioni = korventa::qt::LeggiOpzioni(args, errore);
  if (!opzioni) {
    std::fprintf(stderr, "korventa: %s\n\n%s", errore.c_str(), korventa::qt::UsoDesktop().c_str());
    return 1;
  }

  korventa::qt::Desktop desktop(*opzioni, errore);
  if (!desktop.Valido()) {
    std::fprintf(stderr, "korventa: %s\n", errore.c_str());
    return 1;
  }
  desktop.Avvia();
  return QApplication::exec();
}
