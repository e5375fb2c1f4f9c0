// Live measurement against the simulated converter on a virtual clock: the
// channel preparations per model family (switches and tables, stored words,
// memory), the summary and trip fields, the loop's hand-shake through
// InMisura, and the ways a run ends.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <memory>

#include "app/context.h"
#include "app/texts.h"
#include "link/protocol.h"
#include "measure/frm_misura.h"
#include "sim/options.h"
#include "sim/sample_tables.h"
#include "support/scripted_dialogs.h"

using namespace korventa;

namespace {

// The simulated converter behind a port that can lose frames on their way
// to the device and that runs "user clicks" while the link waits, as the
// event loop would.
class Porta : public Transport {
 public:
  explicit Porta(std::unique_ptr<sim::SimTransport> inner) : inner_(std::move(inner)) {}
  std::function<bool(const std::string&)> perso;  // frames the device never gets
  std::function<void()> inAttesa;
  std::vector<std::string> scritti;

  sim::SimTransport& Sim() { return *inner_; }
  int Conta(const std::string& prefisso, std::size_t da = 0) const {
    int n = 0;
    for (std::size_t i = da; i < scritti.size(); ++i)
      if (scritti[i].rfind(prefisso, 0) == 0) ++n;
    return n;
  }
  std::size_t Ultimo(const std::string& prefisso) const {
    for (std::size_t i = scritti.size(); i-- > 0;)
      if (scritti[i].rfind(prefisso, 0) == 0) return i;
    return scritti.size();
  }
  // The device stops streaming, as if its line had gone quiet.
  void Ammutolisci() {
    const std::string sm = protocol::FrameStopMeasure();
    inner_->Write({reinterpret_cast<const std::uint8_t*>(sm.data()), sm.size()});
  }

  void SetPort(const std::string& n) override { inner_->SetPort(n); }
  std::string Port() const override { return inner_->Port(); }
  bool Open(std::string& e) override { return inner_->Open(e); }
  void Close() override { inner_->Close(); }
  bool IsOpen() const override { return inner_->IsOpen(); }
  IoStatus Write(std::span<const std::uint8_t> b) override {
    const std::string frame(b.begin(), b.end());
    scritti.push_back(frame);
    if (perso && perso(frame)) return IoStatus::Ok;
    return inner_->Write(b);
  }
  IoStatus ReadAll(std::vector<std::uint8_t>& out) override { return inner_->ReadAll(out); }
  void Discard() override { inner_->Discard(); }
  void Wait(Clock::time_point deadline, bool wake) override {
    if (inAttesa) inAttesa();
    inner_->Wait(deadline, wake);
  }
  Clock::time_point Now() const override { return inner_->Now(); }

 private:
  std::unique_ptr<sim::SimTransport> inner_;
};

struct Misura : ::testing::Test {
  ProgramState s;
  Windows w;
  test::ScriptedDialogs dialogs;
  BusyObserver busy;
  std::unique_ptr<Porta> porta;
  std::unique_ptr<Link> link;
  std::unique_ptr<Context> c;
  FrmMisura& f = w.frm_misura;

  void Simula(std::vector<std::string> args) {
    sim::SimOptions o;
    std::string errore;
    ASSERT_TRUE(sim::ParseSimArgs(args, o, errore)) << errore;
    auto t = sim::MakeSimTransport(o, errore);
    ASSERT_TRUE(t) << errore;
    porta = std::make_unique<Porta>(std::move(t));
    link = std::make_unique<Link>(s, *porta, dialogs, busy);
    c = std::make_unique<Context>(Context{s, w, *link, dialogs});
    ASSERT_TRUE(link->OpenPort("SIM", errore)) << errore;
  }

