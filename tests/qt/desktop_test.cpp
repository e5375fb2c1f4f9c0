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

#include <QtCore/QFileInfo>
#include <QtCore/QTemporaryDir>
#include <QtCore/QTimer>
#include <QtWidgets/QMenu>

#include <algorithm>
#include <memory>

#include "app/impostatesti.h"
#include "app/state.h"
#include "app/texts.h"
#include "qt/app/sim_event_transport.h"
#include "support/scripted_dialogs.h"
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
  // Declared before the desktop, which asks its questions here.
  std::unique_ptr<korventa::test::ScriptedDialogs> domande;
  std::unique_ptr<Desktop> d;

  // An unpaced simulated converter keeps the tests quick. With `scriptate`
  // every question goes to `domande` instead of a real dialog.
  void Avvia(const std::string& modello, bool scriptate = false) {
    OpzioniDesktop o;
    o.simula = modello + ",baud=0";
    std::string errore;
    if (scriptate) domande = std::make_unique<korventa::test::ScriptedDialogs>();
    d = std::make_unique<Desktop>(o, errore, scriptate ? domande.get() : nullptr);
    QVERIFY2(d->Valido(), errore.c_str());
    d->Avvia();
  }

  // With KORVENTA_SCREENSHOTS=dir the windows are saved there for a look.
  static void Foto(QWidget& w, const char* nome) {
    const QByteArray dir = qgetenv("KORVENTA_SCREENSHOTS");
    if (!dir.isEmpty()) w.grab().save(QDir(QString::fromLocal8Bit(dir)).filePath(nome));
  }

  QAction* Voce(const MenuItem& m) { return d->Principale().Azione(m); }

  // Every text a person reads on the windows, with the values on screen:
  // titles, labels, frame, button and menu captions, tool tips, boxes.
  QStringList Testi() {
    QStringList t;
    const QList<QWidget*> finestre = {&d->Principale(), &d->Programma(), &d->Lingue(), &d->Operatore(),
                                      &d->About(),      &d->Misura(),    &d->Switch()};
    for (QWidget* f : finestre) {
      t << f->objectName() + " | " + f->windowTitle();
      for (QWidget* w : f->findChildren<QWidget*>()) {
        if (auto* l = qobject_cast<QLabel*>(w))
          t << "label | " + l->text();
        else if (auto* b = qobject_cast<QAbstractButton*>(w))
          t << "button | " + b->text() + " | " + b->toolTip();
        else if (auto* g = qobject_cast<QGroupBox*>(w))
          t << "frame | " + g->title();
        else if (auto* e = qobject_cast<QLineEdit*>(w))
          t << "box | " + e->text();
        else if (auto* c = qobject_cast<QComboBox*>(w))
          t << "list | " + c->currentText();
      }
      for (QAction* a : f->findChildren<QAction*>()) t << "menu | " + a->text();
    }
    return t;
  }

  // Types into a box as a person does: the old text selected and replaced.
  static void Scrivi(QLineEdit* e, const QString& testo) {
    e->setFocus();
    e->selectAll();
    QTest::keyClicks(e, testo);
  }

  sim::MemoryBank& Memoria() {
    return static_cast<SimEventTransport&>(d->Trasporto()).Inner().Converter().Bank(0);
  }

 private slots:
  void cleanup() {
    d.reset();
    domande.reset();
  }

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
    Foto(v, "communication.png");
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

  void StartUpShowsOnlyTheMainWindow() {
    Avvia("PLV7100");
    CommunicationView& v = d->Principale();
    QVERIFY(v.isVisible());
    QVERIFY(!v.Check1()->isChecked());
    QVERIFY(!d->Trasporto().IsOpen());
    // The start-up talks to no device.
    QVERIFY(static_cast<SimEventTransport&>(d->Trasporto()).Inner().Written().empty());
    QCOMPARE(v.Porta()->count(), 16);
    for (int i = 0; i < 16; ++i) QCOMPARE(v.Porta()->itemText(i), QString("COM%1").arg(i + 1));
    // No device is named before one has answered.
    QCOMPARE(v.Dispositivo(0)->text(), QString("Nessun dispositivo identificato"));
    QCOMPARE(v.Dispositivo(1)->text(), QString());
    // The work windows and the small ones wait for the user.
    for (QWidget* w : {static_cast<QWidget*>(&d->Programma()), &d->Misura(), &d->Switch(),
                       static_cast<QWidget*>(&d->Lingue()), static_cast<QWidget*>(&d->Operatore()),
                       static_cast<QWidget*>(&d->About())})
      QVERIFY2(!w->isVisible(), qPrintable(w->objectName()));
    // The factory menu is not on the menu bar, nor are its items reachable.
    const Communication& m = d->Ctx().w.communication;
    for (QAction* a : v.menuBar()->actions()) QVERIFY(a->text() != "Collaudo" || !a->isVisible());
    for (const MenuItem* i : {&m.mnu_Collaudo_EEprom, &m.mnu_Collaudo_Taratura, &m.mnu_test}) {
      auto* menu = qobject_cast<QMenu*>(Voce(*i)->parent());
      QVERIFY(menu != nullptr);
      QVERIFY(!menu->menuAction()->isVisible());
    }

    // Before any device the language switch needs no answer from one.
    const QStringList italiano = Testi();
    v.Lingua()->click();
    d->Lingue().opt_Lang(1)->click();
    QCOMPARE(v.Check1()->text(), QString("Open Com"));
    QCOMPARE(v.Modo(1)->toolTip(), QString("Measure"));
    v.Lingua()->click();
    d->Lingue().opt_Lang(0)->click();
    QCOMPARE(Testi(), italiano);
  }

  void OpenComFillsTheProgrammingWindowPerVariant_data() {
    QTest::addColumn<QString>("modello");
    QTest::addColumn<int>("variante");
    QTest::addColumn<int>("indice");  // catalogue index of the model shown
    QTest::newRow("variant 0") << "PLV7100" << 0 << 0;
    QTest::newRow("variant 5") << "PLV7220D,variant=5" << 5 << 16;
  }

  void OpenComFillsTheProgrammingWindowPerVariant() {
    QFETCH(QString, modello);
    QFETCH(int, variante);
    QFETCH(int, indice);
    Avvia(modello.toStdString());
    CommunicationView& v = d->Principale();
    v.Check1()->click();
    QVERIFY(d->Trasporto().IsOpen());
    QCOMPARE(v.Check1()->text(), QString("Chiudi Com"));
    QCOMPARE(v.Dispositivo(1)->text(), QString("ID=12/%1").arg(variante));
    QCOMPARE(v.Dispositivo(0)->text(), QString::fromStdString(TestoMarchio(d->Ctx().s, kOffsetModelli + indice)));
    QVERIFY(v.Dispositivo(0)->text().startsWith("GN-"));

    // The window shows what the device holds.
    ProgramView& p = d->Programma();
    QVERIFY(p.isVisible());
    const ProgramState& s = d->Ctx().s;
    for (int ch = 0; ch < 2; ++ch) {
      const auto c = static_cast<std::size_t>(ch);
      QVERIFY(p.cmb_Prog_In(ch)->count() > 1);
      QVERIFY(p.cmb_Prog_Out(ch)->count() > 1);
      QCOMPARE(p.cmb_Prog_Out(ch)->currentText().isEmpty(), false);
      // The input code is in the low five bits of the channel's first byte.
      const QString tipo = QString::fromStdString(s.TipiIngresso[Memoria()[c] & 0x1F].Nome);
      // Channel B of a single-input model may show the doubler entry.
      if (ch == 0 || p.frm_input(1)->isVisibleTo(&p)) QCOMPARE(p.cmb_Prog_In(ch)->currentText(), tipo);
      QCOMPARE(p.txt_Input_max(ch)->text().toDouble(), s.Canali[c].InMax);
      QCOMPARE(p.txt_Input_min(ch)->text().toDouble(), s.Canali[c].InMin);
    }

    // The frames of the model.
    if (variante == 0) {
      QVERIFY(!p.frm_input(1)->isVisibleTo(&p));
      QVERIFY(p.frm_soglia(0)->isVisibleTo(&p));
      QVERIFY(!p.frm_soglia(1)->isVisibleTo(&p));
      QVERIFY(p.frm_opt()->isVisibleTo(&p));
      QVERIFY(!p.cmd_math()->isVisibleTo(&p));
    } else {
      QVERIFY(p.frm_input(1)->isVisibleTo(&p));
      QVERIFY(p.frm_output(1)->isVisibleTo(&p));
      QVERIFY(!p.frm_opt()->isVisibleTo(&p));
      QVERIFY(p.cmd_math()->isVisibleTo(&p));
      // The algebraic page copies the ranges of both channels.
      p.cmd_math()->click();
      QVERIFY(p.cmd_Operatore(0)->isVisibleTo(&p));
      QCOMPARE(p.txt_Input_max(2)->text(), p.txt_Input_max(0)->text());
      QCOMPARE(p.txt_Input_max(3)->text(), p.txt_Input_max(1)->text());
      QVERIFY(!p.frm_input(0)->isVisibleTo(&p));
      p.cmd_OperOk()->click();
      QVERIFY(p.frm_input(0)->isVisibleTo(&p));
    }
    QVERIFY(!p.frm_freq()->isVisibleTo(&p));
    QVERIFY(p.isEnabled());
  }

  void ViewButtonsAndMenuToggleTheWorkWindows() {
    Avvia("PLV7100");
    CommunicationView& v = d->Principale();
    const Communication& m = d->Ctx().w.communication;
    QWidget* finestre[] = {&d->Programma(), &d->Misura(), &d->Switch()};
    const MenuItem* voci[] = {&m.mnu_View_Program, &m.mnu_View_Measure, &m.mnu_View_Switch};
    for (int i = 0; i < 3; ++i) {
      v.Modo(i)->click();
      QVERIFY(finestre[i]->isVisible());
      v.Modo(i)->click();
      QVERIFY(!finestre[i]->isVisible());
      Voce(*voci[i])->trigger();
      QVERIFY(finestre[i]->isVisible());
      Voce(*voci[i])->trigger();
      QVERIFY(!finestre[i]->isVisible());
    }
    // Each press flips one window only.
    v.Modo(1)->click();
    QVERIFY(!d->Programma().isVisible());
    QVERIFY(d->Misura().isVisible());
    QVERIFY(!d->Switch().isVisible());
    // The programming window stands under the main window.
    v.Modo(0)->click();
    QVERIFY(d->Programma().frameGeometry().top() >= v.frameGeometry().bottom());
  }

  void LanguageRoundTripRestoresEveryCaption() {
    Avvia("PLV7220D,variant=5");
    CommunicationView& v = d->Principale();
    v.Check1()->click();
    d->Principale().Azione(d->Ctx().w.communication.mnu_Help_About)->trigger();
    const QStringList italiano = Testi();

    v.Lingua()->click();
    QVERIFY(d->Lingue().isVisible());
    QVERIFY(d->Lingue().opt_Lang(0)->isChecked());
    d->Lingue().opt_Lang(1)->click();
    QVERIFY(!d->Lingue().isVisible());
    const QStringList inglese = Testi();
    QCOMPARE(inglese.size(), italiano.size());
    int cambiati = 0;
    for (qsizetype i = 0; i < inglese.size(); ++i) cambiati += inglese[i] != italiano[i] ? 1 : 0;
    QVERIFY2(cambiati >= 20, qPrintable(QString::number(cambiati)));
    QCOMPARE(v.Check1()->text(), QString("Close Com"));
    QCOMPARE(Voce(d->Ctx().w.communication.mnu_File_Open)->text(), QString("Open..."));
    QCOMPARE(d->Programma().frm_input(0)->title(), QString("Input"));
    QCOMPARE(d->Programma().windowTitle(), QString("Program"));
    QCOMPARE(d->About().windowTitle(), QString("About KORVENTA v.2.7"));
    QCOMPARE(d->About().lbl_Link(1)->text(), QString("MT_EN_GANU_KORVENTA_0114R00.pdf"));

    v.Lingua()->click();
    QVERIFY(d->Lingue().opt_Lang(1)->isChecked());
    d->Lingue().opt_Lang(0)->click();
    QCOMPARE(Testi(), italiano);
    QCOMPARE(v.Check1()->text(), QString("Chiudi Com"));
  }

  void ReadWriteOpenSaveThroughTheMenus() {
    Avvia("PLV7100", true);
    CommunicationView& v = d->Principale();
    const Communication& m = d->Ctx().w.communication;
    v.Check1()->click();
    QVERIFY(d->Trasporto().IsOpen());
    QVERIFY(domande->boxes.empty());
    ProgramView& p = d->Programma();
    const ProgramState& s = d->Ctx().s;
    const QString letto = p.txt_Input_max(0)->text();
    const double massimo = s.Canali[0].InMax;
    const double scritto = massimo - 10;
    QVERIFY(scritto > s.Canali[0].InMin);

    // Save as: the name is asked for, with the overwrite prompt.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const std::string a = dir.filePath("A.DST").toStdString();
    domande->fileNames.push_back(a);
    Voce(m.mnu_File_SaveAs)->trigger();
    QCOMPARE(domande->fileRequests.size(), std::size_t{1});
    QVERIFY(domande->fileRequests[0].overwritePrompt);
    QCOMPARE(QFileInfo(QString::fromStdString(a)).size(), qint64{292});
    QCOMPARE(d->Ctx().w.NomeFile, a);

    // Write: the edited maximum reaches the device's memory.
    const sim::MemoryBank prima = Memoria();
    Scrivi(p.txt_Input_max(0), QString::number(scritto));
    // The menu item (and its key, F6) asks first.
    domande->answers.push_back(Answer::Ok);
    Voce(m.mnu_Action_Program_Write)->trigger();
    QCOMPARE(domande->boxes.size(), std::size_t{1});
    QCOMPARE(domande->boxes[0].text, Testo(d->Ctx().s, kTxtConfermaScrittura));
    domande->boxes.clear();
    const sim::MemoryBank dopo = Memoria();
    QVERIFY(prima != dopo);

    // Read: an edit not written is replaced by what the device holds.
    Scrivi(p.txt_Input_max(0), QString::number(massimo - 20));
    Voce(m.mnu_Action_Program_Read)->trigger();
    QCOMPARE(p.txt_Input_max(0)->text().toDouble(), scritto);

    // Open: the file's values come back on screen, the device is untouched.
    domande->fileNames.push_back(a);
    Voce(m.mnu_File_Open)->trigger();
    QCOMPARE(domande->fileRequests.size(), std::size_t{2});
    QCOMPARE(p.txt_Input_max(0)->text().toDouble(), letto.toDouble());
    QVERIFY(Memoria() == dopo);

    // Save: the current file again, without asking for a name.
    Scrivi(p.txt_Input_max(0), QString::number(scritto));
    Voce(m.mnu_File_Save)->trigger();
    QCOMPARE(domande->fileRequests.size(), std::size_t{2});
    Scrivi(p.txt_Input_max(0), QString::number(massimo - 20));
    domande->fileNames.push_back(a);
    // The edit is dropped only once the user agrees.
    domande->answers.push_back(Answer::Ok);
    Voce(m.mnu_File_Open)->trigger();
    QCOMPARE(p.txt_Input_max(0)->text().toDouble(), scritto);
    QCOMPARE(domande->boxes.size(), std::size_t{1});
    QCOMPARE(domande->boxes[0].text, Testo(d->Ctx().s, kTxtModificheNonSalvate));
  }

  void OperatorWindowShowsOptionsForMaxAndMinOnly() {
    Avvia("PLV7220D,variant=5");
    d->Principale().Check1()->click();
    ProgramView& p = d->Programma();
    p.cmd_math()->click();
    OperView& o = d->Operatore();
    p.cmd_Operatore(0)->click();
    QVERIFY(o.isVisible());
    static const char* const kNomi[] = {"= B", "= A", "A+B", "A-B", "A*B", "A/B", "MAX", "MIN"};
    for (int i = 0; i < 8; ++i) QCOMPARE(o.opt_Oper(i)->text(), QString(kNomi[i]));
    for (int i : {6, 0, 7, 1, 2, 3, 4, 5}) {
      o.opt_Oper(i)->click();
      QCOMPARE(o.Frame1()->isVisibleTo(&o), i >= 6);
      QCOMPARE(o.Frame1()->title(), QString("Options"));
      QCOMPARE(p.cmd_Operatore(0)->text(), QString(kNomi[i]));
      QCOMPARE(int{d->Ctx().s.Canali[0].Operatore}, i);
      for (int k = 0; k < 8; ++k) QCOMPARE(o.opt_Oper(k)->isChecked(), k == i);
    }
    // Channel A keeps its last choice, A/B; channel B gets MIN.
    o.findChild<QPushButton*>()->click();
    QVERIFY(!o.isVisible());
    p.cmd_Operatore(1)->click();
    o.opt_Oper(7)->click();
    QVERIFY(o.Frame1()->isVisibleTo(&o));
    o.close();
    // Reopened for each channel, the window shows that channel's operator.
    p.cmd_Operatore(0)->click();
    QVERIFY(o.opt_Oper(5)->isChecked());
    QVERIFY(!o.opt_Oper(7)->isChecked());
    QVERIFY(!o.Frame1()->isVisibleTo(&o));
    p.cmd_Operatore(1)->click();
    QVERIFY(o.opt_Oper(7)->isChecked());
    QVERIFY(o.Frame1()->isVisibleTo(&o));
    QCOMPARE(p.cmd_Operatore(0)->text(), QString("A/B"));
    QCOMPARE(p.cmd_Operatore(1)->text(), QString("MIN"));
  }

  void AboutHidesLinksByBrand_data() {
    QTest::addColumn<int>("marchio");
    QTest::addColumn<QString>("titolo");
    QTest::addColumn<bool>("web");
    QTest::addColumn<bool>("manuale");
    QTest::addColumn<QString>("manualeIta");
    QTest::addColumn<QString>("manualeEng");
    QTest::newRow("brand 0") << 0 << "KORVENTA v.2.7" << true << true << "MT_ITA_KORVENTA_0114R00.pdf"
                             << "MT_EN_KORVENTA_0114R00.pdf";
    QTest::newRow("brand 1") << 1 << "KORVENTA v.2.7" << false << true << "MT_ITA_AN_KORVENTA_0114R00.pdf"
                             << "MT_EN_AN_KORVENTA_0114R00.pdf ";
    QTest::newRow("brand 2") << 2 << "KORVENTA v.2.7" << true << true << "MT_ITA_GANU_KORVENTA_0114R00.pdf"
                             << "MT_EN_GANU_KORVENTA_0114R00.pdf";
    QTest::newRow("brand 3") << 3 << "KUVRO-02 v.2.7" << true << false << "MT_IT_SVKUVRO02_0608R01.pdf"
                             << "MT_EN_SVKUVRO02_0608R01.pdf";
  }

  void AboutHidesLinksByBrand() {
    QFETCH(int, marchio);
    QFETCH(QString, titolo);
    QFETCH(bool, web);
    QFETCH(bool, manuale);
    QFETCH(QString, manualeIta);
    QFETCH(QString, manualeEng);
    Avvia("PLV7100", true);
    // The brand is fixed by the start-up; another one is put in as a
    // differently branded build would have it.
    d->Esegui([marchio](Context& c) {
      c.s.Marchio = static_cast<std::uint8_t>(marchio);
      ImpostaTesti(c);
    });
    QCOMPARE(d->Principale().windowTitle(), titolo);
    d->Principale().Azione(d->Ctx().w.communication.mnu_Help_About)->trigger();
    AboutView& a = d->About();
    QVERIFY(a.isVisible());
    QCOMPARE(a.windowTitle(), "Info su " + titolo);
    QCOMPARE(a.lblTitle()->text(), titolo);
    QCOMPARE(a.lbl_Link(0)->isVisibleTo(&a), web);
    QCOMPARE(a.picIcon()->isVisibleTo(&a), web);
    QCOMPARE(a.lbl_Link(1)->isVisibleTo(&a), manuale);
    QCOMPARE(a.picPDF()->isVisibleTo(&a), manuale);
    if (!web) QVERIFY(d->Ctx().w.frm_About.IndirizzoWeb.empty());
    if (web) QVERIFY(!a.lbl_Link(0)->text().trimmed().isEmpty());
    QCOMPARE(QString::fromStdString(d->Ctx().w.frm_About.Manuale), manualeIta);
    d->Esegui([](Context& c) { opt_Lang_Click(c, 1); });
    QCOMPARE(QString::fromStdString(d->Ctx().w.frm_About.Manuale), manualeEng);
    QCOMPARE(a.windowTitle(), "About " + titolo);

    // No system-information tool on the search path: the message in
    // Italian, whatever the language, under the application title.
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QByteArray("/nonexistent"));
    a.cmdSysInfo()->click();
    qputenv("PATH", path);
    QCOMPARE(domande->boxes.size(), std::size_t{1});
    QCOMPARE(QString::fromStdString(domande->boxes[0].text),
             QString("Le informazioni sul sistema non sono attualmente disponibili."));
    QCOMPARE(QString::fromStdString(domande->boxes[0].caption), titolo);

    // OK closes it; shown again it is as it was.
    a.cmdOK()->click();
    QVERIFY(!a.isVisible());
    d->Principale().Azione(d->Ctx().w.communication.mnu_Help_About)->trigger();
    QVERIFY(a.isVisible());
    QCOMPARE(a.lbl_Link(1)->isVisibleTo(&a), manuale);
    QCOMPARE(a.picIcon()->isVisibleTo(&a), web);
  }

  void PortThatCannotBeOpenedUnticksTheBox() {
    OpzioniDesktop o;
    o.porta = "/dev/korventa-no-such-port";
    domande = std::make_unique<korventa::test::ScriptedDialogs>();
    std::string errore;
    d = std::make_unique<Desktop>(o, errore, domande.get());
    QVERIFY2(d->Valido(), errore.c_str());
    d->Avvia();
    CommunicationView& v = d->Principale();
    v.Check1()->click();
    QVERIFY(!v.Check1()->isChecked());
    QCOMPARE(v.Check1()->text(), QString("Apri Com"));
    QVERIFY(!d->Trasporto().IsOpen());
    QVERIFY(!d->Programma().isVisible());
    QCOMPARE(domande->boxes.size(), std::size_t{1});
    // The usual text, and the reason on a second line.
    QVERIFY(domande->boxes[0].text.rfind("Porta COM utilizzata da un altra applicazione\n", 0) == 0);
    QCOMPARE(domande->boxes[0].icon, Icon::Error);
    QCOMPARE(domande->boxes[0].caption, std::string("KORVENTA v.2.7"));
  }

  void SwitchViewButtonFollowsTheModel() {
    Avvia("PLV3100");
    CommunicationView& v = d->Principale();
    QVERIFY(v.Modo(2)->isEnabled());
    v.Check1()->click();
    QCOMPARE(v.Dispositivo(1)->text(), QString("ID=12/9"));
    // The PLV3100 has no DIP switches.
    QVERIFY(!v.Modo(2)->isEnabled());
    QVERIFY(v.Modo(0)->isEnabled());
  }

  void MeasureMenuStopStartsAndStartDoesNotStop() {
    Avvia("PLV7100");
    CommunicationView& v = d->Principale();
    const Communication& m = d->Ctx().w.communication;
    v.Check1()->click();
    bool misurava = false;
    bool dopoStart = false;
    bool dopoStop = true;
    int immagine = 0;
    QTimer attesa;
    int giri = 0;
    // Polled from inside the measuring loop, which services events.
    connect(&attesa, &QTimer::timeout, this, [&] {
      // The menu is used once readings come (while the measurement is
      // prepared its items wait, as the buttons do).
      if (d->Ctx().w.frm_misura.Letture == 0 && ++giri < 200) return;
      attesa.stop();
      misurava = d->Ctx().s.InMisura;
      immagine = m.cmd_start_Picture;
      Voce(m.mnu_Action_Measure_Start)->trigger();
      dopoStart = d->Ctx().s.InMisura;
      Voce(m.mnu_Action_Measure_Stop)->trigger();
      dopoStop = d->Ctx().s.InMisura;
      // Whatever the menu did, the loop is ended so the test can go on.
      d->Ctx().s.InMisura = false;
    });
    attesa.start(50);
    // Stop while idle runs the button's toggle: it starts, and returns once
    // the loop has been stopped.
    Voce(m.mnu_Action_Measure_Stop)->trigger();
    QVERIFY(misurava);
    QCOMPARE(immagine, kImmagineStop);
    QVERIFY(dopoStart);
    QVERIFY(!dopoStop);
    QCOMPARE(m.cmd_start_Picture, kImmagineStart);
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

  void ClosingTheMainWindowEndsTheProgram() {
    Avvia("PLV7100");
    d->Principale().Check1()->click();
    d->Principale().Lingua()->click();
    QVERIFY(d->Lingue().isVisible());
    // A secondary window's close box only hides it.
    d->Lingue().close();
    QVERIFY(!d->Lingue().isVisible());
    QVERIFY(!d->Ctx().s.InUscita);
    QVERIFY(d->Principale().close());
    QVERIFY(d->Ctx().s.InUscita);
    QVERIFY(!d->Programma().isVisible());
    QVERIFY(!d->Trasporto().IsOpen());
    for (const Finestra& f : d->Ctx().w.communication.finestre.f) QVERIFY(!f.Loaded);
  }

  // The main window closed while a write runs (the session's SIGTERM does
  // the same): the write stops after the frame on the wire, leaves program
  // mode, says how far it got, and only then does the program end.
  void ClosingDuringAWriteLetsItStopCleanlyFirst() {
    Avvia("PLV7100", true);
    d->Principale().Check1()->click();
    Context& c = d->Ctx();
    bool chiusaSubito = true;
    QTimer sorveglia;
    sorveglia.setInterval(0);
    connect(&sorveglia, &QTimer::timeout, this, [&] {
      if (c.link.PairsSent() < 3) return;
      sorveglia.stop();
      chiusaSubito = d->Principale().close();
    });
    sorveglia.start();
    d->Esegui(cmd_write_Click);

    QVERIFY(!chiusaSubito);
    const auto& frames = static_cast<SimEventTransport&>(d->Trasporto()).Inner().Written();
    const auto ultimaScrittura = std::find_if(frames.rbegin(), frames.rend(),
                                              [](const std::string& f) { return f.rfind("$W", 0) == 0; });
    QVERIFY(ultimaScrittura != frames.rend());
    QVERIFY(ultimaScrittura != frames.rbegin());
    QVERIFY((ultimaScrittura - 1)->rfind("$FP", 0) == 0);
    const auto scritte = std::count_if(frames.begin(), frames.end(),
                                       [](const std::string& f) { return f.rfind("$W", 0) == 0; });
    QCOMPARE(static_cast<int>(scritte), c.link.PairsSent());
    QVERIFY(c.link.PairsSent() < static_cast<int>(c.s.BufIndirizzi.size()));
    QVERIFY(!static_cast<SimEventTransport&>(d->Trasporto()).Inner().Converter().InProgramMode());
    QCOMPARE(domande->boxes.size(), std::size_t{1});
    const std::string quanto = "Scritti " + std::to_string(c.link.PairsSent()) + " di " +
                               std::to_string(c.s.BufIndirizzi.size()) + " byte.";
    QVERIFY2(domande->boxes[0].text.find(quanto) != std::string::npos, domande->boxes[0].text.c_str());
    QVERIFY(c.s.InUscita);
    QVERIFY(!d->Trasporto().IsOpen());
    QVERIFY(!d->Principale().isVisible());
  }
};

QTEST_MAIN(DesktopTest)
#include "desktop_test.moc"
