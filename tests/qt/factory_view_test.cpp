// The factory menu and the memory editor window against the built-in
// simulated converter: hidden without --factory, the editor's lists and
// register frame as the model fills them, and File > "Undo last write".
#include <QtCore/QDir>
#include <QtCore/QTemporaryDir>
#include <QtTest/QtTest>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QMenuBar>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QRadioButton>
#include <QtWidgets/QTreeWidget>

#include <memory>

#include "app/context.h"
#include "files/backup.h"
#include "qt/app/desktop.h"
#include "qt/views/communication_view.h"
#include "qt/views/eeprom_view.h"
#include "support/scripted_dialogs.h"

using namespace korventa;
using namespace korventa::qt;

class FactoryViewTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<korventa::test::ScriptedDialogs> domande;
  std::unique_ptr<Desktop> d;
  QTemporaryDir cartella;

  void Avvia(bool fabbrica) {
    OpzioniDesktop o;
    o.simula = "PLV7100,baud=0";
    o.fabbrica = fabbrica;
    o.cartellaBackup = cartella.filePath("backups").toStdString();
    std::string errore;
    domande = std::make_unique<korventa::test::ScriptedDialogs>();
    d = std::make_unique<Desktop>(o, errore, domande.get());
    QVERIFY2(d->Valido(), errore.c_str());
    d->Avvia();
    d->Esegui([](Context& c) {
      c.w.communication.Check1.Value = true;
      Check1_Click(c);
    });
  }

  static void Foto(QWidget& w, const char* nome) {
    const QByteArray dir = qgetenv("KORVENTA_SCREENSHOTS");
    if (!dir.isEmpty()) w.grab().save(QDir(QString::fromLocal8Bit(dir)).filePath(nome));
  }

  QAction* Voce(const MenuItem& m) { return d->Principale().Azione(m); }
  Communication& M() { return d->Ctx().w.communication; }

 private slots:
  void cleanup() {
    d.reset();
    domande.reset();
  }

  void menuHiddenUnlessAskedFor() {
    Avvia(false);
    for (QAction* a : d->Principale().menuBar()->actions()) QVERIFY(a->text() != "Collaudo" || !a->isVisible());
    cleanup();
    Avvia(true);
    bool visibile = false;
    for (QAction* a : d->Principale().menuBar()->actions()) visibile |= a->text() == "Collaudo" && a->isVisible();
    QVERIFY(visibile);
    QVERIFY(Voce(M().mnu_Collaudo_EEprom)->isEnabled());
    QVERIFY(Voce(M().mnu_Collaudo_Taratura)->isEnabled());
    QVERIFY(Voce(M().mnu_test)->isEnabled());
  }

  void editorReadsVerifiesAndWritesRegisters() {
    Avvia(true);
    Voce(M().mnu_Collaudo_EEprom)->trigger();
    EepromView& e = d->Eeprom();
    QVERIFY(e.isVisible());
    e.Pulsante("Command3")->click();
    QCOMPARE(e.List1()->topLevelItemCount(), 256);
    QCOMPARE(e.List1()->topLevelItem(255)->text(0), QString("255"));
    e.Pulsante("Command7")->click();
    QVERIFY(!e.List2()->isVisible());

    e.Option2(1)->click();
    e.Casella("txt_start")->clear();
    QTest::keyClicks(e.Casella("txt_start"), "60");
    e.Casella("txt_valore")->clear();
    QTest::keyClicks(e.Casella("txt_valore"), "1000");
    e.Pulsante("Command4")->click();
    e.Pulsante("Command7")->click();
    QVERIFY(e.List2()->isVisible());
    QCOMPARE(e.List2()->topLevelItemCount(), 2);
    Foto(e, "eeprom.png");

    // The register write was backed up: undo brings the list's bytes back.
    domande->answers = {Answer::Ok};
    Voce(M().mnu_File_Undo)->trigger();
    domande->boxes.clear();
    e.Pulsante("Command7")->click();
    QVERIFY(domande->boxes.empty());
    QVERIFY(!e.List2()->isVisible());
  }
};

QTEST_MAIN(FactoryViewTest)
#include "factory_view_test.moc"