  // Start, and Stop once `letture` readings have been shown.
  EsitoMisura Avvia(long letture = 1) {
    f.Aggiornato = [this, letture] {
      if (f.Letture >= letture) Cmd_StopRead_Click(*c);
    };
    return Cmd_StartRead_Click(*c);
  }
};

// The table word the program receives at T(k) for input code `code`: the
// span table from 1, the zero table after the stored zero word.
double Tabella(int variant, int code, int k) {
  const auto t = sim::MakeSampleTables(variant, code);
  const int n1 = static_cast<int>(t.span.size());
  if (k >= 1 && k <= n1) return static_cast<double>(t.span[static_cast<std::size_t>(k - 1)]);
  return static_cast<double>(t.zero.at(static_cast<std::size_t>(k - n1 - 2)));
}

struct Atteso {
  int tipoIn;
  double inMin, inMax;
  int tipoOut;
  double outMin, outMax;
};

void Controlla(const DatiCanale& k, const Atteso& a, const std::string& caso) {
  EXPECT_EQ(k.TipoIn, a.tipoIn) << caso;
  EXPECT_NEAR(k.InMin, a.inMin, 1e-9) << caso;
  EXPECT_NEAR(k.InMax, a.inMax, 1e-9) << caso;
  EXPECT_EQ(k.TipoOut, a.tipoOut) << caso;
  EXPECT_EQ(k.OutMin, a.outMin) << caso;
  EXPECT_EQ(k.OutMax, a.outMax) << caso;
}

}  // namespace

TEST_F(Misura, MemorySetDeviceWithTripsAndItsCalibration) {
  Simula({"--model", "PLV7100"});
  EXPECT_EQ(Avvia(), EsitoMisura::Fermata);
  // Tc K 0..1000 °C on 4..20 mA, as the factory image holds it.
  Controlla(s.Canali[0], {8, 0, 1000, 1, 4, 20}, "PLV7100 memory");
  EXPECT_EQ(s.Canali[0].DecIn, 1);
  // The current stage's constants at 106, in this model's order.
  EXPECT_NEAR(s.Canali[0].CalOut0, 20.004, 1e-3);
  EXPECT_NEAR(s.Canali[0].CalOut1, 3.998, 1e-3);
  EXPECT_EQ(f.lbl_progIn[0].Caption, "Tc K  0÷ 1000 °C");
  EXPECT_EQ(f.lbl_progOut[0].Caption, " 4÷ 20 mA");
  EXPECT_EQ(f.lbl_progTrip[0].Text, "H =  800 °C");
  EXPECT_EQ(f.lbl_progTrip[1].Text, "L =  780 °C");
  EXPECT_EQ(f.lbl_progTrip[2].Text, "MAX");
  EXPECT_EQ(f.lbl_progTrip[3].Text, "Delay =  2 sec.");
  EXPECT_EQ(f.lbl_progTrip[7].Text, "Delay =  0 s.");
  // The PLV7100 sends its input itself, with the type's unit.
  EXPECT_TRUE(f.txt_misura_in[0].Caption.ends_with(" °C")) << f.txt_misura_in[0].Caption;
  EXPECT_EQ(w.communication.cmd_start_Picture, kImmagineStart);
  EXPECT_EQ(w.communication.SpiaColor, kColoreVerde);
  EXPECT_FALSE(s.InMisura);
  EXPECT_TRUE(dialogs.boxes.empty());

  // The frequency converter: Hz from memory, its two trips and the NAMUR
  // alarm.
  Simula({"--model", "PLV7300"});
  EXPECT_EQ(Avvia(), EsitoMisura::Fermata);
  Controlla(s.Canali[0], {33, 0, 1000, 1, 4, 20}, "PLV7300 memory");
  EXPECT_EQ(f.lbl_progTrip[0].Text, "H =  800 Hz");
  EXPECT_EQ(f.lbl_progTrip[4].Text, "H =  220 Hz");
  EXPECT_EQ(f.lbl_progTrip[6].Text, "MIN");
  EXPECT_EQ(f.lbl_progTrip[8].Text, "Namur Fault");
}

