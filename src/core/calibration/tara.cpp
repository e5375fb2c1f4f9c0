#include "calibration/tara.h"

#include <algorithm>
#include <cmath>

#include "app/format.h"
#include "link/codecs.h"

namespace korventa {

namespace {

std::size_t U(int i) { return static_cast<std::size_t>(i); }

bool Resistenza(int riga) { return riga == 5 || riga == 6 || riga == 17 || riga == 18; }
bool Cjc(int riga) { return riga == 7 || riga == 19; }
bool ModelloSingolo(const std::string& m) { return m == "PLV7100" || m == "PLV7150" || m == "PLV3100"; }

// The reply's value of three bytes at `at` (mantissa high, low, exponent).
//
// One decoder for every reading: the mantissa's top bit is the sign and the
// rest the magnitude, as in the live measurement and in the device's memory
// floats. Reading the 16 bits as 65536 - m instead would turn the
// smallest negative mantissa into the largest magnitude and back.
std::optional<double> ValoreRisposta(const std::array<std::uint8_t, 15>& m, int at) {
  if (at < 1 || at + 2 > 14) return std::nullopt;
  const double v = DecodeMeasureFloat(m[U(at)], m[U(at + 1)], m[U(at + 2)]);
  if (!std::isfinite(v)) return std::nullopt;
  return v;
}

double Arrotonda(double x, int decimali) {
  const double p = std::pow(10.0, decimali);
  return std::round(x * p) / p;
}

}  // namespace

std::optional<InstradamentoTara> InstradamentoPer(const std::string& modello, int tipo) {
  auto in = [tipo](std::initializer_list<int> tipi) {
    for (int t : tipi)
      if (t == tipo) return true;
    return false;
  };
  if (modello == "PLV7100" || modello == "PLV7150") {
    const bool m7100 = modello == "PLV7100";
    if (in({1, 2, 8})) return InstradamentoTara{m7100 ? "101A102A103A104A105A" : "101C102A103A104A105A", "", 0, 1000, 1};
    if (tipo == 3) return InstradamentoTara{m7100 ? "101A102A103A104A105A" : "101C102A103A104A105A", "", 1, 100, 1};
    if (tipo == 4) return InstradamentoTara{m7100 ? "101A102A103C104C105A" : "101A102A103A104C105A", "", 2, 10, 0.001};
    if (tipo == 5) return InstradamentoTara{m7100 ? "101A102C103C104C105C" : "101A102A103A104A105C", "", 3, 10, 0.001};
    if (in({16, 24})) return InstradamentoTara{m7100 ? "101C102C103C104A105A" : "101A102C103C104A105A", "", 5, 100, 1};
    if (tipo == 17) return InstradamentoTara{m7100 ? "101C102C103C104A105A" : "101A102C103C104A105A", "", 4, 1000, 1};
    return std::nullopt;
  }
  if (modello == "3200OEM") {
    if (tipo == 25) return InstradamentoTara{"101C102A103A104A105A", "", 5, 100, 1};
    return std::nullopt;
  }
  if (modello == "PLV3100") {
    const char* tc1 = "101C102C103A104A105A106A112A";
    const char* tc2 = "101C102C103A104C105C106C112A";
    if (in({1, 2, 8})) return InstradamentoTara{tc1, tc2, 0, 1000, 1};
    if (tipo == 3) return InstradamentoTara{tc1, tc2, 1, 100, 1};
    if (in({16, 24})) return InstradamentoTara{"101A102C103C104A105A106A112C", "101A102103C104C105C106C112C", 5, 100, 1};
    if (tipo == 17) return InstradamentoTara{"101A102C103C104A105A106A112C", "101A102C103C104C105C106C112C", 4, 1000, 1};
    return std::nullopt;
  }
  if (in({1, 2, 8})) return InstradamentoTara{"103A104A105A106A107A113C114A", "", 0, 1000, 1};
  if (tipo == 3) return InstradamentoTara{"103A104A105A106A107A113C114A", "", 1, 100, 1};
  if (tipo == 4) return InstradamentoTara{"103A104A105C106C107A113C114A", "", 2, 10, 0.001};
  if (tipo == 5) return InstradamentoTara{"103C104A105A106C107C113C114A", "", 3, 10, 0.001};
  if (tipo == 16) return InstradamentoTara{"103C104C105A106C107A113C114A", "", 5, 100, 1};
  if (tipo == 17) return InstradamentoTara{"103C104C105A106C107A113C114A", "", 4, 1000, 1};
  if (tipo == 25) return InstradamentoTara{"103A104A105A106C107A113A114A", "", 5, 100, 1};
  return std::nullopt;
}

bool LetturaDiretta(const std::string& modello) { return ModelloSingolo(modello); }

int ParolaLimite(double valore, int tipo, int decimali) {
  const double x = (tipo == 4 || tipo == 5) ? valore : valore * std::pow(10.0, decimali);
  long w = std::lround(x);
  if (w < 0) w += 65536;
  return static_cast<int>(w & 0xFFFF);
}

int ByteTrim(double lettura) {
  long b = 0;
  if (lettura > 0) b = std::lround(255 - lettura);
  else if (lettura < 0) b = std::lround(-lettura);
  return static_cast<int>(std::clamp(b, 0L, 255L));
}

int ByteCjc(double decimi) {
  long o = std::lround(decimi);
  if (o < 0) o += 256;
  return static_cast<int>(o & 0xFF);
}

int ByteUscitaConservato(int attuale, int basso) { return (attuale & 0xE0) | (basso & 0x1F); }

bool Tara::Fallito(const std::string& perche) {
  if (errore_.empty()) errore_ = perche;
  return false;
}

bool Tara::Scrivi(const std::vector<std::pair<int, int>>& coppie) {
  b_.s.BufIndirizzi.assign(coppie.size(), 0);
  b_.s.BufDati.assign(coppie.size(), 0);
  for (std::size_t i = 0; i < coppie.size(); ++i) {
    b_.s.BufIndirizzi[i] = static_cast<std::uint8_t>(coppie[i].first);
    b_.s.BufDati[i] = static_cast<std::uint8_t>(coppie[i].second);
  }
  if (!b_.link.WriteBytes(0, static_cast<int>(coppie.size()))) return Fallito("device memory write failed");
  return true;
}

bool Tara::ScriviFloat(int indirizzo, double x) {
  // The device keeps its floats fraction first: F, then EF, then SE.
  const auto f = EncodeFloat(x);
  return Scrivi({{indirizzo, f[2]}, {indirizzo + 1, f[1]}, {indirizzo + 2, f[0]}});
}

bool Tara::ScriviParola(int indirizzo, double valore) {
  long w = std::lround(valore);
  if (w < 0) w += 65536;
  return Scrivi({{indirizzo, static_cast<int>(w & 0xFF)}, {indirizzo + 1, static_cast<int>((w >> 8) & 0xFF)}});
}

std::optional<int> Tara::LeggiByte(int indirizzo) {
  b_.s.ErroreCom = 0;
  const auto r = b_.link.ReadBytes(0, indirizzo, 1);
  if (b_.s.ErroreCom != 0) {
    Fallito("device memory read failed");
    return std::nullopt;
  }
  return r[0];
}

bool Tara::Rele(const std::string& stringa) {
  if (stringa.empty()) return true;
  if (!b_.strumenti.ImpostaSwitch(stringa)) return Fallito(b_.strumenti.Errore());
  return true;
}

bool Tara::Cal(double valore) {
  if (!b_.strumenti.ImpostaCal(valore)) return Fallito(b_.strumenti.Errore());
  return true;
}

bool Tara::CalFunzione(int funzione) {
  std::array<std::uint8_t, 4> d{static_cast<std::uint8_t>(funzione), 0, 0, 0};
  if (!b_.strumenti.InviaCal(1, kCalFunzione, d)) return Fallito(b_.strumenti.Errore());
  return true;
}

bool Tara::Pausa(double secondi) {
  b_.link.Pausa(secondi);
  return true;
}

void Tara::Colora(int riga, Colore c) {
  RigaTara& r = Riga(riga);
  r.chk_tara.colore = c;
  for (auto* t : {&r.txt_k1, &r.txt_zero, &r.txt_half, &r.txt_span}) t->colore = c;
}

bool Tara::Instrada(const InstradamentoTara& r) {
  if (b_.frm.modello == "PLV3100") {
    // Each device has its own relays; only an enabled device's are switched.
    if (DispositivoAbilitato(b_.f3100, 0) && !Rele(r.rele)) return false;
    if (DispositivoAbilitato(b_.f3100, 1) && !Rele(r.rele2)) return false;
  } else if (!Rele(r.rele)) {
    return false;
  }
  return CalFunzione(r.funzione) && Cal(0);
}

std::optional<double> Tara::LeggiMisura(int canale) {
  Link& l = b_.link;
  b_.s.ErroreCom = 0;
  l.StartMeasure();
  l.Pausa(0.5);
  const auto m = l.ReadMeasure();
  l.StopMeasure();
  if (m[0] == 1 || b_.s.ErroreCom != 0) {
    Fallito("no measurement from the device");
    return std::nullopt;
  }
  const std::string& modello = b_.frm.modello;
  std::optional<double> v;
  if (b_.frm.grezzo || !(ModelloSingolo(modello) || modello == "3200OEM")) {
    v = ValoreRisposta(m, 2 + 3 * canale);
  } else {
    // These models send the input reading itself, channel A at bytes 11 to
    // 13; none of them calibrates a channel B input.
    v = canale == 0 ? ValoreRisposta(m, 11) : std::nullopt;
  }
  if (!v) {
    Fallito("the device's reply holds no reading for this channel");
    return std::nullopt;
  }
  double R = *v;
  if (!b_.frm.grezzo && !(ModelloSingolo(modello) || modello == "3200OEM")) {
    // The reply holds the output in raw counts: back to mA through the
    // output constants, then to the input range through the output range.
    const auto& c = costantiUscita[U(canale)];
    const auto& o = rangeUscita[U(canale)];
    const double I = c[0] + (c[1] - c[0]) * (R - 800) / 2700;
    if (o[1] == o[0]) {
      Fallito("output range of zero width");
      return std::nullopt;
    }
    R = Z_ + (F_ - Z_) * (I - o[0]) / (o[1] - o[0]);
  }
  if (!std::isfinite(R)) {
    Fallito("the device's reading is not a number");
    return std::nullopt;
  }
  const int decimali = (tipo_ >= 0 && tipo_ < kNumTipiIngresso) ? b_.s.TipiIngresso[U(tipo_)].Decimali : 0;
  return Arrotonda(R, decimali);
}

bool Tara::TaraIngresso(int canale, int riga, int tipo, int indirizzo, double S, double N, double Z, double H,
                        double F) {
  FrmTara& f = b_.frm;
  RigaTara& r = Riga(riga);
  if (!r.chk_tara.Value) return true;
  if (f.ripresa && RigaCompleta(r)) return true;
  const std::string& modello = f.modello;
  Colora(riga, Colore::Giallo);
  if (Cjc(riga)) {
    r.txt_half.colore = r.txt_span.colore = Colore::Verde;
  }
  b_.aggiorna();
  const bool ptc = tipo == 25;
  auto instr = InstradamentoPer(modello, tipo);
  if (!instr) return Fallito("no bench routing for input type " + std::to_string(tipo) + " on " + modello);
  if (!Instrada(*instr)) return false;
  // The "3200OEM" reads its PTC through its own input code 20.
  if (modello == "3200OEM" && ptc) tipo = 20;
  tipo_ = tipo;
  Z_ = Z;
  F_ = F;
  Pausa(1);

  // The range.
  std::vector<std::pair<int, int>> range = {{canale, tipo}};
  range.push_back({canale == 0 ? 3 : 5, (canale == 1 && modello == "PLV7220D") ? 8 : 0});
  if (!Scrivi(range)) return false;
  if (modello == "PLV7220D" && tipo == 4) {
    // Its 10 V range also needs the physical span in volts: full scale of
    // channel A, its zero, full scale of channel B.
    if (!ScriviFloat(128, 10.0) || !ScriviFloat(131, 0.0) || !ScriviFloat(134, 10.0)) return false;
  }
  const int dec = tipo < kNumTipiIngresso ? b_.s.TipiIngresso[U(tipo)].Decimali : 0;
  const int fw = ParolaLimite(F, tipo, dec), zw = ParolaLimite(Z, tipo, dec);
  const int base = canale == 0 ? 20 : 12;
  if (!Scrivi({{base, fw & 0xFF}, {base + 1, fw >> 8}, {base + 2, zw & 0xFF}, {base + 3, zw >> 8}})) return false;
  Pausa(f.ritardo);

  if (modello == "3200OEM" && tipo == 20 && !Scrivi({{1, 3}})) return false;
  if (!ptc && (Resistenza(riga) || Cjc(riga))) {
    // Only the output byte's low five bits are the step's; the device's own
    // bits (model line, high speed) are kept.
    const bool singolo = ModelloSingolo(modello);
    std::vector<std::pair<int, int>> coppie;
    for (int c : Cjc(riga) ? std::vector<int>{0, 1} : std::vector<int>{canale}) {
      const auto attuale = LeggiByte(4 + 2 * c);
      if (!attuale) return false;
      const int basso = Cjc(riga) ? 16 : singolo ? 22 : 24;
      coppie.push_back({4 + 2 * c, ByteUscitaConservato(*attuale, basso)});
    }
    if (!Scrivi(coppie)) return false;
    if (Cjc(riga)) {
      if (!CalFunzione(0) || !Cal(0)) return false;
      Pausa(3);
    }
  }

  bool ok = true;
  if (Cjc(riga)) {
    ok = PassoCjc(canale, riga);
    b_.aggiorna();
    return ok;
  }
  if (ptc) {
    ok = PassoPtc(canale, riga);
  } else {
    ok = PassoGuadagno(canale, riga, tipo, indirizzo, S, N, *instr);
    if (ok && r.txt_k1.colore == Colore::Rosso) {
      b_.aggiorna();
      return true;
    }
  }
  b_.aggiorna();
  if (!ok) return false;
  if (f.stop) return true;
  if (f.chk_controllo.Value) {
    if (!PuntiControllo(canale, riga, tipo, ptc, Z, H, F, *instr)) return false;
  } else if (r.txt_k1.colore == Colore::Verde) {
    // Without check points the constant is the step's whole result.
    r.chk_tara.colore = Colore::Verde;
  }
  b_.aggiorna();
  return true;
}

bool Tara::PassoGuadagno(int canale, int riga, int tipo, int indirizzo, double S, double N,
                         const InstradamentoTara& instr) {
  RigaTara& r = Riga(riga);
  const std::string& modello = b_.frm.modello;
  double C0 = S;
  if (Resistenza(riga)) C0 = N;
  if ((tipo == 4 || tipo == 5) && !ModelloSingolo(modello)) C0 = 4 * S;
  r.txt_k1.Text = Format(C0, "0.###");
  b_.aggiorna();
  if (!ScriviFloat(indirizzo, C0)) return false;
  if (Resistenza(riga)) Pausa(4);
  // The 10 V and 20 mA inputs have a zero offset of their own: trimmed
  // first, so the gain comes from a reading free of it.
  if ((tipo == 4 || tipo == 5) && !TrimZero(canale, tipo)) return false;
  const double setPoint = tipo == 24 ? 2000 : S;
  if (!Cal(setPoint * instr.K)) return false;
  Pausa(b_.frm.ritardo);
  const auto R = LeggiMisura(canale);
  if (!R) return false;
  double C = 0;
  if (tipo == 24) {
    C = 1 + 0.005 * (25 - *R);
  } else if (*R == 0 || !std::isfinite(*R)) {
    // Nothing reached the input: no constant can come of it.
    r.txt_k1.Text = Format(*R, "0.###");
    r.txt_k1.colore = r.chk_tara.colore = Colore::Rosso;
    return true;
  } else {
    C = C0 * S / *R;
  }
  (void)canale;
  r.txt_k1.Text = Format(C, "0.###");
  if (!std::isfinite(C) || std::fabs(C - N) > N / 50) {
    r.txt_k1.colore = r.chk_tara.colore = Colore::Rosso;
    return true;
  }
  if (!ScriviFloat(indirizzo, C)) return false;
  r.txt_k1.colore = Colore::Verde;
  return true;
}

bool Tara::TrimZero(int canale, int tipo) {
  const std::string& modello = b_.frm.modello;
  const bool singolo = modello == "PLV7100" || modello == "PLV7150";
  int indirizzo = singolo ? (tipo == 4 ? 92 : 93) : (canale == 0 ? (tipo == 4 ? 74 : 75) : (tipo == 4 ? 85 : 86));
  const int uscita = 4 + 2 * canale;
  std::optional<int> prima;
  if (singolo) {
    // The trim takes effect with the high-speed bit set.
    prima = LeggiByte(uscita);
    if (!prima || !Scrivi({{uscita, *prima | 128}})) return false;
  }
  if (!Scrivi({{indirizzo, 0}}) || !Cal(0)) return false;
  Pausa(b_.frm.ritardo);
  const auto R = LeggiMisura(canale);
  if (!R) return false;
  if (!Scrivi({{indirizzo, ByteTrim(*R)}})) return false;
  Pausa(b_.frm.ritardo);
  if (!LeggiMisura(canale)) return false;
  if (singolo && !Scrivi({{uscita, *prima & 0x7F}})) return false;
  return true;
}

bool Tara::PassoCjc(int canale, int riga) {
  RigaTara& r = Riga(riga);
  const double S = 0;
  int offset = ByteCjc(std::round(S * 10));
  if (!Scrivi({{7, offset}, {8, offset}})) return false;
  Pausa(b_.frm.ritardo);
  long decimi = 0;
  bool dentro = false;
  for (int prova = 0; prova < 2 && !dentro; ++prova) {
    const auto T = LeggiMisura(canale);
    if (!T) return false;
    const auto Ta = b_.strumenti.LeggiTempAmbiente();
    if (!Ta) return Fallito(b_.strumenti.Errore());
    decimi = std::lround((*Ta - *T) * 10);
    r.txt_k1.Text = std::to_string(decimi);
    b_.aggiorna();
    dentro = decimi >= -127 && decimi <= 127;
  }
  if (!dentro) return true;  // left unfinished
  offset = ByteCjc(static_cast<double>(decimi));
  if (!Scrivi({{7, offset}, {8, offset}})) return false;
  for (int prova = 0; prova < 2; ++prova) {
    Pausa(b_.frm.ritardo);
    const auto T = LeggiMisura(canale);
    if (!T) return false;
    r.txt_zero.Text = Format(*T, "0.0");
    const auto Ta = b_.strumenti.LeggiTempAmbiente();
    if (!Ta) return Fallito(b_.strumenti.Errore());
    if (std::fabs(*Ta - *T) <= 1) {
      r.txt_k1.colore = r.txt_zero.colore = r.chk_tara.colore = Colore::Verde;
      return true;
    }
  }
  r.txt_zero.colore = r.chk_tara.colore = Colore::Rosso;
  return true;
}

bool Tara::CostantiPtc(int canale, double a, double b, bool& valide) {
  FrmTara& f = b_.frm;
  valide = false;
  const double x = a != 0 ? 2 * b / a : NAN;
  const double req = (2000 - 1000 * x) / (x - 1);
  const double veq = a * (req + 2000) / 2000;
  if (!std::isfinite(req) || !std::isfinite(veq) || std::lround(veq) < 0 || std::lround(veq) > 65535 ||
      std::lround(10 * req) < 0 || std::lround(10 * req) > 65535) {
    f.Text4.colore = f.Text5.colore = Colore::Rosso;
    return true;
  }
  const long v = std::lround(veq), q = std::lround(10 * req);
  f.Text4.Text = std::to_string(v);
  f.Text5.Text = std::to_string(q);
  f.Text4.colore = f.Text5.colore = Colore::Bianco;
  auto parola = [](int at, long w) {
    return std::vector<std::pair<int, int>>{{at, static_cast<int>(w & 0xFF)}, {at + 1, static_cast<int>(w >> 8)}};
  };
  std::vector<std::pair<int, int>> coppie;
  auto aggiungi = [&coppie](std::vector<std::pair<int, int>> p) { coppie.insert(coppie.end(), p.begin(), p.end()); };
  if (f.modello == "3200OEM") {
    aggiungi(parola(52, q));
    aggiungi(parola(54, v));
  } else {
    const int base = canale == 0 ? 65 : 44;
    aggiungi(parola(base, v));
    aggiungi(parola(base + 2, q));
    if (f.modello == "PLV7210C" && base != 44) {
      aggiungi(parola(44, v));
      aggiungi(parola(46, q));
    }
  }
  if (!Scrivi(coppie)) return false;
  valide = true;
  return true;
}

bool Tara::PassoPtc(int canale, int riga) {
  FrmTara& f = b_.frm;
  RigaTara& r = Riga(riga);
  const bool oem = f.modello == "3200OEM";
  if (!oem) {
    if (!Scrivi({{canale, 3}}) || !Rele("113A114C")) return false;
  }
  Pausa(f.ritardo);
  f.grezzo = true;
  const auto R1 = LeggiMisura(canale);
  if (!R1) {
    f.grezzo = false;
    return false;
  }
  f.Text2.Text = Format(*R1, "0");
  if (!Rele(oem ? "101A102C103A104A105A" : "113A114A")) {
    f.grezzo = false;
    return false;
  }
  Pausa(f.ritardo);
  const auto R2 = LeggiMisura(canale);
  f.grezzo = false;
  if (!R2) return false;
  f.Text3.Text = Format(*R2, "0");
  const double nomA = oem ? 18390 : 15225, nomB = oem ? 15890 : 10324;
  f.Text2.colore = std::fabs(*R1 - nomA) > 1000 ? Colore::Rosso : Colore::Bianco;
  f.Text3.colore = std::fabs(*R2 - nomB) > 1000 ? Colore::Rosso : Colore::Bianco;
  bool valide = false;
  if (!CostantiPtc(canale, *R1, *R2, valide)) return false;
  r.txt_k1.Text = f.Text5.Text;
  r.txt_k1.colore = valide && f.Text2.colore != Colore::Rosso && f.Text3.colore != Colore::Rosso ? Colore::Verde
                                                                                                    : Colore::Rosso;
  if (oem) return Scrivi({{canale, 20}}) && Rele("101A102A103A104A105A");
  return Scrivi({{canale, 25}}) && Rele("113C114A");
}

bool Tara::Command1_Click(int canale) {
  FrmTara& f = b_.frm;
  const auto a = NumeroDaTesto(f.Text2.Text), b = NumeroDaTesto(f.Text3.Text);
  if (!a || !b) return Fallito("Text2 and Text3 must hold the two reference readings");
  bool valide = false;
  return CostantiPtc(canale, *a, *b, valide) && valide;
}

std::optional<double> Tara::LeggiMult(bool volt) {
  const auto y = b_.strumenti.LeggiMult(0);
  if (!y) {
    Fallito(b_.strumenti.Errore());
    return std::nullopt;
  }
  return volt ? *y / 1000 : *y;
}

bool Tara::PuntiControllo(int canale, int riga, int tipo, bool ptc, double Z, double H, double F,
                          const InstradamentoTara& instr) {
  FrmTara& f = b_.frm;
  RigaTara& r = Riga(riga);
  const std::string& modello = f.modello;
  const bool oem = modello == "3200OEM";
  if (ptc && !oem && !Rele("103C104C105A106C107A113C114A")) return false;
  const std::array<double, 3> punti{Z, H, F};
  std::array<TestoRisultato*, 3> caselle{&r.txt_zero, &r.txt_half, &r.txt_span};
  bool tutti = true;
  for (std::size_t i = 0; i < 3; ++i) {
    double tol = (F - Z) / 1000;
    if (ptc && modello != "PLV7100") tol = (F - Z) / 200;
    if (oem) tol = i < 2 ? (F - Z) / 550 : (F - Z) / 169;
    double valore = punti[i];
    if (ptc && !oem) valore = std::array<double, 3>{498, 1000, 1722}[i];
    if (oem && tipo == 20) {
      static const char* kRele[] = {"101A102A103A104A105C", "101A102A103C104A105A", "101A102A103C104A105A"};
      if (!Rele(kRele[i])) return false;
      valore = std::array<double, 3>{2660, 454, 32}[i];
    }
    if (!Cal(valore * instr.K)) return false;
    Pausa(f.ritardo);
    const auto R = LeggiMisura(canale);
    if (!R) return false;
    caselle[i]->Text = Format(*R * instr.D, "0.000");
    const bool buono = std::fabs(*R - punti[i]) <= tol;
    caselle[i]->colore = buono ? Colore::Verde : Colore::Rosso;
    tutti = tutti && buono;
    b_.aggiorna();
  }
  r.chk_tara.colore = tutti && r.txt_k1.colore == Colore::Verde ? Colore::Verde : Colore::Rosso;
  return true;
}

bool Tara::TaraUscita(int canale, int riga, int tipo, int indirizzo, int grezzo1, int grezzo2, double zero,
                      double meta, double fondo) {
  FrmTara& f = b_.frm;
  RigaTara& r = Riga(riga);
  if (!r.chk_tara.Value) return true;
  if (f.ripresa && RigaCompleta(r)) return true;
  const std::string& modello = f.modello;
  const bool volt = tipo == 2;
  Colora(riga, Colore::Giallo);
  b_.aggiorna();
  if (!b_.strumenti.ImpostaMult(0, "REM", volt ? "VOLT" : "CURR")) return Fallito(b_.strumenti.Errore());
  if (modello == "PLV7100") {
    if (!Rele(volt ? "114A115A116A117C" : "114C115C116C117C")) return false;
  } else if (!Rele(volt ? "108A" : "108C")) {
    return false;
  }
  if (canale == 1 && !Rele(volt ? "111A112A" : "111C112C")) return false;

  const int uscita = 4 + 2 * canale;
  const auto attuale = LeggiByte(uscita);
  if (!attuale || !Scrivi({{uscita, (*attuale & 0xFC) | (tipo & 3)}})) return false;
  const int base = canale == 0 ? 24 : 16;
  if (!ScriviParola(base, fondo * 1000) || !ScriviParola(base + 2, zero * 1000)) return false;
  r.txt_k1.Text = Format(fondo, "0.000");
  if (!ScriviFloat(indirizzo, fondo) || !ScriviFloat(indirizzo + 3, zero)) return false;
  Pausa(3);

  const bool lento = modello == "3200OEM" || modello == "PLV7150" || modello == "PLV3100";
  auto forza = [&](int grezzo, double attesa) -> std::optional<double> {
    if (canale == 0) b_.link.SendValueA(grezzo);
    else b_.link.SendValueB(grezzo);
    Pausa(attesa);
    return LeggiMult(volt);
  };
  auto entra = [&]() {
    b_.s.ErroreCom = 0;
    b_.link.EnterProgram();
    return b_.s.ErroreCom == 0 || Fallito("the device did not enter output forcing");
  };
  if (!entra()) return false;
  const auto y1 = forza(grezzo1, 1);
  const auto y2 = y1 ? forza(grezzo2, lento ? 3 : 1) : std::nullopt;
  b_.link.ExitProgram();
  if (!y1 || !y2) return false;
  const bool inverso = modello == "PLV7100" || lento;
  if (!ScriviFloat(indirizzo, inverso ? *y2 : *y1) || !ScriviFloat(indirizzo + 3, inverso ? *y1 : *y2)) return false;
  r.txt_k1.Text = Format(*y1, "0.000") + " / " + Format(*y2, "0.000");
  r.txt_k1.colore = Colore::Verde;
  b_.aggiorna();
  Pausa(3);
  if (*y2 == *y1) {
    // A dead output: no check point can be aimed at.
    r.txt_k1.colore = r.chk_tara.colore = Colore::Rosso;
    return true;
  }

  double tol = (fondo - zero) / 500;
  if (modello == "3200OEM") tol = (fondo - zero) / 360;
  if (modello == "PLV7150") tol = (fondo - zero) / 400;
  const std::array<double, 3> punti{zero, meta, fondo};
  std::array<TestoRisultato*, 3> caselle{&r.txt_zero, &r.txt_half, &r.txt_span};
  bool tutti = true;
  for (std::size_t i = 0; i < 3; ++i) {
    const double t = punti[i];
    const int grezzo = static_cast<int>(std::lround(800 + 2700 * (t - *y1) / (*y2 - *y1)));
    if (!entra()) return false;
    const auto y = forza(grezzo, 1);
    b_.link.ExitProgram();
    if (!y) return false;
    caselle[i]->Text = Format(*y, "0.000");
    const bool buono = std::fabs(*y - t) <= tol;
    caselle[i]->colore = buono ? Colore::Verde : Colore::Rosso;
    tutti = tutti && buono;
    b_.aggiorna();
  }
  if (!lento) {
    // Saturation: driven to the end of its scale, the output must go well
    // beyond full scale.
    std::string carico = volt ? "109A110A111A112A" : "109C110C111C112C";
    if (modello == "PLV7100") carico = volt ? "114A115A116A117C" : "114C115C116C117C";
    if (!Rele(carico)) return false;
    Pausa(0.5);
    if (!entra()) return false;
    const auto y = forza(modello == "PLV7100" ? 4040 : 0, 0.5);
    b_.link.ExitProgram();
    if (!y) return false;
    if (*y < (volt ? 10.4 : 21.5)) tutti = false;
    if (!Rele("109A110A111C112C")) return false;
  }
  r.chk_tara.colore = tutti ? Colore::Verde : Colore::Rosso;
  b_.aggiorna();
  return true;
}

}  // namespace korventa
