// korventa-screenshots: the pictures of the README, taken from the real
// windows against the built-in simulated converter (scripts/screenshots
// runs it with the offscreen platform).
//
//   korventa-screenshots DIR [MODEL [en]]
//
// writes DIR/main-program.png (the main window with the programming window
// after a read, placed as on screen) and DIR/measure.png (the measurement
// window with its trend after some readings); with "en" the windows are in
// English and the names end in "-en".
#include <cstdio>
#include <string>

#include <QtCore/QDir>
#include <QtCore/QTimer>
#include <QtGui/QPainter>
#include <QtWidgets/QApplication>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QStyleFactory>
#include <QtWidgets/QToolButton>

#include "qt/app/desktop.h"
#include "qt/views/communication_view.h"
#include "qt/views/measure_view.h"
#include "qt/views/program_view.h"

namespace {

// The windows as they stand on the screen, on a plain desktop background.
QImage Insieme(const std::initializer_list<QWidget*>& finestre) {
  QRect area;
  for (QWidget* w : finestre) area |= w->frameGeometry();
  QImage img(area.size() + QSize(16, 16), QImage::Format_RGB32);
  img.fill(QColor(70, 90, 110));
  QPainter g(&img);
  for (QWidget* w : finestre) g.drawPixmap(w->pos() - area.topLeft() + QPoint(8, 8), w->grab());
  return img;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setStyle(QStyleFactory::create("Fusion"));
  QApplication::setQuitOnLastWindowClosed(false);
  if (argc < 2) {
    std::fputs("usage: korventa-screenshots DIR [MODEL [en]]\n", stderr);
    return 2;
  }
  const QDir dir(QString::fromLocal8Bit(argv[1]));
  korventa::qt::OpzioniDesktop o;
  o.simula = std::string(argc > 2 ? argv[2] : "PLV7100") + ",baud=0";
  std::string errore;
  korventa::qt::Desktop d(o, errore);
  if (!d.Valido()) {
    std::fprintf(stderr, "korventa-screenshots: %s\n", errore.c_str());
    return 1;
  }
  d.Avvia();
  const bool inglese = argc > 3 && std::string(argv[3]) == "en";
  const QString suffisso = inglese ? "-en" : "";
  if (inglese) d.Esegui([](korventa::Context& c) { korventa::opt_Lang_Click(c, 1); });
  d.Principale().Check1()->click();
  QApplication::processEvents();
  bool ok = Insieme({&d.Principale(), &d.Programma()}).save(dir.filePath("main-program" + suffisso + ".png"));

  // Some readings for the trend, then Stop.
  d.Principale().Modo(1)->click();
  QTimer ferma;
  ferma.setInterval(50);
  QObject::connect(&ferma, &QTimer::timeout, [&d] {
    if (d.Ctx().w.frm_misura.Letture >= 40) d.Esegui(korventa::Cmd_StopRead_Click);
  });
  ferma.start();
  d.Principale().Start()->click();
  ferma.stop();
  QApplication::processEvents();
  ok = d.VistaMisura().grab().save(dir.filePath("measure" + suffisso + ".png")) && ok;
  if (!ok) std::fprintf(stderr, "korventa-screenshots: cannot write into %s\n", argv[1]);
  return ok ? 0 : 1;
}
