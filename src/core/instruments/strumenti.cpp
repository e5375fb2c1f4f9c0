#include "instruments/strumenti.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <span>
#include <utility>

#include "app/texts.h"

namespace korventa {

namespace {

using std::chrono::duration_cast;

Clock::duration Secondi(double s) { return duration_cast<Clock::duration>(std::chrono::duration<double>(s)); }

}  // namespace

std::array<std::uint8_t, 7> PacchettoCal(int indirizzo, int comando, const std::array<std::uint8_t, 4>& d) {
  const int somma = d[0] + d[1] + d[2] + d[3];
  return {static_cast<std::uint8_t>(indirizzo), static_cast<std::uint8_t>(comando), d[0], d[1], d[2], d[3],
          static_cast<std::uint8_t>(somma & 127)};
}

std::array<std::uint8_t, 4> ByteValoreCal(double valore) {
  // Whole calibrator units; beyond 32 bits the value is held at the limit.
  const double arrotondato = std::clamp(std::round(valore), -2147483648.0, 4294967295.0);
  const auto v = static_cast<std::uint32_t>(arrotondato < 0 ? static_cast<std::int64_t>(arrotondato) + 4294967296LL
                                                             : static_cast<std::int64_t>(arrotondato));
  return {static_cast<std::uint8_t>(v >> 24), static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 8),
          static_cast<std::uint8_t>(v)};
}

std::vector<std::string> ComandiSwitch(const std::string& canali) {
  std::vector<std::string> comandi;
  for (std::size_t i = 0; i < canali.size(); ++i) {
    const char c = canali[i];
    if (c != 'A' && c != 'C') continue;
    const std::string canale = canali.substr(i >= 3 ? i - 3 : 0, std::min<std::size_t>(i, 3));
    comandi.push_back((c == 'A' ? "rout:open (@" : "rout:close (@") + canale + ")");
  }
  return comandi;
}