TEST_F(Misura, SwitchSetChannelsPerModelFamily) {
  // PLV7100: input, span and zero on three banks; output A on the first,
  // output B on the second.
  Simula({"--model", "PLV7100", "--dip", "0x48,0x14,0x03"});
  Avvia();
  Controlla(s.Canali[0], {8, Tabella(0, 8, 67) / 10, Tabella(0, 8, 5) / 10, 1, 4, 20}, "PLV7100 A");
  Controlla(s.Canali[1], {8, Tabella(0, 8, 67) / 10, Tabella(0, 8, 5) / 10, 0, 0, 20}, "PLV7100 B");

  // PLV7110A: Tc J with the zero in the high nibble of the first bank, span
  // and output on the second.
  Simula({"--model", "PLV7110A", "--dip", "0x27,0x85"});
  Avvia();
  Controlla(s.Canali[0], {7, Tabella(2, 7, 66) / 10, Tabella(2, 7, 5) / 10, 2, 0, 10}, "PLV7110A");

  // PLV7110B: the codes of this line start at 15 (3 is Pt 100).
  Simula({"--model", "PLV7110B", "--dip", "0x13,0x41"});
  Avvia();
  Controlla(s.Canali[0], {18, Tabella(3, 18, 65) / 10, Tabella(3, 18, 1) / 10, 1, 4, 20}, "PLV7110B");

  // PLV7120D: each channel its own bank: 10 V / 20 mA by bit 3, a (zero,
  // span) pair by the low nibble, the output from the top bits, reversed by
  // bit 4. Channel B's input label hides.
  Simula({"--model", "PLV7120D", "--dip", "0x2B,0x12"});
  Avvia();
  // (Bit 3 is part of the nibble: the 10 V pairs are in the second table.)
  Controlla(s.Canali[0], {4, Tabella(4, 4, 24) / 1000, Tabella(4, 4, 25) / 1000, 1, 4, 20}, "PLV7120D A");
  Controlla(s.Canali[1], {5, Tabella(4, 5, 3) / 1000, Tabella(4, 5, 4) / 1000, 0, 20, 0}, "PLV7120D B");
  EXPECT_FALSE(f.lbl_progIn[1].Visible);
  EXPECT_EQ(f.lbl_progIn[0].Caption, "  1÷ 5 V");  // position 11: 1-5 V

  // PLV7300: any span switch makes it a switch-set frequency range, with the
  // divider's decimals and the single zero entry.
  Simula({"--model", "PLV7300", "--dip", "0,0x45,0x04"});
  Avvia();
  Controlla(s.Canali[0], {33, Tabella(7, 1, 65) / 10, Tabella(7, 1, 5) / 10, 1, 4, 20}, "PLV7300");
  EXPECT_EQ(s.Canali[0].DecIn, 1);

  // PLV7150 with "200 mV": its millivolt tables carry one decimal.
  Simula({"--model", "PLV7150", "--dip", "0x32,0x14"});
  Avvia();
  EXPECT_EQ(s.Canali[0].TipoIn, 2);
  EXPECT_NEAR(s.Canali[0].InMax, Tabella(8, 2, 5) / 10, 1e-9);
  EXPECT_NEAR(s.Canali[0].InMin, Tabella(8, 2, 67) / 10, 1e-9);
  EXPECT_TRUE(dialogs.boxes.empty());
}

TEST_F(Misura, SwitchesAtZeroTakeTheStoredWords) {
  // PLV7100, Tc K, span and zero switches at 0: the stored words at 4 x 8 + 128.
  Simula({"--model", "PLV7100", "--dip", "0x08,0,0"});
  sim::PutWord(porta->Sim().Converter().Bank(0), 160, 12345);
  sim::PutWord(porta->Sim().Converter().Bank(0), 162, -505);
  Avvia();
  Controlla(s.Canali[0], {8, -50.5, 1234.5, 0, 0, 20}, "stored");
  // The same banks read again later, when the read of the banks fails: the
  // codes come from the banks as last read, not from what the last run made
  // of them.
  porta->perso = [](const std::string& fr) { return fr.rfind("$D", 0) == 0; };
  Avvia();
  EXPECT_EQ(dialogs.boxes.size(), 1u);  // the switch read gave up
  Controlla(s.Canali[0], {8, -50.5, 1234.5, 0, 0, 20}, "stored, switches not read");
}

