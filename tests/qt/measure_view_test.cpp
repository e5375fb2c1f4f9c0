// The measurement window against the built-in simulated converter: Start
// here or on the main window runs the loop with the window live, Stop ends
// it after the current wait, the readings show with their bar, marks and
// lamps, the trend collects them (and holds still while paused) and the
// recording gets a row per channel and reading.
#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QTemporaryDir>
#include <QtCore/QTimer>
#include <QtTest/QtTest>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QGroupBox>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QToolButton>

#include <functional>
#include <memory>

#include "app/context.h"
#include "qt/app/desktop.h"
#include "qt/app/sim_event_transport.h"
#include "qt/views/communication_view.h"
#include "qt/views/measure_view.h"

using namespace korventa;
using namespace korventa::qt;

class MeasureViewTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<Desktop> d;

  void Avvia(const std::string& modello) {
    OpzioniDesktop o;
    o.simula = modello + ",baud=0";
    std::string errore;
    d = std::make_unique<Desktop>(o, errore);
    QVERIFY2(d->Valido(), errore.c_str());
    d->Avvia();
    d->Principale().Check1()->click();
    d->Principale().Modo(1)->click();
    QVERIFY(d->VistaMisura().isVisible());
  }

  FrmMisura& F() { return d->Ctx().w.frm_misura; }

  // Runs `azione` on every turn of the event loop while `avvia` runs (the
  // clicks a person makes while measuring).
  void Durante(const std::function<void()>& avvia, const std::function<void()>& azione) {
    QTimer t;
    t.setInterval(10);
    connect(&t, &QTimer::timeout, this, azione);
    t.start();
    avvia();
    t.stop();
  }

  static void Foto(QWidget& w, const char* nome) {
    const QByteArray dir = qgetenv("KORVENTA_SCREENSHOTS");
    if (!dir.isEmpty()) w.grab().save(QDir(QString::fromLocal8Bit(dir)).filePath(nome));
  }

 private slots:
  void cleanup() { d.reset(); }

  void StartShowsTheReadingsAndStopEndsTheRun() {
    Avvia("PLV7100,signal-a=steady:850");
    MisuraView& v = d->VistaMisura();
    QTemporaryDir dir;
    const std::string percorso = QDir(dir.path()).filePath("misura.csv").toStdString();
    auto registro = std::make_shared<RegistroCsv>();
    std::string errore;
    QVERIFY(registro->Apri(percorso, errore));
    F().Registro = registro;

    Durante([&] { v.Start()->click(); },
            [&] {
              if (F().Letture >= 3 && v.Stop()->isEnabled()) {
                QVERIFY(!v.Start()->isEnabled());
                QCOMPARE(d->Ctx().w.communication.cmd_start_Picture, kImmagineStop);
                v.Stop()->click();
              }
            });
    QCOMPARE(F().Esito, EsitoMisura::Fermata);
    QVERIFY(F().Letture >= 3);
    QCOMPARE(v.Ingresso(0)->text(), QString("850.0 °C"));
    QCOMPARE(v.Uscita(0)->text(), QString("17.600 mA"));
    QCOMPARE(v.ProgIn(0)->text(), QString("Tc K  0÷ 1000 °C"));
    QCOMPARE(v.Progress(0)->Quota(), 0.85);
    QCOMPARE(v.BreakL(0)->Colore(), QColor(128, 128, 128));
    QCOMPARE(v.BreakH(0)->Colore(), QColor(128, 128, 128));
    // Above the trip, within its 2 s delay: pending.
    QCOMPARE(v.Led(0)->Colore(), QColor(255, 255, 0));
    QCOMPARE(v.ProgTrip(0)->text(), QString("H =  800 °C"));
    QCOMPARE(v.ProgTrip(3)->text(), QString("Delay =  2 sec."));
    // The PLV7100 has a second output and trip A only.
    QVERIFY(!v.Canale(1)->isHidden());
    QVERIFY(!v.Soglia(0)->isHidden());
    QVERIFY(v.Soglia(1)->isHidden());
    QVERIFY(v.Start()->isEnabled());
    QVERIFY(!v.Stop()->isEnabled());
    QCOMPARE(d->Principale().Spia()->Colore(), QColor(0, 255, 0));

    // The trend: every reading, the range and the trip as lines.
    QCOMPARE(v.Grafico(0)->Punti(), static_cast<int>(F().Letture));
    QCOMPARE(v.Grafico(0)->Linee().size(), 4u);
    QCOMPARE(v.Grafico(0)->Linee()[2].valore, 800.0);

    // "SM" once, after the last "MI".
    auto& sim = static_cast<SimEventTransport&>(d->Trasporto()).Inner();
    const auto& scritti = sim.Written();
    std::size_t mi = 0;
    for (std::size_t i = 0; i < scritti.size(); ++i)
      if (scritti[i] == "MI\r") mi = i;
    int sm = 0;
    for (std::size_t i = mi; i < scritti.size(); ++i) sm += scritti[i] == "SM\r";
    QCOMPARE(sm, 1);

    // The recording: the header and both channels of every reading.
    registro->Chiudi();
    QFile file(QString::fromStdString(percorso));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> righe = file.readAll().split('\n');
    QCOMPARE(righe.size(), static_cast<qsizetype>(2 + 2 * F().Letture));  // and the empty end
    QVERIFY(righe[1].contains(",A,17.600,mA,850.0,"));
    Foto(v, "frm_misura.png");
  }

  void MainWindowStartAndThePausedTrend() {
    Avvia("PLV7110A,signal-a=ramp:0:400:5");
    MisuraView& v = d->VistaMisura();
    int mostrati = -1;
    Durante([&] { d->Principale().Start()->click(); },
            [&] {
              if (F().Letture >= 2 && mostrati < 0) {
                v.PausaAndamento()->setChecked(true);
                mostrati = v.Grafico(0)->PuntiMostrati();
              }
              // The main window's button stops as well.
              if (F().Letture >= 6 && d->Ctx().s.InMisura) d->Principale().Start()->click();
            });
    QCOMPARE(F().Esito, EsitoMisura::Fermata);
    QVERIFY(mostrati >= 2);
    QCOMPARE(v.Grafico(0)->PuntiMostrati(), mostrati);
    QVERIFY(v.Grafico(0)->Punti() > mostrati);
    v.PausaAndamento()->setChecked(false);
    QCOMPARE(v.Grafico(0)->PuntiMostrati(), v.Grafico(0)->Punti());
    // One channel, no trips on this model.
    QVERIFY(v.Canale(1)->isHidden());
    QVERIFY(v.Soglia(0)->isHidden());
    QCOMPARE(d->Ctx().w.communication.cmd_start_Picture, kImmagineStart);

    // Closing the window hides it; Start from the main window still works.
    v.close();
    QVERIFY(!v.isVisible());
  }
};

QTEST_MAIN(MeasureViewTest)
#include "measure_view_test.moc"
