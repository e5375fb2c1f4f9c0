// The bench-test and calibration-check windows on the desktop program with
// the built-in simulated converter and virtual bench: the factory menu opens
// them, forcing runs with the window live and ends when it closes, the
// linearity list fills, and the report prints to a PDF file.
#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QTemporaryDir>
#include <QtCore/QTimer>
#include <QtTest/QtTest>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QListWidget>
#include <QtWidgets/QMenu>
#include <QtWidgets/QPlainTextEdit>
#include <QtWidgets/QPushButton>

#include <functional>
#include <memory>

#include "app/context.h"
#include "qt/app/desktop.h"
#include "qt/views/check_views.h"
#include "qt/views/communication_view.h"
#include "support/scripted_dialogs.h"

using namespace korventa;
using namespace korventa::qt;

class CheckViewTest : public QObject {
  Q_OBJECT

 private:
  test::ScriptedDialogs dialogs;
  std::unique_ptr<Desktop> d;

  void Avvia(const std::string& modello) {
    OpzioniDesktop o;
    o.simula = modello + ",baud=0";
    std::string errore;
    d = std::make_unique<Desktop>(o, errore, &dialogs);
    QVERIFY2(d->Valido(), errore.c_str());
    d->Avvia();
    d->Principale().Check1()->click();
  }

  QAction* Voce(const char* nome) {
    for (QAction* a : d->Principale().findChildren<QAction*>())
      if (a->objectName() == nome || a->text() == nome) return a;
    return nullptr;
  }

  static void Foto(QWidget& w, const char* nome) {
    const QByteArray dir = qgetenv("KORVENTA_SCREENSHOTS");
    if (!dir.isEmpty()) w.grab().save(QDir(QString::fromLocal8Bit(dir)).filePath(nome));
  }

  void Durante(const std::function<void()>& avvia, const std::function<void()>& azione) {
    QTimer t;
    t.setInterval(10);
    connect(&t, &QTimer::timeout, this, azione);
    t.start();
    avvia();
    t.stop();
  }

 private slots:
  void cleanup() { d.reset(); }

  void TestWindowForcesUntilClosedAndListsLinearityDeviations() {
    Avvia("PLV7300");
    d->Esegui([](Context& c) { c.w.frm_test.Visible = true; });
    TestView& t = d->Test();
    QVERIFY(t.isVisible());
    FrmTest& f = d->Ctx().w.frm_test;
    t.findChild<QLineEdit*>("Text1_2")->setText("2000");
    f.Text1[2].Text = "2000";
    int giri = 0;
    Durante([&] { t.Pulsante("Command7")->click(); },
            [&] {
              if (f.Forzatura && ++giri == 3) t.close();
            });
    QVERIFY(!f.Forzatura);
    QVERIFY(!t.isVisible());

    d->Esegui([](Context& c) { c.w.frm_test.Visible = true; });
    f.Text4.Text = "300";
    f.Text6.Text = "0.2";
    f.Text9.Text = "0.2";
    f.Text7.Text = "-1";  // every reading deviates: the list shows them all
    t.Pulsante("Command4")->click();
    QVERIFY(t.List1()->count() > 0);
    QCOMPARE(t.List1()->item(0)->text(), QString("0-->.001"));
    Foto(t, "frm_test.png");
    QVERIFY(!f.InCorso);
  }

  void CheckWindowShowsTheReportAndPrintsItToPdf() {
    Avvia("PLV7100");
    d->Esegui([](Context& c) { c.w.frm_verifica.Visible = true; });
    VerificaView& v = d->Verifica();
    QVERIFY(v.isVisible());
    v.Pulsante("comm_strum")->click();
    QVERIFY(d->StrumentiVer().isVisible());
    d->Esegui([](Context& c) { c.w.frm_verifica.report_ver.Text = "Taratura in corso N° : 1\r\nValore di zero: 04.000 mA\r\n"; });
    QCOMPARE(v.report_ver()->toPlainText(), QString("Taratura in corso N° : 1\nValore di zero: 04.000 mA\n"));
    Foto(v, "frm_verifica.png");
    emit d->StrumentiVer().findChild<QComboBox*>("mode_aut_man")->activated(0);
    QVERIFY(d->Ctx().w.interfaccia_strum_ver.Check_cal_ver.Value);
    Foto(d->StrumentiVer(), "interfaccia_strum_ver.png");
    QTemporaryDir dir;
    const QString pdf = QDir(dir.path()).filePath("verifica.pdf");
    std::string errore;
    QVERIFY2(VerificaView::StampaPdf(v.report_ver()->toPlainText(), pdf, errore), errore.c_str());
    QFile file(pdf);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.read(5) == "%PDF-");
  }
};

QTEST_MAIN(CheckViewTest)
#include "check_view_test.moc"
