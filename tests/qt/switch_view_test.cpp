// The switch window against the built-in simulated converter: opened from
// the main window it reads the device's banks and draws them, the check
// lamp follows the model; in wizard mode the model list and the back button
// show and a choice redraws the banks; "Print / Export" saves a PDF card.
#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QTemporaryDir>
#include <QtTest/QtTest>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QListWidget>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QToolButton>

#include <memory>

#include "app/context.h"
#include "qt/app/desktop.h"
#include "qt/views/communication_view.h"
#include "qt/views/switch_view.h"
#include "support/scripted_dialogs.h"

using namespace korventa;
using namespace korventa::qt;

class SwitchViewTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<Desktop> d;
  test::ScriptedDialogs domande;

  void Avvia(const std::string& modello, int lingua) {
    OpzioniDesktop o;
    o.simula = modello + ",baud=0";
    std::string errore;
    d = std::make_unique<Desktop>(o, errore, &domande);
    QVERIFY2(d->Valido(), errore.c_str());
    d->Avvia();
    d->Ctx().s.Lingua = static_cast<std::uint8_t>(lingua);
    d->Principale().Check1()->click();
    d->Principale().Modo(2)->click();
    QVERIFY(d->VistaSwitch().isVisible());
  }

  static void Foto(QWidget& w, const QString& nome) {
    const QByteArray dir = qgetenv("KORVENTA_SCREENSHOTS");
    if (!dir.isEmpty()) w.grab().save(QDir(QString::fromLocal8Bit(dir)).filePath(nome));
  }

  static std::array<bool, 8> Disegnati(BloccoDip* b) { return b->Banco().on; }

 private slots:
  void cleanup() { d.reset(); }

  void DeviceModeDrawsTheDevicesBanks() {
    for (int lingua : {0, 1}) {
      Avvia("PLV7100,dip=0x27:0x14:0x03", lingua);
      SwitchView& v = d->VistaSwitch();
      const FrmSwitch& f = d->Ctx().w.frm_switch;
      QCOMPARE(f.cmb_SW_in[0].Text, std::string("Tc J"));
      QCOMPARE(Disegnati(v.Blocco(0)), (std::array<bool, 8>{true, true, true, false, false, true, false, false}));
      QVERIFY(v.Blocco(2)->isVisible());
      QCOMPARE(v.Blocco(1)->Banco().numero[0], 8);
      QVERIFY(v.Lampada()->Ok());
      QCOMPARE(v.ListaSpan()->currentRow(), 5);
      // A span out of the type's limits turns the lamp red.
      v.ListaSpan()->setCurrentRow(63);
      emit v.ListaSpan()->itemClicked(v.ListaSpan()->item(63));
      QCOMPARE(f.Dip[1] & 0xFC, 63 * 4);
      Foto(v, QString("switch-7100-%1.png").arg(lingua ? "en" : "it"));

      // The card: through the file dialog, a PDF.
      QTemporaryDir dir;
      const QString percorso = QDir(dir.path()).filePath("scheda.pdf");
      domande.fileNames = {percorso.toStdString()};
      const auto bottoni = v.findChildren<QPushButton*>();
      for (auto* b : bottoni)
        if (b->text() == "Print / Export" || b->text() == "Stampa / Esporta") b->click();
      QFile pdf(percorso);
      QVERIFY(pdf.open(QIODevice::ReadOnly));
      QVERIFY(pdf.read(5) == "%PDF-");
      cleanup();
    }
  }

  void WizardModeListsTheModelsAndGoesBack() {
    Avvia("PLV7300,dip=0:0x45:0x04", 1);
    SwitchView& v = d->VistaSwitch();
    const FrmSwitch& f = d->Ctx().w.frm_switch;
    QVERIFY(!v.Indietro()->isVisible());
    QVERIFY(!v.Blocco(0)->isVisible());  // the frequency converter's banks: SW2 and "SW1"
    Foto(v, "switch-7300-en.png");
    v.Wizard()->click();
    QVERIFY(v.Indietro()->isVisible());
    QVERIFY(v.Modelli()->isVisible());
    QCOMPARE(v.Modelli()->count(), 16);
    v.Modelli()->setCurrentIndex(8);
    emit v.Modelli()->activated(8);  // 7120 D: two channels
    QCOMPARE(f.ModelloDemo, std::string("PLV7120D"));
    auto* ingresso = v.Ingresso(0);
    ingresso->setCurrentIndex(2);
    emit ingresso->activated(2);
    QCOMPARE(Disegnati(v.Blocco(0))[1], true);  // position 2: switch 2 of SW1
    Foto(v, "switch-wizard-7120D-en.png");
    v.Indietro()->click();
    QVERIFY(!v.Indietro()->isVisible());
    QVERIFY(!f.ModoWizard);
    QCOMPARE(f.Dip[1], 0x45);  // the device's banks again
  }
};

QTEST_MAIN(SwitchViewTest)
#include "switch_view_test.moc"
