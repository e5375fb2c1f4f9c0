#include "factory/frm_test.h"

#include <cmath>
#include <cstdlib>
#include <memory>

#include "app/context.h"
#include "app/format.h"
#include "app/numbers.h"
#include "app/texts.h"
#include "instruments/strumenti.h"
#include "link/codecs.h"

namespace korventa {
namespace {

// Between two forcing rounds.
constexpr double kPausaForzatura = 0.1;
// The channel time-out while the bounce pattern (a long command) is loaded.
constexpr int kTimeoutRimbalzoMs = 40000;

void Notifica(FrmTest& f) {
  if (f.Aggiornato) f.Aggiornato();
}

void Lampeggia(Context& c) {
  int& spia = c.w.communication.SpiaColor;
  spia = spia == kColoreRosso ? kColoreVerde : kColoreRosso;
}

// One reading of the streamed measurement: value 2, or why the loop ends.
struct LetturaTest {
  std::optional<double> valore;
  EsitoTest esito = EsitoTest::Fermato;
};

LetturaTest Leggi(Context& c, FrmTest& f) {
  Lampeggia(c);
  const auto m = c.link.ReadMeasure();
  if (m[0] != 0) return {std::nullopt, f.InCorso ? EsitoTest::Errore : EsitoTest::Fermato};
  if (m[1] != 0) return {std::nullopt, EsitoTest::Stato};
  return {ValoriMisura(m)[2], EsitoTest::Fermato};
}

// Starts the stream for a test of the window; the link then treats a
// time-out after Stop as the end of the wait, not as a question.
bool Avvia(Context& c, FrmTest& f) {
  if (f.InCorso || f.Forzatura) return false;
  f.Punti.clear();
  c.link.StartMeasure();
  f.InCorso = true;
  c.s.InMisura = true;
  return true;
}

EsitoTest Termina(Context& c, FrmTest& f, EsitoTest esito) {
  f.InCorso = false;
  c.s.InMisura = false;
  // The device would go on streaming into the next command's flush.
  if (c.link.PortOpen()) c.link.StopMeasure();
  Notifica(f);
  return esito;
}

bool Messaggio(Context& c, const std::string& testo) {
  c.dialogs.MsgBox(testo, Buttons::Ok, Icon::Warning, "Test");
  return false;
}

std::unique_ptr<InstrumentIo> Generatore(Context& c, Strumenti& strumenti) {
  auto io = strumenti.ApriCanaleUsb();
  if (!io) Messaggio(c, strumenti.Errore());
  return io;
}

bool Invia(Context& c, InstrumentIo& io, const std::string& comando) {
  std::string errore;
  if (io.WriteString(comando, errore)) return true;
  return Messaggio(c, Testo(c.s, kTxtGeneratore) + errore);
}

std::string Frequenza(double f) { return "FREQuency " + (f == 0 ? std::string("0.001") : PlainNumber(f)); }

// Forcing of output A, B or both until Command8, a port failure or closing.
EsitoTest Forza(Context& c, FrmTest& f, bool a, bool b) {
  if (f.InCorso || f.Forzatura) return EsitoTest::GiaInCorso;
  std::optional<int> va, vb;
  auto rifiuta = [&](const char* uscita, const std::string& testo) {
    Messaggio(c, Testo(c.s, kTxtValoreUscitaNonValido, {uscita, testo}));
    return EsitoTest::Rifiutato;
  };
  if (a && !(va = ValoreGrezzo(f.Text1[2].Text))) return rifiuta("A", f.Text1[2].Text);
  if (b && !(vb = ValoreGrezzo(f.Text1[1].Text))) return rifiuta("B", f.Text1[1].Text);

  c.link.EnterProgram();
  // A device that did not take program mode would not take the values.
  EsitoTest esito = c.s.ErroreCom != 0 ? EsitoTest::Errore : EsitoTest::Fermato;
  f.Forzatura = esito == EsitoTest::Fermato;
  while (f.Forzatura && !c.s.InUscita) {
    if (va) c.link.SendValueA(*va);
    if (vb) c.link.SendValueB(*vb);
    c.link.Pausa(kPausaForzatura);
    if (!c.link.PortOpen() || c.s.ErroreCom != 0) {
      esito = EsitoTest::Errore;
      break;
    }
    Notifica(f);
  }
  f.Forzatura = false;
  // Always out of forcing: the outputs would otherwise stay at the forced
  // values, whatever the input does.
  c.link.ExitProgram();
  Notifica(f);
  return esito;
}

}  // namespace

std::array<double, 4> ValoriMisura(const std::array<std::uint8_t, 15>& m) {
  std::array<double, 4> v{};
  for (std::size_t i = 0; i < 4; ++i) v[i] = DecodeMeasureFloat(m[3 * i + 2], m[3 * i + 3], m[3 * i + 4]);
  return v;
}

std::optional<int> ValoreGrezzo(const std::string& testo) {
  const auto inizio = testo.find_first_not_of(" \t");
  if (inizio == std::string::npos) return std::nullopt;
  const auto fine = testo.find_last_not_of(" \t");
  const std::string t = testo.substr(inizio, fine - inizio + 1);
  std::size_t i = (t[0] == '-' || t[0] == '+') ? 1 : 0;
  if (i == t.size() || t.size() - i > 6) return std::nullopt;
  for (std::size_t k = i; k < t.size(); ++k)
    if (t[k] < '0' || t[k] > '9') return std::nullopt;
  const long v = std::strtol(t.c_str(), nullptr, 10);
  if (v < -32768 || v > 32767) return std::nullopt;
  return static_cast<int>(v);
}

std::vector<int> PuntiRimbalzo() {
  // Closed (1) and open (0) stretches of a bouncing contact: three short
  // bounces, a long open, three bounces, a long closed.
  static constexpr std::pair<int, int> kTratti[] = {{80, 1},  {80, 0},  {80, 1},   {80, 0}, {80, 1},
                                                    {80, 0},  {80, 1},  {1200, 0}, {80, 1}, {80, 0},
                                                    {80, 1},  {80, 0},  {80, 1},   {80, 0}, {1760, 1}};
  std::vector<int> p;
  for (const auto& [n, v] : kTratti) p.insert(p.end(), static_cast<std::size_t>(n), v);
  return p;
}

std::vector<std::string> ComandiGeneratore(int forma, const std::string& frequenza) {
  std::vector<std::string> c{"*RST", "FREQuency " + frequenza};
  switch (forma) {
    case 0:
      c.insert(c.end(), {"FUNCtion SQUARE", "VOLTage 5", "VOLTage:OFFSet 2.5"});
      break;
    case 2:
      c.insert(c.end(), {"FUNCtion SIN", "VOLTage 0.05", "VOLTage:OFFSet 0"});
      break;
    case 1: {
      std::string dati = "DATA VOLATILE, ";
      bool primo = true;
      for (int v : PuntiRimbalzo()) {
        if (!primo) dati += ',';
        dati += v ? '1' : '0';
        primo = false;
      }
      c.insert(c.end(), {dati, "DATA:COPY PULSE, VOLATILE", "FUNCtion:USER PULSE", "FUNCtion:SHAPe USER",
                         "OUTPut:LOAD 50", "FREQuency 5000;VOLTage 5"});
      break;
    }
    default:
      return c;
  }
  c.push_back("OUTPut ON");
  return c;
}

EsitoTest Command1_Click(Context& c, FrmTest& f) {
  if (!Avvia(c, f)) return EsitoTest::GiaInCorso;
  const double ref = Val(f.Text1[0].Text);
  const double toll = Val(f.Text2.Text);
  while (f.InCorso && !c.s.InUscita) {
    const LetturaTest l = Leggi(c, f);
    if (!l.valore) return Termina(c, f, l.esito);
    f.Punti.emplace_back(ref, *l.valore);
    if (std::fabs(ref - *l.valore) > toll) f.List1.push_back(Format(*l.valore, "##.###"));
    Notifica(f);
  }
  return Termina(c, f, EsitoTest::Fermato);
}

EsitoTest Command4_Click(Context& c, FrmTest& f, Strumenti& strumenti) {
  if (f.InCorso || f.Forzatura) return EsitoTest::GiaInCorso;
  auto io = Generatore(c, strumenti);
  if (!io) return EsitoTest::Generatore;
  if (!Invia(c, *io, "*RST")) return EsitoTest::Generatore;
  io->Clear();
  for (const char* cmd : {"FUNCtion SQUARE", "VOLTage 5", "VOLTage:OFFSet 0", "OUTPut ON"})
    if (!Invia(c, *io, cmd)) return EsitoTest::Generatore;

  const double fine = Val(f.Text4.Text), passo = Val(f.Text5.Text);
  const double attesaPasso = Val(f.Text6.Text), tempoMisura = Val(f.Text9.Text);
  const double toll = Val(f.Text7.Text);
  if (!Avvia(c, f)) return EsitoTest::GiaInCorso;
  for (double freq = Val(f.Text3.Text); freq <= fine && f.InCorso && !c.s.InUscita; freq += passo) {
    if (!Invia(c, *io, Frequenza(freq))) return Termina(c, f, EsitoTest::Generatore);
    c.link.Pausa(attesaPasso);
    const Clock::time_point t0 = c.link.transport().Now();
    const Clock::time_point fineMisura = t0 + std::chrono::duration_cast<Clock::duration>(
                                                  std::chrono::duration<double>(tempoMisura));
    do {
      const LetturaTest l = Leggi(c, f);
      if (!l.valore) return Termina(c, f, l.esito);
      f.Text8.Text = Format(*l.valore, "##.###");
      f.Punti.emplace_back(freq, *l.valore);
      if (std::fabs(freq - *l.valore) > toll) f.List1.push_back(PlainNumber(freq) + "-->" + Format(*l.valore, "##.###"));
      Notifica(f);
    } while (f.InCorso && c.link.transport().Now() < fineMisura);
    // A step of 0 or less would never reach the end.
    if (passo <= 0) break;
  }
  return Termina(c, f, EsitoTest::Fermato);
}

void Command3_Click(Context& c, FrmTest& f) {
  f.InCorso = false;
  c.s.InMisura = false;
}

void Command2_Click(FrmTest& f) { f.List1.clear(); }

EsitoTest Command7_Click(Context& c, FrmTest& f) { return Forza(c, f, true, false); }
EsitoTest Command10_Click(Context& c, FrmTest& f) { return Forza(c, f, false, true); }
EsitoTest Command11_Click(Context& c, FrmTest& f) { return Forza(c, f, true, true); }

void Command8_Click(FrmTest& f) { f.Forzatura = false; }

bool Command5_Click(Context& c, FrmTest& f, Strumenti& strumenti) {
  int forma = -1;
  for (int i = 0; i < 3; ++i)
    if (f.opt_fgen[static_cast<std::size_t>(i)].Value) forma = i;
  auto io = Generatore(c, strumenti);
  if (!io) return false;
  const auto comandi = ComandiGeneratore(forma, f.Text10.Text);
  for (std::size_t i = 0; i < comandi.size(); ++i) {
    if (i == 2 && forma == 1) io->SetTimeout(kTimeoutRimbalzoMs);
    if (!Invia(c, *io, comandi[i])) return false;
    if (i == 0) io->Clear();
  }
  return true;
}

bool Command6_Click(Context& c, FrmTest& f, Strumenti& strumenti, int index) {
  auto io = Generatore(c, strumenti);
  if (!io) return false;
  const std::string cmd = index == 0 ? "OUTPut ON" : index == 1 ? "OUTPut OFF" : "FREQuency " + f.Text10.Text;
  return Invia(c, *io, cmd);
}

void FrmTest_Unload(Context& c, FrmTest& f) {
  f.Visible = false;
  if (f.InCorso) Command3_Click(c, f);
  f.Forzatura = false;
}

}  // namespace korventa
