// The desktop program: owns the program-wide state, the window models, the
// link and the views, runs the start-up and routes every user action to the
// models' handlers, repainting the windows afterwards.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/context.h"
#include "files/backup.h"
#include "instruments/strumenti.h"
#include "link/port_factory.h"
#include "qt/app/pictures.h"
#include "qt/app/qt_dialogs.h"

class QWidget;
class QCloseEvent;
class QTranslator;

namespace korventa::sim {
class VirtualBench;
}

namespace korventa::qt {

class CommunicationView;
class ProgramView;
class LangView;
class SegnaliUscita;
class OperView;
class AboutView;
class SegnapostoView;
class MisuraView;
class EepromView;
class SwitchView;
class TaraView;
class VerificaView;
class StrumentiVerView;
class TestView;

struct OpzioniDesktop {
  // Connect every port opened to the built-in simulated converter of this
  // model (a model code, optionally followed by simulator options:
  // "PLV7110A,baud=0").
  std::string simula;
  // Port preselected in the main window (an entry "COMn" or a device path).
  std::string porta;
  // Tick "Open Com" as soon as the main window shows.
  bool connetti = false;
  bool aiuto = false;
  // --factory (or KORVENTA_FACTORY=1): show the factory menu "Collaudo".
  bool fabbrica = false;
  // --backup-dir DIR: where backups go (default: the user's data folder).
  std::string cartellaBackup;
  // --no-backup: write without a backup first.
  bool senzaBackup = false;
};

// Parses the command line (without the program name). nullopt and a reason
// for an unknown option or a missing value.
std::optional<OpzioniDesktop> LeggiOpzioni(const std::vector<std::string>& args, std::string& errore);
std::string UsoDesktop();

class Desktop {
 public:
  // Builds the transport the options ask for; `errore` says why when that
  // fails (then Valido() is false). `domande`, when given, answers every
  // question instead of the real dialogs (it must outlive the desktop).
  Desktop(const OpzioniDesktop& opzioni, std::string& errore, Dialogs* domande = nullptr);
  ~Desktop();
  Desktop(const Desktop&) = delete;
  Desktop& operator=(const Desktop&) = delete;

  bool Valido() const { return link_ != nullptr; }

  // Start-up: Main, the port option, the first painting; then "Open Com"
  // when asked for, once the event loop runs.
  void Avvia();

  // Runs a handler of a window model and repaints every window. Handlers
  // may nest (a transaction services events while it waits); the program
  // ends only when the outermost one has returned.
  void Esegui(const std::function<void(Context&)>& handler);
  // Repaints every window from its model.
  void Aggiorna();
  // A window's close box. Returns true when the window may really close.
  // The main window's, during a transaction, lets it end first.
  bool Chiudi(Schermo schermo);
  // From now on SIGTERM, SIGINT and SIGHUP close the program as Exit does,
  // without asking about unsaved edits (the program itself installs this;
  // tests do not).
  void ChiudiAiSegnali();

  Context& Ctx() { return *ctx_; }
  const Immagini& Immagini_() const { return *immagini_; }
  Transport& Trasporto() { return *transport_; }
  // Serial ports by name and line settings: the device's port comes from
  // here, and so will the bench instruments'.
  PortFactory& Porte() { return *ports_; }
  // The bench instruments, made on first use with the selectors kept in
  // the settings; SalvaSelettori keeps the selectors as they now stand.
  Strumenti& Banco();
  void SalvaSelettori();

  CommunicationView& Principale() { return *communication_; }
  ProgramView& Programma() { return *program_; }
  LangView& Lingue() { return *lang_; }
  OperView& Operatore() { return *oper_; }
  AboutView& About() { return *about_; }
  QWidget& Misura();
  MisuraView& VistaMisura() { return *misura_; }
  SwitchView& VistaSwitch() { return *switch_; }
  QWidget& Switch();
  // The calibration window (Collaudo > Taratura), made on first use.
  TaraView& Taratura();
  VerificaView& Verifica() { return *verifica_; }
  StrumentiVerView& StrumentiVer() { return *strumentiVer_; }
  TestView& Test() { return *test_; }
  EepromView& Eeprom() { return *eeprom_; }
  const Salvaguardia& Backup() const { return *guard_; }

 private:
  void Spia();
  void FineSeUscita();
  void TraduzioniQt();

  OpzioniDesktop opzioni_;
  ProgramState s_;
  Windows w_;
  std::unique_ptr<PortFactory> ports_;
  std::unique_ptr<sim::VirtualBench> bench_;  // with --simulate
  std::unique_ptr<PortFactory> benchPorts_;
  std::unique_ptr<InstrumentIoFactory> canali_;
  SelettoriStrumenti selettori_;
  std::unique_ptr<Strumenti> strumenti_;
  std::unique_ptr<Transport> transport_;
  std::unique_ptr<QtDialogs> qtDialogs_;
  Dialogs* dialogs_ = nullptr;  // qtDialogs_ or the one given
  std::unique_ptr<SpiaComunicazione> spia_;
  std::unique_ptr<Salvaguardia> guard_;
  std::unique_ptr<Link> link_;
  std::unique_ptr<Context> ctx_;
  std::unique_ptr<Immagini> immagini_;

  std::unique_ptr<CommunicationView> communication_;
  std::unique_ptr<ProgramView> program_;
  std::unique_ptr<LangView> lang_;
  std::unique_ptr<OperView> oper_;
  std::unique_ptr<AboutView> about_;
  std::unique_ptr<MisuraView> misura_;
  std::unique_ptr<SwitchView> switch_;
  std::unique_ptr<TaraView> taratura_;
  std::unique_ptr<VerificaView> verifica_;
  std::unique_ptr<StrumentiVerView> strumentiVer_;
  std::unique_ptr<TestView> test_;
  std::unique_ptr<EepromView> eeprom_;

  std::unique_ptr<SegnaliUscita> segnali_;
  std::unique_ptr<QTranslator> traduttore_;  // Qt's own texts in Italian
  int linguaQt_ = -1;                          // the language they are in
  int profondita_ = 0;       // handlers running, nested
  bool clessidra_ = false;   // the hourglass pointer is on
  bool finito_ = false;      // the event loop has been told to end
};

}  // namespace korventa::qt
