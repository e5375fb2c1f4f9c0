// The calibration window during a production run on the simulated bench:
// the rows repaint while the run goes on, STOP is honoured at the next step
// and the run leaves its certificate and log line in the reports folder.
#include <QtCore/QDir>
#include <QtCore/QSettings>
#include <QtCore/QStandardPaths>
#include <QtCore/QTemporaryDir>
#include <QtCore/QTimer>
#include <QtTest/QtTest>
#include <QtWidgets/QLabel>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QRadioButton>
#include <QtWidgets/QTableWidget>

#include <functional>
#include <memory>

#include "qt/app/desktop.h"
#include "qt/views/tara_view.h"
#include "support/scripted_dialogs.h"

using namespace korventa;
using namespace korventa::qt;

class TaraViewTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
  // Each run's certificate and log line go to a folder of its own.
  void cleanup() { d_.reset(); }
  void init() {
    rapporti_ = std::make_unique<QTemporaryDir>();
    QSettings("KORVENTA", "korventa").setValue("collaudo/rapporti", rapporti_->path());
  }

  void StopDuringTheRunEndsItAtTheNextStep() {
    QVERIFY(Apri());
    Desktop& d = *d_;
    TaraView& t = d.Taratura();
    // Row 0 is the first in the table; STOP as soon as it shows yellow.
    const QString stato = CorriFermando(t, [&t] { t.Command5()->click(); });
    FrmTara& f = d.Ctx().w.frm_tara;

    QCOMPARE(stato, QString("COLLAUDO IN CORSO"));
    QCOMPARE(t.lbl_collaudo()->text(), QString("COLLAUDO TERMINATO"));
    QCOMPARE(t.Tabella()->item(0, 1)->background().color(), QColor(0x00, 0xFF, 0x00));
    // STOP ends row 0 after its constant, before its check points; row 1
    // never runs.
    QVERIFY(f.righe[1].txt_k1.Text.empty());
    QVERIFY(t.Command2()->isEnabled());
    if (qEnvironmentVariableIsSet("KORVENTA_SCREENSHOTS"))
      t.grab().save(QDir(qEnvironmentVariable("KORVENTA_SCREENSHOTS")).filePath("frm_tara.png"));
    const QDir cartella(rapporti_->path());
    QCOMPARE(cartella.entryList({"PLV7110A_*.pdf"}).size(), 1);
    QFile log(cartella.filePath("collaudi.csv"));
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QStringList righe = QString(log.readAll()).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(righe.size(), 2);
    QVERIFY2(righe[1].contains(",PLV7110A,") && righe[1].endsWith(",FAIL,0 1"), qPrintable(righe[1]));

    // Prog hands over to the calibration check, its lamp at STOP.
    t.Command7()->click();
    QVERIFY(d.Ctx().w.frm_verifica.Visible);
    QCOMPARE(d.Ctx().w.frm_verifica.Spia_verifica.Caption, std::string("STOP"));

    // The PLV3100 brings up its two-device window.
    t.opt_modello(16)->click();
    QVERIFY(t.Vista3100().isVisible());
    if (qEnvironmentVariableIsSet("KORVENTA_SCREENSHOTS"))
      t.Vista3100().grab().save(QDir(qEnvironmentVariable("KORVENTA_SCREENSHOTS")).filePath("Frm_3100.png"));

    // Closing only hides: the rows keep their colours for Riprendi.
    t.close();
    QVERIFY(!t.isVisible() && !f.Visible);
    QCOMPARE(f.righe[0].txt_k1.colore, Colore::Verde);
  }

  // Exit while the run goes on: the run stops at its next step as STOP
  // would have it, and the program closes after it, not in the middle.
  void ExitDuringTheRunWaitsForTheRunToStop() {
    QVERIFY(Apri());
    Desktop& d = *d_;
    TaraView& t = d.Taratura();
    bool uscitaSubito = true;
    CorriFermando(t, [&] {
      d.Esegui([](Context& c) { mnu_Exit_Click(c); });
      uscitaSubito = d.Ctx().s.InUscita;
    });
    QVERIFY(!uscitaSubito);
    QVERIFY(d.Ctx().s.InUscita);
    QCOMPARE(d.Ctx().w.frm_tara.lbl_collaudo.Caption, std::string("COLLAUDO TERMINATO"));
    QVERIFY(d.Ctx().w.frm_tara.righe[1].txt_k1.Text.empty());
  }

  // Riprendi after the program was started again: the table kept in the
  // reports folder is offered, and its green rows are not run again.
  void RiprendiInANewSessionOffersTheKeptTable() {
    QVERIFY(Apri());
    d_->Ctx().w.frm_tara.righe[1].chk_tara.Value = false;
    d_->Ctx().w.frm_tara.chk_controllo.Value = true;  // a row is whole with its three check readings
    d_->Taratura().Command2()->click();
    QCOMPARE(d_->Ctx().w.frm_tara.righe[0].txt_span.colore, Colore::Verde);
    // Mark the kept constant, so a row run again would show.
    QFile kept(QDir(rapporti_->path()).filePath("PLV7110A.resume.json"));
    QVERIFY(kept.open(QIODevice::ReadOnly));
    const QString costante = QString::fromStdString(d_->Ctx().w.frm_tara.righe[0].txt_k1.Text);
    QByteArray testo = kept.readAll().replace(("\"" + costante + "\"").toUtf8(), "\"K-KEPT\"");
    kept.close();
    QVERIFY(kept.open(QIODevice::WriteOnly | QIODevice::Truncate));
    kept.write(testo);
    kept.close();

    QVERIFY(Apri());
    d_->Ctx().w.frm_tara.chk_controllo.Value = true;
    domande_->answers = {Answer::Yes};
    d_->Taratura().Command6()->click();
    const FrmTara& f = d_->Ctx().w.frm_tara;
    QVERIFY(!domande_->boxes.empty() && domande_->boxes[0].text.rfind("Riprendere il collaudo del ", 0) == 0);
    QCOMPARE(f.righe[0].txt_k1.Text, std::string("K-KEPT"));
    QCOMPARE(f.righe[1].txt_span.colore, Colore::Verde);
  }

 private:
  std::unique_ptr<QTemporaryDir> rapporti_;

  std::unique_ptr<test::ScriptedDialogs> domande_;
  std::unique_ptr<Desktop> d_;

  // A desktop on the simulated PLV7110A with its calibration window open,
  // set to run rows 0 and 1 alone.
  bool Apri() {
    d_.reset();
    domande_ = std::make_unique<test::ScriptedDialogs>();
    OpzioniDesktop o;
    o.simula = "PLV7110A,baud=0";
    std::string errore;
    d_ = std::make_unique<Desktop>(o, errore, domande_.get());
    if (!d_->Valido()) return false;
    Desktop& d = *d_;
    d.Avvia();
    TaraView& t = d.Taratura();
    d.Esegui([](Context& c) { c.w.frm_tara.Visible = true; });
    t.opt_modello(1)->click();
    FrmTara& f = d.Ctx().w.frm_tara;
    f.chk_switch.Value = f.chk_Consumo.Value = f.chk_controllo.Value = f.chk_programma.Value = false;
    for (auto& r : f.righe) r.chk_tara.Value = false;
    f.righe[0].chk_tara.Value = f.righe[1].chk_tara.Value = true;
    f.ritardo = 0.2;  // the settling delay is the window's; a short one keeps the test quick
    t.Rendi();
    return true;
  }

  // START; `ferma` runs once, as soon as row 0 shows yellow. Gives the
  // status label as it was then.
  QString CorriFermando(TaraView& t, const std::function<void()>& ferma) {
    QString stato;
    QTimer sorveglia;
    sorveglia.setInterval(20);
    connect(&sorveglia, &QTimer::timeout, this, [&] {
      if (stato.isEmpty() && t.Tabella()->item(0, 1)->background().color() == QColor(0xFF, 0xFF, 0x00)) {
        stato = t.lbl_collaudo()->text();
        ferma();
      }
    });
    sorveglia.start();
    t.Command2()->click();
    return stato;
  }
};

QTEST_MAIN(TaraViewTest)
#include "tara_view_test.moc"
