// korventa: the desktop program.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <QtCore/QElapsedTimer>
#include <QtGui/QWindow>
#include <QtWidgets/QApplication>
#include <QtWidgets/QStyleFactory>

#include "qt/app/desktop.h"

namespace {

// KORVENTA_STARTUP_PROBE=1: the program prints how long it took from main
// to its first window on screen, and ends there. The start-up time in
// docs/PERFORMANCE.md is measured with it.
class StartupProbe : public QObject {
 public:
  explicit StartupProbe(const QElapsedTimer& since) : since_(since) {}

 protected:
  bool eventFilter(QObject* o, QEvent* e) override {
    if (!done_ && e->type() == QEvent::Expose && o->isWindowType() && static_cast<QWindow*>(o)->isExposed()) {
      done_ = true;
      std::printf("korventa: first window shown %.1f ms after main\n", since_.nsecsElapsed() / 1e6);
      std::fflush(stdout);
      QCoreApplication::exit(0);
    }
    return false;
  }

 private:
  const QElapsedTimer& since_;
  bool done_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  QElapsedTimer sinceMain;
  sinceMain.start();
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
    std::fprintf(stderr, "korventa: %s\nTry korventa --help.\n", errore.c_str());
    return 1;
  }

  korventa::qt::Desktop desktop(*opzioni, errore);
  if (!desktop.Valido()) {
    std::fprintf(stderr, "korventa: %s\n", errore.c_str());
    return 1;
  }
  StartupProbe probe(sinceMain);
  if (const char* p = std::getenv("KORVENTA_STARTUP_PROBE"); p != nullptr && *p != '\0' && *p != '0')
    app.installEventFilter(&probe);
  desktop.ChiudiAiSegnali();
  desktop.Avvia();
  return QApplication::exec();
}
