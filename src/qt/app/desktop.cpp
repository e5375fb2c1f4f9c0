#include "qt/app/desktop.h"

#include <cstdlib>

#include <QtCore/QCoreApplication>
#include <QtCore/QLibraryInfo>
#include <QtCore/QLocale>
#include <QtCore/QTranslator>
#include <QtCore/QTimer>
#include <QtWidgets/QApplication>
#include <QtWidgets/QStyle>

#include "app/command_line.h"
#include "app/startup.h"
#include "config/write_diff.h"
#include "factory/frm_eeprom.h"
#include "qt/app/qt_impostazioni.h"
#include "qt/app/segnali.h"
#include "qt/app/sim_event_transport.h"
#include "qt/link/instrument_channels.h"
#include "qt/link/serial_transport.h"
#include "qt/views/check_views.h"
#include "qt/views/communication_view.h"
#include "qt/views/eeprom_view.h"
#include "qt/views/measure_view.h"
#include "qt/views/program_view.h"
#include "qt/views/small_views.h"
#include "qt/views/switch_view.h"
#include "qt/views/tara_view.h"
#include "sim/bench/bench.h"
#include "sim/options.h"

namespace korventa::qt {

namespace {
}  // namespace

namespace {

void DescriviOpzioni(CLI::App& app, OpzioniDesktop& o) {
  StyleCommandLine(app, "Options may also be written --name=value.\nExit codes: 0 ended through Exit, 1 usage.");
  auto nonVuoto = [](const std::string& cosa) {
    return CLI::Validator(
        [cosa](std::string& v) { return v.empty() ? "needs " + cosa : std::string(); }, "", "non-empty");
  };
  app.add_option("--simulate", o.simula,
                 "every port opened reaches the built-in simulated converter of that model; simulator "
                 "options may follow after commas: PLV7110A,baud=0")
      ->type_name("MODEL")
      ->check(nonVuoto("a model code"));
  app.add_option("--port", o.porta, "the port selected at start: COM1 to COM16 or a device path")
      ->type_name("PORT")
      ->check(nonVuoto("a port name"));
  app.add_flag("--connect", o.connetti, "tick \"Open Com\" as soon as the main window shows");
  app.add_flag("--factory", o.fabbrica, "show the factory menu \"Collaudo\" (also KORVENTA_FACTORY=1)");
  app.add_option("--backup-dir", o.cartellaBackup,
                 "folder of the backups taken before every memory write (default "
                 "$XDG_DATA_HOME/korventa/backups or ~/.local/share/korventa/backups)")
      ->type_name("DIR")
      ->check(nonVuoto("a folder"));
  app.add_flag("--no-backup", o.senzaBackup, "write without taking a backup first");
}

}  // namespace

std::optional<OpzioniDesktop> LeggiOpzioni(const std::vector<std::string>& args, std::string& errore) {
  OpzioniDesktop o;
  CLI::App app("The KORVENTA desktop program.", "korventa");
  DescriviOpzioni(app, o);
  switch (ParseCommandLine(app, args, errore)) {
    case CommandLine::Error:
      return std::nullopt;
    case CommandLine::Help:
      o.aiuto = true;
      break;
    case CommandLine::Run:
      break;
  }
  return o;
}

std::string UsoDesktop() {
  OpzioniDesktop o;
  CLI::App app("The KORVENTA desktop program.", "korventa");
  DescriviOpzioni(app, o);
  return HelpText(app);
}

Strumenti& Desktop::Banco() {
  if (!strumenti_) {
    CaricaSelettori(selettori_, QtImpostazioni());
    PortFactory* porte = ports_.get();
    if (bench_) {
      // Simulating: the instruments are the virtual bench's, on the ports
      // their selectors name now.
      benchPorts_ = bench_->Ports(sim::BenchPortNames(selettori_));
      porte = benchPorts_.get();
      canali_ = bench_->Channels({{selettori_.risorsaUsb, sim::BenchRole::Generator}});
    } else {
      canali_ = std::make_unique<InstrumentChannelFactory>(WaitMode::EventLoop);
    }
    strumenti_ = std::make_unique<Strumenti>(s_, selettori_, *porte, *canali_, *dialogs_);
  }
  return *strumenti_;
}

void Desktop::SalvaSelettori() {
  QtImpostazioni impostazioni;
  korventa::SalvaSelettori(selettori_, impostazioni);
}

Desktop::Desktop(const OpzioniDesktop& opzioni, std::string& errore, Dialogs* domande)
    : opzioni_(opzioni), ports_(std::make_unique<SerialPortFactory>(WaitMode::EventLoop)) {
  if (!opzioni_.simula.empty()) {
    sim::SimOptions o;
    // A person trying the program sees the converter's real pace.
    o.baud = 9600;
    if (!sim::ParseSimOptionString(opzioni_.simula, o, errore)) return;
    o.clock = sim::ClockMode::RealTime;
    // The virtual bench stands behind the simulated converter; it drives
    // the converter's inputs once the factory functions use an instrument.
    auto t = sim::MakeSimTransportWithBench(o, bench_, errore);
    if (!t) return;
    transport_ = std::make_unique<SimEventTransport>(std::move(t));
  } else {
    transport_ = ports_->MakePort("", kDeviceLine);
  }
  immagini_ = std::make_unique<Immagini>();
  if (domande != nullptr) {
    dialogs_ = domande;
  } else {
    qtDialogs_ = std::make_unique<QtDialogs>(s_, [this]() -> QWidget* { return communication_.get(); });
    dialogs_ = qtDialogs_.get();
  }
  spia_ = std::make_unique<SpiaComunicazione>(s_, w_.communication);
  spia_->changed = [this] { Spia(); };
  link_ = std::make_unique<Link>(s_, *transport_, *dialogs_, *spia_);
  guard_ = std::make_unique<Salvaguardia>(OpzioniBackup{
      opzioni_.cartellaBackup.empty() ? CartellaBackupPredefinita(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"))
                                      : opzioni_.cartellaBackup,
      !opzioni_.senzaBackup});
  // A configuration write that would change more than the user's edits
  // shows what it changes and asks first.
  guard_->riepilogo = [](Context& c, const std::array<int, 256>& vecchi) {
    return ConfermaRiepilogo(c, ConfrontaScrittura(c, vecchi));
  };
  ctx_ = std::make_unique<Context>(Context{s_, w_, *link_, *dialogs_, guard_.get()});

  communication_ = std::make_unique<CommunicationView>(*this);
  program_ = std::make_unique<ProgramView>(*this);
  lang_ = std::make_unique<LangView>(*this);
  oper_ = std::make_unique<OperView>(*this);
  about_ = std::make_unique<AboutView>(*this);
  misura_ = std::make_unique<MisuraView>(*this);
  // The measuring loop runs inside a handler: after every reading the
  // measurement window and the main window's lamp and start button are
  // painted at once.
  w_.frm_misura.Aggiornato = [this] {
    misura_->NuovaLettura();
    communication_->Rendi();
  };
  switch_ = std::make_unique<SwitchView>(*this);
  verifica_ = std::make_unique<VerificaView>(*this);
  strumentiVer_ = std::make_unique<StrumentiVerView>(*this);
  test_ = std::make_unique<TestView>(*this);
  // The bench tests run inside a handler: their list, plot and the main
  // window's lamp are painted after every reading.
  w_.frm_test.Aggiornato = [this] {
    test_->Rendi();
    communication_->RendiSpia();
  };
  eeprom_ = std::make_unique<EepromView>(*this);
}

Desktop::~Desktop() {
  if (traduttore_) QCoreApplication::removeTranslator(traduttore_.get());
  if (clessidra_) QApplication::restoreOverrideCursor();
  if (link_) link_->ClosePort();
}

QWidget& Desktop::Misura() { return *misura_; }
QWidget& Desktop::Switch() { return *switch_; }

void Desktop::Avvia() {
  // The placement puts the programming window under the main window: give
  // the start-up the main window's real height, title bar included.
  communication_->Rendi();
  communication_->adjustSize();
  const int altezza =
      communication_->sizeHint().height() + communication_->style()->pixelMetric(QStyle::PM_TitleBarHeight);
  w_.communication.finestre[Schermo::communication].Height = altezza * kTwipsPerPixel;

  Main(*ctx_);
  if (const char* f = std::getenv("KORVENTA_FACTORY"); opzioni_.fabbrica || (f != nullptr && std::string(f) == "1"))
    MostraMenuCollaudo(*ctx_);
  if (!opzioni_.porta.empty()) w_.communication.cmb_Porta.SetText(opzioni_.porta);
  Aggiorna();

  if (opzioni_.connetti) {
    QTimer::singleShot(0, communication_.get(), [this] {
      Esegui([](Context& c) {
        c.w.communication.Check1.Value = true;
        Check1_Click(c);
      });
    });
  }
}

void Desktop::Esegui(const std::function<void(Context&)>& handler) {
  if (!handler || !ctx_) return;
  // Once the program is ending only the handlers still running finish.
  if (s_.InUscita) return;
  ++profondita_;
  handler(*ctx_);
  --profondita_;
  // A close asked for while the transaction of this handler ran (the write
  // has stopped after its frame and said how far it got) happens now.
  if (profondita_ == 0) ChiusuraInSospeso(*ctx_);
  Aggiorna();
  FineSeUscita();
}

void Desktop::TraduzioniQt() {
  // Qt's own texts (dialog buttons and titles: "Cancel", "Save As") in the
  // user's language: Italian from Qt's translations, English built in.
  if (linguaQt_ == s_.Lingua) return;
  linguaQt_ = s_.Lingua;
  if (traduttore_) {
    QCoreApplication::removeTranslator(traduttore_.get());
    traduttore_.reset();
  }
  if (s_.Lingua != 0) return;
  auto t = std::make_unique<QTranslator>();
  if (t->load(QLocale(QLocale::Italian), "qt", "_", QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QCoreApplication::installTranslator(t.get());
    traduttore_ = std::move(t);
  }
}

void Desktop::Aggiorna() {
  TraduzioniQt();
  communication_->Rendi();
  program_->Rendi();
  lang_->Rendi();
  oper_->Rendi();
  about_->Rendi();
  misura_->Rendi();
  switch_->Rendi();
  if (taratura_) taratura_->Rendi();
  verifica_->Rendi();
  strumentiVer_->Rendi();
  test_->Rendi();
  eeprom_->Rendi();
  Spia();
}

TaraView& Desktop::Taratura() {
  if (!taratura_) taratura_ = std::make_unique<TaraView>(*this);
  return *taratura_;
}

void Desktop::Spia() {
  communication_->RendiSpia();
  const bool occupato = w_.communication.Occupato;
  if (occupato != clessidra_) {
    if (occupato)
      QApplication::setOverrideCursor(Qt::WaitCursor);
    else
      QApplication::restoreOverrideCursor();
    clessidra_ = occupato;
  }
}

void Desktop::FineSeUscita() {
  // A handler still running when the program closed (a measurement whose
  // port was closed ends at once) unwinds first; the event loop ends after it.
  if (!s_.InUscita || profondita_ > 0 || finito_) return;
  finito_ = true;
  QCoreApplication::quit();
}

void Desktop::ChiudiAiSegnali() {
  segnali_ = std::make_unique<SegnaliUscita>([this] { Esegui([](Context& c) { RichiediChiusura(c, false); }); });
}

bool Desktop::Chiudi(Schermo schermo) {
  if (s_.InUscita) return true;
  bool chiude = false;
  Esegui([&chiude, schermo](Context& c) { chiude = Form_QueryUnload(c, schermo); });
  return chiude;
}

}  // namespace korventa::qt
