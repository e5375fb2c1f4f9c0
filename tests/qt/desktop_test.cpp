// The desktop program's windows against the built-in simulated converter:
// what the main window shows, "Open Com" filling the programming window,
// secondary windows that keep their state when closed, the language switch
// and the end of the program.
#include <QtCore/QDir>
#include <QtTest/QtTest>
#include <QtWidgets/QApplication>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QGroupBox>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QMenuBar>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QRadioButton>
#include <QtWidgets/QToolButton>

#include <memory>

#include "app/state.h"
#include "qt/app/desktop.h"
#include "qt/app/qt_dialogs.h"
#include "qt/views/communication_view.h"
#include "qt/views/program_view.h"
#include "qt/views/small_views.h"

using namespace korventa;
using namespace korventa::qt;

class DesktopTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<Desktop> d;

  // An unpaced simulated converter keeps the tests quick.
  void Avvia(const std::string& modello) {
    OpzioniDesktop o;
    o.simula = modello + ",baud=0";
    std::string errore;
    d = std::make_unique<Desktop>(o, errore);
    QVERIFY2(d->Valido(), errore.c_str());
    d->Avvia();
  }

  // With KORVENTA_SCREENSHOTS=dir the windows are saved there for a look.
  static void Foto(QWidget& w, const char* nome) {
    const QByteArray dir = qgetenv("KORVENTA_SCREENSHOTS");
    if (!dir.isEmpty()) w.grab().save(QDir(QString::fromLocal8Bit(dir)).filePath(nome));
  }

  QAction* Voce(const MenuItem& m) { return d->Principale().Azione(m); }

 private slots:
  void cleanup() { d.reset(); }

  void MainWindowShowsTheModelsCaptions() {
    Avvia("PLV7100");
    CommunicationView& v = d->Principale();
    QVERIFY(v.isVisible());
    QCOMPARE(v.windowTitle(), QString("KORVENTA v.2.7"));
    QCOMPARE(v.Check1()->text(), QString("Apri Com"));
    QVERIFY(!v.Check1()->isChecked());
    QCOMPARE(v.Porta()->count(), 16);
    QCOMPARE(v.Porta()->currentText(), QString("COM1"));
    QCOMPARE(v.Porta()->itemText(15), QString("COM16"));
    QCOMPARE(v.Modo(0)->toolTip(), QString("Programma"));
    QCOMPARE(v.Modo(2)->toolTip(), QString("Switch"));
    QCOMPARE(v.Spia()->Colore(), QColor(0, 255, 0));
    QCOMPARE(v.Progresso()->Quota(), 0.0);
    QVERIFY(!v.Start()->icon().isNull());
    QVERIFY(!v.windowIcon().isNull());

    const Communication& m = d->Ctx().w.communication;
    QCOMPARE(Voce(m.mnu_Exit)->text(), QString("Esci"));
    QCOMPARE(Voce(m.mnu_File_SaveAs)->text(), QString("Salva con nome..."));
    QCOMPARE(Voce(m.mnu_Help_About)->text(), QString("Info su KORVENTA v.2.7"));
    bool collaudo = false;
    for (QAction* a : v.menuBar()->actions())
      if (a->text() == "Collaudo") collaudo = a->isVisible();
    QVERIFY(!collaudo);

    // Nothing but the main window shows before the user asks.
    QVERIFY(!d->Programma().isVisible());
    QVERIFY(!d->Misura().isVisible());
    Foto(v, "communication.png");

    // English and back.
    v.Lingua()->click();
    QVERIFY(d->Lingue().isVisible());
    d->Lingue().opt_Lang(1)->click();
    QVERIFY(!d->Lingue().isVisible());
    QCOMPARE(v.Check1()->text(), QString("Open Com"));
    QCOMPARE(Voce(m.mnu_Exit)->text(), QString("Exit"));
    QCOMPARE(v.Modo(1)->toolTip(), QString("Measure"));
    v.Lingua()->click();
    d->Lingue().opt_Lang(0)->click();
    QCOMPARE(v.Check1()->text(), QString("Apri Com"));
  }

  void OpenComFillsTheProgrammingWindow() {
    Avvia("PLV7110A");
    CommunicationView& v = d->Principale();
    v.Check1()->click();

    QVERIFY(v.Check1()->isChecked());
    QCOMPARE(v.Check1()->text(), QString("Chiudi Com"));
    QCOMPARE(v.Dispositivo(0)->text(), QString("GN-7110 A"));
    QCOMPARE(v.Dispositivo(1)->text(), QString("ID=12/2"));
    QCOMPARE(v.Spia()->Colore(), QColor(0, 255, 0));
    QCOMPARE(v.Progresso()->Quota(), 1.0);
    QVERIFY(v.isEnabled());
    QVERIFY(QApplication::overrideCursor() == nullptr);

    ProgramView& p = d->Programma();
    QVERIFY(p.isVisible());
    for (int ch = 0; ch < 2; ++ch) {
      QVERIFY(p.cmb_Prog_In(ch)->count() > 1);
      QVERIFY(p.cmb_Prog_Out(ch)->count() > 1);
      QVERIFY(!p.cmb_Prog_In(ch)->currentText().isEmpty());
      QCOMPARE(p.cmb_Prog_In(ch)->currentText(),
               QString::fromStdString(d->Ctx().w.frm_program.cmb_Prog_In[static_cast<std::size_t>(ch)].Text));
    }
    QCOMPARE(p.txt_Input_max(0)->text(), QString::fromStdString(d->Ctx().w.frm_program.txt_Input_max[0].Text));
    Foto(p, "frm_program.png");

    // Unticking closes the port.
    v.Check1()->click();
    QCOMPARE(v.Check1()->text(), QString("Apri Com"));
    QVERIFY(!d->Trasporto().IsOpen());
  }

  void ChoosingAnInputTypeUpdatesTheWindow() {
    Avvia("PLV7100");
    d->Principale().Check1()->click();
    ProgramView& p = d->Programma();
    const int k = p.cmb_Prog_In(0)->findText("Tc K");
    QVERIFY(k >= 0);
    p.cmb_Prog_In(0)->setCurrentIndex(k);
    emit p.cmb_Prog_In(0)->activated(k);
    QCOMPARE(QString::fromStdString(d->Ctx().w.frm_program.cmb_Prog_In[0].Text), QString("Tc K"));
    QVERIFY(p.opt_gradi_far(0)->isVisibleTo(&p));

    p.txt_Input_max(0)->setFocus();
    p.txt_Input_max(0)->selectAll();
    QTest::keyClicks(p.txt_Input_max(0), "100");
    QCOMPARE(d->Ctx().w.frm_program.txt_Input_max[0].Text, std::string("100"));
    p.opt_gradi_far(0)->click();
    QCOMPARE(p.txt_Input_max(0)->text(), QString("212.0"));
    QVERIFY(p.opt_gradi_far(0)->isChecked());
    QVERIFY(!p.opt_gradi(0)->isChecked());
    QVERIFY(d->Ctx().s.GradiF[0]);
    Foto(p, "frm_program_7100.png");
  }

  void ClosedWindowsKeepTheirState() {
    Avvia("PLV7220D,variant=5");  // the two-input model
    d->Principale().Check1()->click();
    ProgramView& p = d->Programma();
    QVERIFY(p.isVisible());

    p.txt_Input_max(1)->setFocus();
    p.txt_Input_max(1)->selectAll();
    QTest::keyClicks(p.txt_Input_max(1), "42.5");
    p.close();
    QVERIFY(!p.isVisible());
    QVERIFY(!d->Ctx().w.communication.finestre[Schermo::frm_program].Visible);
    QVERIFY(d->Ctx().w.communication.finestre[Schermo::frm_program].Loaded);
    d->Principale().Modo(0)->click();
    QVERIFY(p.isVisible());
    QCOMPARE(p.txt_Input_max(1)->text(), QString("42.5"));

    Foto(p, "frm_program_7220D.png");

    // The operator window of the two-input model, closed and opened again
    // for the same channel, shows the operator chosen.
    QVERIFY(p.cmd_math()->isVisible());
    p.cmd_math()->click();
    QVERIFY(p.cmd_Operatore(1)->isVisible());
    QVERIFY(!p.cmd_math()->isVisible());
    p.cmd_Operatore(1)->click();
    OperView& o = d->Operatore();
    QVERIFY(o.isVisible());
    o.opt_Oper(6)->click();
    QVERIFY(o.Frame1()->isVisibleTo(&o));
    QCOMPARE(p.cmd_Operatore(1)->text(), QString("MAX"));
    o.close();
    QVERIFY(!o.isVisible());
    p.cmd_Operatore(1)->click();
    QVERIFY(o.isVisible());
    QVERIFY(o.opt_Oper(6)->isChecked());
    QVERIFY(!o.opt_Oper(0)->isChecked());
    Foto(o, "frm_Oper.png");
    Foto(p, "frm_program_algebraic.png");
    p.cmd_OperOk()->click();
    QVERIFY(p.cmd_math()->isVisible());

    // About: closed with its OK, shown again as it was.
    d->Principale().Azione(d->Ctx().w.communication.mnu_Help_About)->trigger();
    AboutView& a = d->About();
    QVERIFY(a.isVisible());
    QCOMPARE(a.lblTitle()->text(), QString("KORVENTA v.2.7"));
    QCOMPARE(a.lbl_Link(1)->text(), QString("MT_ITA_GANU_KORVENTA_0114R00.pdf"));
    Foto(a, "frm_About.png");
    a.close();
    QVERIFY(!a.isVisible());
    d->Principale().Azione(d->Ctx().w.communication.mnu_Help_About)->trigger();
    QVERIFY(a.isVisible());
    QCOMPARE(a.lbl_Link(1)->text(), QString("MT_ITA_GANU_KORVENTA_0114R00.pdf"));
  }

  void DialogsFiltersAndAnswersWithoutAnyone() {
    // The file dialog's filters: the patterns from the entries, in both
    // letter cases, whatever brackets the label already carries.
    const QStringList filtri = FiltriQt({{"(*.DST)", "*.DST"}, {"  (*.*)", "*.*"}});
    QCOMPARE(filtri, QStringList({"*.DST (*.DST *.dst)", "*.* (*.*)"}));
    QCOMPARE(FiltriQt({{"Images", "*.png"}}), QStringList({"Images (*.png *.PNG)"}));

    // While the program ends no box is shown, and the answer stops.
    ProgramState s;
    s.InUscita = true;
    QtDialogs dialogs(s, [] { return nullptr; });
    QCOMPARE(dialogs.MsgBox("?", Buttons::RetryCancel, Icon::Error, "t"), Answer::Cancel);
    QCOMPARE(dialogs.MsgBox("?", Buttons::Ok, Icon::None, "t"), Answer::Ok);
    QCOMPARE(dialogs.MsgBox("?", Buttons::AbortRetryIgnore, Icon::None, "t"), Answer::Abort);
    QCOMPARE(dialogs.MsgBox("?", Buttons::YesNo, Icon::None, "t"), Answer::No);
    QVERIFY(!dialogs.OpenFileName(FileDialogRequest{}));
  }

  void ExitEndsEverything() {
    Avvia("PLV7100");
    d->Principale().Check1()->click();
    d->Principale().Modo(1)->click();
    QVERIFY(d->Misura().isVisible());
    d->Principale().Azione(d->Ctx().w.communication.mnu_Exit)->trigger();
    QVERIFY(d->Ctx().s.InUscita);
    QVERIFY(!d->Principale().isVisible());
    QVERIFY(!d->Programma().isVisible());
    QVERIFY(!d->Misura().isVisible());
    QVERIFY(!d->Trasporto().IsOpen());
    // Windows now really close.
    QVERIFY(d->Chiudi(Schermo::frm_About));
  }
};

QTEST_MAIN(DesktopTest)
#include "desktop_test.moc"
