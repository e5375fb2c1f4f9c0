// What the desktop windows say about the device must be true: the text a
// model puts in a list, the frames a model uses (and only those, whatever
// the language), the state before any device answered, a device lost while
// measuring, commands held off while the line is busy, and unsaved edits.
#include <QtCore/QTimer>
#include <QtTest/QtTest>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QGroupBox>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QToolButton>

#include <functional>
#include <map>
#include <memory>

#include "app/texts.h"
#include "qt/app/desktop.h"
#include "qt/app/sim_event_transport.h"
#include "qt/views/communication_view.h"
#include "qt/views/measure_view.h"
#include "qt/views/program_view.h"
#include "support/scripted_dialogs.h"

using namespace korventa;
using namespace korventa::qt;

class ScreenStateTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<korventa::test::ScriptedDialogs> domande;
  std::unique_ptr<Desktop> d;

  // `opzioni` follow the model code (",silent-after=0"); without a baud
  // rate the converter answers at once.
  void Avvia(const std::string& modello, const std::string& opzioni = ",baud=0") {
    OpzioniDesktop o;
    o.simula = modello + opzioni;
    std::string errore;
    domande = std::make_unique<korventa::test::ScriptedDialogs>();
    d = std::make_unique<Desktop>(o, errore, domande.get());
    QVERIFY2(d->Valido(), errore.c_str());
    d->Avvia();
  }
  void Apri() { d->Principale().Check1()->click(); }
  std::string T(int id) { return Testo(d->Ctx().s, id); }

  // What a list shows: its entry, or the text the model set.
  static QString Mostrato(const QComboBox* c) { return c->currentIndex() >= 0 ? c->currentText() : c->placeholderText(); }

  // Which controls of the programming window a person can see.
  std::map<QString, bool> Visibili() {
    std::map<QString, bool> v;
    ProgramView& p = d->Programma();
    int n = 0;
    for (QWidget* w : p.findChildren<QWidget*>()) {
      // The controls, not the scroll bars a wider text may bring.
      if (!qobject_cast<QGroupBox*>(w) && !qobject_cast<QLabel*>(w) && !qobject_cast<QAbstractButton*>(w) &&
          !qobject_cast<QLineEdit*>(w) && !qobject_cast<QComboBox*>(w))
        continue;
      v[QString("%1#%2").arg(w->metaObject()->className()).arg(n++)] = w->isVisibleTo(&p);
    }
    return v;
  }

  void Lingua(int i) {
    d->Esegui([i](Context& c) { opt_Lang_Click(c, i); });
  }

  // Runs `azione` every few milliseconds while `avvia` runs.
  void Durante(const std::function<void()>& avvia, const std::function<void()>& azione) {
    QTimer t;
    t.setInterval(2);
    connect(&t, &QTimer::timeout, this, azione);
    t.start();
    avvia();
    t.stop();
  }

 private slots:
  void cleanup() {
    d.reset();
    domande.reset();
  }

  void AListShowsTheTextItsModelSet() {
    // The frequency converter's input is "Freq", which its list does not offer.
    Avvia("PLV7300");
    Apri();
    QCOMPARE(d->Ctx().w.frm_program.cmb_Prog_In[0].Text, std::string("Freq"));
    QCOMPARE(Mostrato(d->Programma().cmb_Prog_In(0)), QString("Freq"));
  }

  void ALanguageRoundTripKeepsWhatEveryModelShows() {
    for (const char* modello : {"PLV7100", "PLV7110A", "PLV7120B", "PLV7210C", "PLV7220D", "PLV7300", "PLV7150",
                                "PLV3100"}) {
      Avvia(modello);
      Apri();
      if (std::string(modello) == "PLV7100") {
        // A thermocouple hides the high-speed box and channel B's output.
        d->Esegui([](Context& c) {
          c.w.frm_program.cmb_Prog_In[0].SetText("Tc J");
          cmb_Prog_In_Change(c.s, c.w.frm_program, 0);
        });
        QVERIFY(!d->Ctx().w.frm_program.chk_HS.Visible);
      }
      const auto prima = Visibili();
      Lingua(1);
      QVERIFY2(Visibili() == prima, modello);
      Lingua(0);
      QVERIFY2(Visibili() == prima, modello);
      QVERIFY(!d->Ctx().w.frm_program.chk_HS.Value || std::string(modello) != "PLV7100");
      cleanup();
    }
  }

  void OpenComShowsTheProgrammingWindowEveryTime() {
    Avvia("PLV7100");
    CommunicationView& v = d->Principale();
    v.Modo(0)->click();
    QVERIFY(d->Programma().isVisible());
    Apri();
    QVERIFY(d->Programma().isVisible());
    v.Check1()->click();  // close
    Apri();
    QVERIFY(d->Programma().isVisible());
  }

  void OnlyTheModelsWithTripsShowTheTripFrames() {
    for (const auto& [modello, soglie] : std::map<std::string, bool>{{"PLV7220D", false}, {"PLV7110A", false},
                                                                       {"PLV7100", true}, {"PLV7300", true}}) {
      Avvia(modello);
      Apri();
      QCOMPARE(d->Programma().frm_soglia(0)->isVisible(), soglie);
      cleanup();
    }
  }

  void NoDeviceIdentifiedLeavesTheFormEmptyAndDisabled() {
    Avvia("PLV7100", ",baud=0,silent-after=0");
    CommunicationView& v = d->Principale();
    const QString nessuno = QString::fromStdString(T(kTxtNessunDispositivo));
    QCOMPARE(v.Dispositivo(0)->text(), nessuno);
    QCOMPARE(v.Dispositivo(1)->text(), QString());
    v.Modo(0)->click();
    ProgramView& p = d->Programma();
    QVERIFY(p.isVisible());
    QVERIFY(!p.frm_input(0)->isVisible());
    QVERIFY(!p.frm_output(0)->isVisible());
    QVERIFY(!p.frm_opt()->isVisible());
    QVERIFY(!p.cmb_Prog_In(0)->isEnabled());
    // Qt's own buttons speak the program's language.
    QVERIFY(QCoreApplication::translate("QPlatformTheme", "Cancel") != "Cancel");
    Lingua(1);
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QString("Cancel"));
    Lingua(0);
    // The silent device: every retry question is answered Cancel.
    Apri();
    QCOMPARE(v.Dispositivo(0)->text(), nessuno);
    QVERIFY(!p.frm_input(0)->isVisible());
  }

  void ADeviceLostWhileMeasuringIsSaidAndItsValuesGreyed() {
    Avvia("PLV7100");
    Apri();
    d->Principale().Modo(1)->click();
    auto& convertitore = static_cast<SimEventTransport&>(d->Trasporto()).Inner().Converter();
    const FrmMisura& f = d->Ctx().w.frm_misura;
    Durante([&] { d->Principale().Start()->click(); },
            [&] {
              if (f.Letture >= 2) convertitore.Vanish();
            });
    QCOMPARE(f.Esito, EsitoMisura::DispositivoPerso);
    QVERIFY(!domande->boxes.empty());
    QCOMPARE(domande->boxes.back().text, T(kTxtDispositivoPerso));
    CommunicationView& v = d->Principale();
    QVERIFY(!v.Check1()->isChecked());
    QCOMPARE(v.Check1()->text(), QString::fromStdString(T(38)));
    // The last values stay, greyed.
    QVERIFY(!f.txt_misura_in[0].Caption.empty());
    QVERIFY(!f.txt_misura_in[0].Enabled);
    QVERIFY(!f.txt_misura_out[0].Enabled);
  }

  void CommandsAreDisabledWhileTheLineIsBusy() {
    // A paced converter: the transactions take long enough to look at.
    Avvia("PLV7110A", ",baud=115200");
    CommunicationView& v = d->Principale();
    int rosso = 0, abilitati = 0;
    auto guarda = [&] {
      if (!d->Ctx().w.communication.Occupato) return;
      ++rosso;
      if (v.Leggi()->isEnabled() || v.Scrivi()->isEnabled() || v.Start()->isEnabled()) ++abilitati;
    };
    Durante([&] { Apri(); }, guarda);
    QVERIFY(rosso > 0);
    QCOMPARE(abilitati, 0);
    QVERIFY(v.Leggi()->isEnabled() && v.Scrivi()->isEnabled() && v.Start()->isEnabled());

    // Start waits while the measurement is being prepared, and is the way
    // to stop once it runs.
    int preparazione = 0, startAbilitato = 0, inMisura = 0;
    const FrmMisura& f = d->Ctx().w.frm_misura;
    Durante([&] { v.Start()->click(); },
            [&] {
              if (f.Preparazione) {
                ++preparazione;
                if (v.Start()->isEnabled()) ++startAbilitato;
              } else if (f.Letture > 0 && v.Start()->isEnabled()) {
                ++inMisura;
                v.Start()->click();
              }
            });
    QVERIFY(preparazione > 0);
    QCOMPARE(startAbilitato, 0);
    QVERIFY(inMisura > 0);
  }

  void UnsavedEditsAreMarkedAndAskedAbout() {
    Avvia("PLV7100");
    Apri();
    CommunicationView& v = d->Principale();
    QVERIFY(!v.windowTitle().endsWith(" *"));
    QLineEdit* e = d->Programma().txt_Input_max(0);
    e->setFocus();
    QTest::keyClicks(e, "1");
    QVERIFY(v.windowTitle().endsWith(" *"));

    const std::string domanda = T(kTxtModificheNonSalvate);
    // Open, declined: no file dialog.
    domande->answers = {Answer::Cancel};
    d->Esegui(mnu_File_Open_Click);
    QCOMPARE(domande->boxes.back().text, domanda);
    QVERIFY(domande->fileRequests.empty());
    // Exit, declined: the program goes on.
    domande->answers = {Answer::Cancel};
    QVERIFY(!d->Chiudi(Schermo::communication));
    QCOMPARE(domande->boxes.back().text, domanda);
    QVERIFY(!d->Ctx().s.InUscita);
    // A read replaces the edits: nothing left to ask about.
    d->Esegui(cmd_read_Click);
    QVERIFY(!v.windowTitle().endsWith(" *"));
    const auto chieste = domande->boxes.size();
    QVERIFY(d->Chiudi(Schermo::communication));
    QCOMPARE(domande->boxes.size(), chieste);
  }
};

QTEST_MAIN(ScreenStateTest)
#include "screen_state_test.moc"