TEST_F(Misura, ShowsTheSimulatedInputBack) {
  Simula({"--model", "PLV7110A", "--signal-a", "steady:123.4"});
  Avvia(3);
  EXPECT_EQ(f.Letture, 3);
  EXPECT_EQ(f.txt_misura_in[0].Caption, "123.4 ");
  EXPECT_NEAR(f.progress[0].Quota, 123.4 / 400, 1e-4);
  EXPECT_EQ(f.lbl_progIn[0].Caption, "Tc J  0÷ 400 °C");
  // Fahrenheit on screen only; the bar stays in °C.
  s.GradiF[0] = true;
  Avvia();
  EXPECT_EQ(f.txt_misura_in[0].Caption, "254.1 °F");
  EXPECT_EQ(f.lbl_progIn[0].Caption, "Tc J 32.0÷752.0 °F");
  EXPECT_NEAR(f.progress[0].Quota, 123.4 / 400, 1e-4);
}

TEST_F(Misura, StopDuringAWaitEndsAfterItWithOneStopFrame) {
  // Stop while ReadMeasure waits: that reading still shows, then "SM" once.
  Simula({"--model", "PLV7110A"});
  f.Aggiornato = nullptr;
  porta->inAttesa = [this] {
    if (f.Letture == 1 && s.InMisura) Cmd_StopRead_Click(*c);
  };
  EXPECT_EQ(Cmd_StartRead_Click(*c), EsitoMisura::Fermata);
  EXPECT_EQ(f.Letture, 2);
  EXPECT_EQ(porta->Conta("SM", porta->Ultimo("MI")), 1);
  EXPECT_TRUE(dialogs.boxes.empty());

  // Stop while the device has gone quiet: the wait runs out without a
  // question, then "SM" once.
  porta->inAttesa = [this] {
    if (f.Letture == 1 && s.InMisura) {
      porta->Ammutolisci();
      Cmd_StopRead_Click(*c);
    }
  };
  EXPECT_EQ(Cmd_StartRead_Click(*c), EsitoMisura::Fermata);
  EXPECT_EQ(f.Letture, 1);
  EXPECT_EQ(porta->Conta("SM", porta->Ultimo("MI")), 1);
  EXPECT_TRUE(dialogs.boxes.empty());

  // Quiet without a Stop: the link asks, Cancel ends measuring without "SM".
  porta->inAttesa = [this] {
    if (f.Letture == 1 && s.InMisura && porta->Sim().Converter().Streaming()) porta->Ammutolisci();
  };
  EXPECT_EQ(Cmd_StartRead_Click(*c), EsitoMisura::Annullata);
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].buttons, Buttons::RetryCancel);
  EXPECT_EQ(porta->Conta("SM", porta->Ultimo("MI")), 0);
  EXPECT_FALSE(s.InMisura);
  EXPECT_EQ(w.communication.cmd_start_Picture, kImmagineStart);
}

TEST_F(Misura, NoNestedRunAndTheMainWindowToggle) {
  Simula({"--model", "PLV7110A"});
  EsitoMisura annidata = EsitoMisura::Nessuno;
  f.Aggiornato = [&] {
    if (f.Letture == 1 && s.InMisura) {
      annidata = Cmd_StartRead_Click(*c);
      EXPECT_EQ(w.communication.cmd_start_Picture, kImmagineStop);
      // The main window's button while measuring: Stop.
      cmd_start_Click(*c);
      EXPECT_EQ(w.communication.cmd_start_Picture, kImmagineStart);
      // Start again before the stopped loop has ended: nothing new starts.
      cmd_start_Click(*c);
    }
  };
  cmd_start_Click(*c);
  EXPECT_EQ(annidata, EsitoMisura::GiaInCorso);
  EXPECT_EQ(porta->Conta("$V"), 1);
  EXPECT_EQ(porta->Conta("MI"), 1);
  EXPECT_EQ(f.Esito, EsitoMisura::Fermata);
  EXPECT_EQ(w.communication.cmd_start_Picture, kImmagineStart);
}