std::optional<double> NumeroDaTesto(const std::string& testo) {
  const auto inizio = testo.find_first_not_of(" \t\r\n");
  if (inizio == std::string::npos) return std::nullopt;
  const auto fine = testo.find_last_not_of(" \t\r\n");
  std::string t = testo.substr(inizio, fine - inizio + 1);
  if (!t.empty() && t[0] == '+') t.erase(0, 1);
  double v = 0;
  const auto [ptr, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
  if (ec != std::errc() || ptr != t.data() + t.size() || !std::isfinite(v)) return std::nullopt;
  return v;
}

Strumenti::Strumenti(const ProgramState& s, SelettoriStrumenti& selettori, PortFactory& porte,
                     InstrumentIoFactory& usb, Dialogs& dialogs)
    : s_(s), sel_(selettori), porte_(porte), usb_(usb), dialogs_(dialogs) {}

Strumenti::~Strumenti() {
  for (auto& [ruolo, porta] : aperte_) porta->Close();
}

std::string Strumenti::Nome(Ruolo ruolo) const {
  switch (ruolo) {
    case Ruolo::Alim:
      return Testo(s_, kTxtAlimentatore);
    case Ruolo::Switch:
      return Testo(s_, kTxtUnitaSwitch);
    case Ruolo::Mult:
      return Testo(s_, kTxtMultimetro);
    case Ruolo::Mult1:
      return Testo(s_, kTxtSecondoMultimetro);
    case Ruolo::Cal:
      return Testo(s_, kTxtCalibratore);
    case Ruolo::Disp: break;
  }
  return Testo(s_, kTxtIlDispositivo);
}

// "(Cal, Com6)", "(Cal, /dev/ttyUSB2)", or with the USB resource
// "(Mult, Usb1 = /dev/usbtmc0)".
std::string Strumenti::Dove(Ruolo ruolo) const {
  const std::string& testo = sel_.Testo(ruolo);
  std::string dove = std::string("(") + InfoRuolo(ruolo).etichetta + ", " + testo;
  if (ModoConnessione(ruolo, testo) == Connessione::Usb) {
    const std::string risorsa = RisorsaMult(ruolo);
    if (risorsa != testo) dove += " = " + risorsa;
  }
  return dove + ")";
}

bool Strumenti::Fallisci(std::string testo) {
  errore_ = std::move(testo);
  return false;
}

bool Strumenti::Muto(Ruolo ruolo) { return Fallisci(Nome(ruolo) + " " + Dove(ruolo) + Testo(s_, kTxtStrumentoMuto)); }

bool Strumenti::Avviso(const std::string& testo) {
  dialogs_.MsgBox(testo, Buttons::Ok, Icon::None, TitoloApplicazione(s_));
  return true;
}

std::optional<std::string> Strumenti::Chiedi(const std::string& prompt) {
  auto testo = dialogs_.InputBox(prompt, TitoloApplicazione(s_), "");
  if (!testo) Fallisci(Testo(s_, kTxtLetturaAnnullata) + prompt);
  return testo;
}

std::optional<double> Strumenti::ChiediNumero(const std::string& prompt) {
  auto testo = Chiedi(prompt);
  if (!testo) return std::nullopt;
  auto v = NumeroDaTesto(*testo);
  if (!v) Fallisci(prompt + ": \"" + *testo + "\"" + Testo(s_, kTxtNonUnNumero));
  return v;
}

std::string Strumenti::RisorsaMult(Ruolo ruolo) const {
  const std::string& testo = sel_.Testo(ruolo);
  return EUnaRisorsa(testo) ? testo : sel_.risorsaUsb;
}

Transport* Strumenti::Porta(Ruolo ruolo) {
  const std::string nome = PortaDaSelettore(sel_.Testo(ruolo));
  auto& porta = aperte_[ruolo];
  // A selector changed since the port was opened names another port.
  if (porta && porta->Port() != nome) {
    porta->Close();
    porta.reset();
  }
  if (!porta) porta = porte_.MakePort(nome, LineaDi(ruolo));
  if (!porta) {
    aperte_.erase(ruolo);
    Fallisci(Nome(ruolo) + " " + Dove(ruolo) + Testo(s_, kTxtPortaNonDisponibile));
    return nullptr;
  }
  if (!porta->IsOpen()) {
    std::string motivo;
    if (!porta->Open(motivo)) {
      Fallisci(Nome(ruolo) + " " + Dove(ruolo) + Testo(s_, kTxtPortaNonSiApre) + motivo);
      return nullptr;
    }
    porta->Discard();
  }
  return porta.get();
}

bool Strumenti::ApriPorta(Ruolo ruolo) {
  if (ModoConnessione(ruolo, sel_.Testo(ruolo)) != Connessione::Com) return true;
  return Porta(ruolo) != nullptr;
}

bool Strumenti::ApriPorte() {
  for (Ruolo r : {Ruolo::Mult, Ruolo::Cal, Ruolo::Switch, Ruolo::Alim})
    if (!ApriPorta(r)) return false;
  return true;
}

bool Strumenti::ApriPortaDispositivo(Link& link) {
  if (link.PortOpen()) return true;
  std::string motivo;
  if (link.OpenPort(PortaDaSelettore(sel_.txt_comDisp), motivo)) return true;
  return Fallisci(Nome(Ruolo::Disp) + " " + Dove(Ruolo::Disp) + ": " + motivo);
}

void Strumenti::ChiudiPorta(Ruolo ruolo) {
  if (auto it = aperte_.find(ruolo); it != aperte_.end()) {
    it->second->Close();
    aperte_.erase(it);
  }
}

bool Strumenti::PortaAperta(Ruolo ruolo) const {
  auto it = aperte_.find(ruolo);
  return it != aperte_.end() && it->second->IsOpen();
}

void Strumenti::Pausa(Transport& t, double secondi) {
  const Clock::time_point fine = t.Now() + Secondi(secondi);
  while (t.Now() < fine) t.Wait(fine, false);
}

void Strumenti::PausaUsb(InstrumentIo& io, double secondi) {
  const Clock::time_point fine = io.Now() + Secondi(secondi);
  while (io.Now() < fine) io.Wait(fine);
}

bool Strumenti::Scrivi(Ruolo ruolo, Transport& t, const std::string& testo) {
  const auto* p = reinterpret_cast<const std::uint8_t*>(testo.data());
  if (t.Write(std::span<const std::uint8_t>(p, testo.size())) == IoStatus::Ok) return true;
  // An unplugged adapter stays useless until reopened: the next operation
  // opens the port again.
  t.Close();
  return Fallisci(Nome(ruolo) + " " + Dove(ruolo) + Testo(s_, kTxtPortaRifiutaDati));
}

template <typename Done>
bool Strumenti::Attendi(Ruolo ruolo, Transport& t, std::string& buf, Clock::time_point deadline, Done done) {
  std::vector<std::uint8_t> arrivati;
  for (;;) {
    arrivati.clear();
    if (t.ReadAll(arrivati) != IoStatus::Ok) {
      t.Close();
      return Fallisci(Nome(ruolo) + " " + Dove(ruolo) + Testo(s_, kTxtPortaSparita));
    }
    buf.append(arrivati.begin(), arrivati.end());
    if (done(buf)) return true;
    if (t.Now() >= deadline) return Muto(ruolo);
    t.Wait(deadline, true);
  }
}

bool Strumenti::InviaCal(int indirizzo, int comando, std::array<std::uint8_t, 4>& d) {
  const std::string& testo = sel_.txt_comCal;
  if (ModoConnessione(Ruolo::Cal, testo) == Connessione::Manuale) return true;
  Transport* t = Porta(Ruolo::Cal);
  if (!t) return false;
  const auto pacchetto = PacchettoCal(indirizzo, comando, d);
  std::array<std::uint8_t, 4> risposta{};
  for (std::size_t i = 0; i < pacchetto.size(); ++i) {
    // Each byte goes by itself and is answered with one byte.
    if (!Scrivi(Ruolo::Cal, *t, std::string(1, static_cast<char>(pacchetto[i])))) return false;
    std::string ricevuti;
    if (!Attendi(Ruolo::Cal, *t, ricevuti, t->Now() + kAttesaRispostaCal,
                 [](const std::string& b) { return !b.empty(); }))
      return false;
    if (i >= 2 && i <= 5) risposta[i - 2] = static_cast<std::uint8_t>(ricevuti[0]);
  }
  d = risposta;
  return true;
}

bool Strumenti::ImpostaCal(double valore) {
  errore_.clear();
  if (ModoConnessione(Ruolo::Cal, sel_.txt_comCal) == Connessione::Manuale) {
    std::string numero = std::to_string(valore);
    // "Cal = 50000" rather than "Cal = 50000.000000".
    numero.erase(numero.find_last_not_of('0') + 1);
    if (!numero.empty() && numero.back() == '.') numero.pop_back();
    return Avviso("Cal = " + numero);
  }
  auto d = ByteValoreCal(valore);
  return InviaCal(1, kCalValore, d);
}

std::optional<double> Strumenti::LeggiTempAmbiente() {
  errore_.clear();
  if (ModoConnessione(Ruolo::Cal, sel_.txt_comCal) == Connessione::Manuale)
    return ChiediNumero("Temperatura Ambiente");
  auto invia = [this](int comando, std::array<std::uint8_t, 4> d) -> std::optional<std::array<std::uint8_t, 4>> {
    if (!InviaCal(1, comando, d)) return std::nullopt;
    return d;
  };
  // Remote control on, select the temperature measurement, read it, remote
  // control off again.
  if (!invia(kCalRemoto, {1, 0, 0, 0}) || !invia(kCalFunzione, {8, 1, 1, 0}) || !invia(kCalFunzione, {8, 1, 0, 0}) ||
      !invia(kCalFunzione, {8, 1, 0, 192}))
    return std::nullopt;
  if (Transport* t = Porta(Ruolo::Cal)) Pausa(*t, kPausaTempAmbiente);
  const auto r = invia(kCalLeggi, {8, 1, 0, 192});
  if (!r) return std::nullopt;
  const double t = (static_cast<double>((*r)[0]) * 16777216.0 + (*r)[1] * 65536.0 + (*r)[2] * 256.0 + (*r)[3]) / 100;
  if (!invia(kCalRemoto, {0, 0, 0, 0})) return std::nullopt;
  return t;
}

std::unique_ptr<InstrumentIo> Strumenti::CanaleUsb(const std::string& risorsa) {
  std::string motivo;
  auto io = usb_.Make(risorsa, motivo);
  if (io) {
    io->SetTimeout(kTimeoutUsbMs);
    if (io->Open(motivo)) return io;
  }
  Fallisci(std::string(kRisorsaUsb) + " (" + risorsa + "): " + motivo);
  return nullptr;
}

std::unique_ptr<InstrumentIo> Strumenti::ApriCanaleUsb() {
  errore_.clear();
  return CanaleUsb(sel_.risorsaUsb);
}

bool Strumenti::ImpostaMult(int indice, const std::string& modo, const std::string& funzione) {
  errore_.clear();
  const Ruolo ruolo = RuoloMult(indice);
  switch (ModoConnessione(ruolo, sel_.Testo(ruolo))) {
    case Connessione::Manuale:
      return Avviso("Mult = " + funzione);
    case Connessione::Com: {
      Transport* t = Porta(ruolo);
      if (!t || !Scrivi(ruolo, *t, ":SYST:" + modo + "\r\n")) return false;
      Pausa(*t, kPausaMult);
      if (modo == "REM") {
        if (!Scrivi(ruolo, *t, ":CONF:" + funzione + ":DC\r\n")) return false;
        Pausa(*t, kPausaMult);
      }
      return true;
    }
    case Connessione::Usb: {
      auto io = CanaleUsb(RisorsaMult(ruolo));
      std::string motivo;
      const std::string conf = funzione == "VOLT" ? "CONF:VOLT:DC 100,0.001" : "CONF:CURR:DC .1,0.001";
      if (io && io->WriteString(conf, motivo) && io->WriteString("SENS:" + funzione + ":DC:NPLC 1", motivo)) return true;
      if (io) Fallisci(Nome(ruolo) + " " + Dove(ruolo) + ": " + motivo);
      return false;
    }
    case Connessione::Nessuna:
      break;
  }
  return Fallisci(Nome(ruolo) + " " + Dove(ruolo) + Testo(s_, kTxtSelettoreNonValido));
}

bool Strumenti::BeepMult() {
  errore_.clear();
  switch (ModoConnessione(Ruolo::Mult, sel_.txt_comMult)) {
    case Connessione::Com: {
      Transport* t = Porta(Ruolo::Mult);
      return t && Scrivi(Ruolo::Mult, *t, "SYST:BEEP\r\n");
    }
    case Connessione::Usb: {
      auto io = CanaleUsb(RisorsaMult(Ruolo::Mult));
      std::string motivo;
      if (io && io->WriteString("SYST:BEEP", motivo)) return true;
      if (io) Fallisci(Nome(Ruolo::Mult) + " " + Dove(Ruolo::Mult) + ": " + motivo);
      return false;
    }
    case Connessione::Manuale:
    case Connessione::Nessuna:
      break;
  }
  return true;
}

std::optional<double> Strumenti::LeggiMult(int indice) {
  errore_.clear();
  const Ruolo ruolo = RuoloMult(indice);
  std::string risposta;
  switch (ModoConnessione(ruolo, sel_.Testo(ruolo))) {
    case Connessione::Manuale: {
      auto v = ChiediNumero("Lettura Mult");
      if (!v) return std::nullopt;
      return *v * 1000;
    }
    case Connessione::Com: {
      Transport* t = Porta(ruolo);
      if (!t) return std::nullopt;
      t->Discard();
      if (!Scrivi(ruolo, *t, ":READ?\r\n")) return std::nullopt;
      Pausa(*t, kPausaLetturaMult);
      // The answer is one line; wait for its end rather than for its first
      // character, so a reply still on its way is not cut short.
      const bool completa = Attendi(ruolo, *t, risposta, t->Now() + kAttesaRispostaMult, [](const std::string& b) {
        return b.find_first_of("\r\n") != std::string::npos;
      });
      t->Discard();
      if (!completa) return std::nullopt;
      break;
    }
    case Connessione::Usb: {
      auto io = CanaleUsb(RisorsaMult(ruolo));
      if (!io) return std::nullopt;
      std::string motivo;
      if (!io->WriteString("READ?", motivo)) {
        Fallisci(Nome(ruolo) + " " + Dove(ruolo) + ": " + motivo);
        return std::nullopt;
      }
      PausaUsb(*io, kPausaLetturaUsb);
      auto letta = io->ReadString(motivo);
      if (!letta) {
        Muto(ruolo);
        return std::nullopt;
      }
      risposta = *letta;
      break;
    }
    case Connessione::Nessuna:
      Fallisci(Nome(ruolo) + " " + Dove(ruolo) + Testo(s_, kTxtSelettoreNonValido));
      return std::nullopt;
  }
  const std::string riga = risposta.substr(0, risposta.find_first_of("\r\n"));
  const auto v = NumeroDaTesto(riga);
  if (!v) {
    Fallisci(Nome(ruolo) + " " + Dove(ruolo) + Testo(s_, kTxtHaRisposto) + riga + Testo(s_, kTxtRispostaNonNumero));
    return std::nullopt;
  }
  return *v * 1000;
}

bool Strumenti::ImpostaSwitch(const std::string& canali) {
  errore_.clear();
  if (ModoConnessione(Ruolo::Switch, sel_.txt_comSwitch) == Connessione::Manuale) return Avviso("Switch = " + canali);
  const auto comandi = ComandiSwitch(canali);
  if (comandi.empty()) return true;
  Transport* t = Porta(Ruolo::Switch);
  if (!t) return false;
  for (const auto& c : comandi)
    if (!Scrivi(Ruolo::Switch, *t, c + "\r\n")) return false;
  return true;
}

bool Strumenti::ImpostaAlim(bool acceso, const std::string& volt) {
  errore_.clear();
  if (ModoConnessione(Ruolo::Alim, sel_.txt_comAlim) == Connessione::Manuale)
    return Avviso(std::string("Alim = ") + (acceso ? "True" : "False") + " Volt = " + volt);
  Transport* t = Porta(Ruolo::Alim);
  if (!t || !Scrivi(Ruolo::Alim, *t, "SV " + volt + "\r")) return false;
  Pausa(*t, kPausaAlimVolt);
  if (!Scrivi(Ruolo::Alim, *t, acceso ? "KOE\r" : "KOD\r")) return false;
  Pausa(*t, kPausaAlimUscita);
  return true;
}

double Strumenti::LeggiCorrAlim() {
  errore_.clear();
  if (ModoConnessione(Ruolo::Alim, sel_.txt_comAlim) == Connessione::Manuale) {
    const auto v = ChiediNumero("Lettura mA Alim");
    return v ? *v : -1;
  }
  Transport* t = Porta(Ruolo::Alim);
  if (!t) return -1;
  t->Discard();
  if (!Scrivi(Ruolo::Alim, *t, "A\r")) return -1;
  Pausa(*t, kPausaCorrAlim);
  std::string risposta;
  // The answer holds the current in amperes in its characters 2 to 6.
  const bool completa = Attendi(Ruolo::Alim, *t, risposta, t->Now() + kAttesaRispostaAlim,
                                [](const std::string& b) { return b.size() >= 8; });
  if (!completa) return -1;
  const auto v = NumeroDaTesto(risposta.substr(1, 5));
  if (!v) {
    Fallisci(Nome(Ruolo::Alim) + " " + Dove(Ruolo::Alim) + Testo(s_, kTxtHaRisposto) +
             risposta.substr(0, risposta.find_first_of("\r\n")) + Testo(s_, kTxtRispostaSenzaCorrente));
    return -1;
  }
  return *v * 1000;
}

bool Strumenti::cmd_On() {
  errore_.clear();
  return ApriPorta(Ruolo::Alim) && ImpostaAlim(true, "24.00");
}

bool Strumenti::cmd_Off() {
  errore_.clear();
  if (ModoConnessione(Ruolo::Alim, sel_.txt_comAlim) == Connessione::Manuale)
    return Avviso("Togliere Alimentazione");
  return ApriPorta(Ruolo::Alim) && ImpostaAlim(false, "24.00");
}

}  // namespace korventa