TEST_F(Misura, CalibrationReadFailureEndsWithTheMessageAndStop) {
  Simula({"--model", "PLV7110A"});
  // The device never answers reads from the calibration area.
  porta->perso = [](const std::string& fr) { return fr.rfind("$R", 0) == 0 && static_cast<std::uint8_t>(fr[3]) >= 100; };
  EXPECT_EQ(Avvia(), EsitoMisura::Calibrazione);
  ASSERT_FALSE(dialogs.boxes.empty());
  const auto& box = dialogs.boxes.back();
  EXPECT_EQ(box.text, "Errore di comunicazione");
  EXPECT_EQ(box.icon, Icon::Error);
  EXPECT_EQ(box.caption, TitoloApplicazione(s));
  EXPECT_EQ(porta->Conta("MI"), 0);
  EXPECT_EQ(porta->scritti.back().rfind("SM", 0), 0u);
  EXPECT_FALSE(s.InMisura);
  EXPECT_EQ(f.Letture, 0);

  // Identification cancelled: nothing else is asked of the device.
  porta->perso = [](const std::string& fr) { return fr.rfind("$V", 0) == 0; };
  const std::size_t prima = porta->scritti.size();
  EXPECT_EQ(Avvia(), EsitoMisura::Identificazione);
  EXPECT_EQ(porta->Conta("$D", prima), 0);
  EXPECT_EQ(porta->Conta("MI", prima), 0);
}

TEST_F(Misura, RecordingWritesEveryReadingUntilStopped) {
  Simula({"--model", "PLV7110A", "--signal-a", "steady:123.4"});
  f.frm_canale[1].Visible = false;  // as the model set-up leaves it for this model
  const std::string percorso = ::testing::TempDir() + "korventa_misura.csv";
  dialogs.fileNames = {percorso};
  cmd_Registra_Click(*c);
  ASSERT_TRUE(f.Registro && f.Registro->Aperto());
  EXPECT_EQ(f.cmd_Registra.Caption, "Ferma registrazione");
  EXPECT_TRUE(dialogs.fileRequests.at(0).overwritePrompt);
  Avvia(2);
  cmd_Registra_Click(*c);
  EXPECT_FALSE(f.Registro);
  EXPECT_EQ(f.cmd_Registra.Caption, "Registra");
  std::ifstream in(percorso);
  std::vector<std::string> righe;
  for (std::string r; std::getline(in, r);) righe.push_back(r);
  ASSERT_EQ(righe.size(), 3u);
  EXPECT_EQ(righe[0], IntestazioneCsv());
  EXPECT_NE(righe[1].find(",A,8.936,mA,123.4,°C,"), std::string::npos) << righe[1];

  // A file that cannot be written is said so, and nothing records.
  dialogs.fileNames = {::testing::TempDir() + "no/such/dir/x.csv"};
  cmd_Registra_Click(*c);
  EXPECT_FALSE(f.Registro);
  ASSERT_FALSE(dialogs.boxes.empty());
  EXPECT_EQ(dialogs.boxes.back().icon, Icon::Error);
}

TEST(MisuraTesti, CaptionsInTheLanguageAndFramesOfTheModel) {
  ProgramState s;
  s.Lingua = 1;
  s.OffLingua = 300;
  FrmProgram p;
  FrmMisura f;
  s.CodVariante = 7;
  p.frm_output[1].Visible = false;
  ImpostaTestiMisura(s, p, f);
  EXPECT_EQ(f.Caption, "Measure");
  EXPECT_EQ(f.lbl_uscita[1].Caption, "Output B");
  EXPECT_EQ(f.lbl_ingresso[0].Caption, "Input");
  EXPECT_EQ(f.lbl_soglie.Caption, "Trips");
  EXPECT_FALSE(f.frm_canale[1].Visible);
  EXPECT_TRUE(f.frm_soglia[1].Visible && f.frm_soglia[2].Visible);
  // A two-output model without trips: channel B, no trip frames.
  s.Lingua = 0;
  s.OffLingua = 0;
  s.CodVariante = 2;
  p.frm_output[1].Visible = true;
  ImpostaTestiMisura(s, p, f);
  EXPECT_EQ(f.lbl_ingresso[1].Caption, "Ingresso B");
  EXPECT_TRUE(f.frm_canale[1].Visible);
  EXPECT_FALSE(f.lbl_soglie.Visible);
  EXPECT_EQ(CanaliMostrati(f), (std::array<bool, 2>{true, true}));
}
