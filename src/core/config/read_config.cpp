#include "config/read_config.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "app/format.h"
#include "app/identify.h"
#include "app/numbers.h"
#include "app/texts.h"
#include "config/lookups.h"
#include "link/codecs.h"

namespace korventa {

namespace {

constexpr int kTestoErroreDati = 71;  // "Error: check configuration data"
constexpr const char* kMaschera = "#0.###";
constexpr const char* kMascheraUnDecimale = "#0.0";

std::size_t U(int i) { return static_cast<std::size_t>(i); }

// A number as a box shows it when the program simply puts the value there:
// up to 15 significant digits, no exponent, no trailing zeros.
std::string TestoNumero(double x) { return Format(x, "0.##############"); }

// The 3-byte device float at address a: least significant byte first.
double Float3(const std::array<std::uint8_t, 256>& b, int a) {
  return DecodeFloat(b[U(a + 1)], b[U(a)], b[U(a + 2)]);
}

void Canale(ProgramState& s, FrmProgram& f, FrmOper& oper, const std::array<std::uint8_t, 256>& b, int ch) {
  const int v = s.CodVariante;
  const std::size_t c = U(ch);
  DatiCanale& rec = s.Canali[c];
  const std::uint8_t opzioni = b[U(3 + 2 * ch)];
  const std::uint8_t uscita = b[U(4 + 2 * ch)];
  auto word = [&](int a) { return static_cast<double>(JoinWord(b[U(a + 1)], b[U(a)], s.ConSegno)); };

  // 1. Input code (variant 6 keeps "Res300K" as 18, variant 7 is all "Freq").
  const int code = CodiceDaDispositivo(s, b[c] & 0x1F);
  const TipoIngresso& tipo = s.TipiIngresso[U(code)];
  // An input without temperatures has no scale buttons on screen. A °F
  // choice left from an earlier device would stay hidden and still make
  // writing take this channel's thresholds as °F (the PLV7300's hertz, a
  // PLV7100's millivolts): the channel goes back to °C.
  if (!IsFahrenheitConvertible(code)) {
    s.GradiF[c] = false;
    f.opt_gradi[c].Value = true;
    f.opt_gradi_far[c].Value = false;
  }
  MostraIngresso(s, f.cmb_Prog_In[c], code);
  cmb_Prog_In_Change(s, f, ch);

  // 2. Output type.
  rec.TipoOut = uscita & 3;
  MostraUscita(s, f.cmb_Prog_Out[c], rec.TipoOut);
  cmb_Prog_Out_Change(s, f, ch);

  // 3.-5. Range block: channel A at 20, channel B at 12.
  const int base = ch == 0 ? 20 : 12;
  const int d = v == 7 ? (b[4] & 0x0C) / 4 : tipo.Decimali;
  double scala = std::pow(10.0, d);
  if (v == 6 && code == kCodRes300K) scala *= 10;  // one decimal more than the catalogue's
  rec.InMax = word(base) / scala;
  rec.InMin = word(base + 2) / scala;

  // 6. Input boxes, in the channel's scale for temperatures.
  const bool fahrenheit = f.opt_gradi_far[c].Value;
  auto range = [&](double x) { return IsFahrenheitConvertible(code) && fahrenheit ? CtoF(x) : Format(x, kMaschera); };
  f.txt_Input_max[c].Text = range(rec.InMax);
  f.txt_Input_min[c].Text = range(rec.InMin);

  // 7. Output range, in mA or V.
  rec.OutMax = word(base + 4) / 1000;
  rec.OutMin = word(base + 6) / 1000;
  f.txt_Output_max[c].Text = Format(rec.OutMax, kMaschera);
  f.txt_Output_min[c].Text = Format(rec.OutMin, kMaschera);

  // 8. Burn-out: bit 7 set = down.
  SelezionaOpzione(Gruppo(f.opt_Break, 2 * c, 2), opzioni >> 7);

  // 9. Frequency sensor and filter, or wiring and compensation. A wiring
  // value of 3 names no button: none is selected.
  if (v == 7) {
    f.cmb_Freq_Type.Select(b[0] & 7);
    cmb_Freq_Type_Change(s, f);
    f.chk_50hz.Value = (b[0] & 0x08) != 0;
  } else {
    SelezionaOpzione(Gruppo(f.opt_Fili, 3 * c, 3), (uscita >> 2) & 3);
    SelezionaOpzione(Gruppo(f.opt_CJC, 2 * c, 2), (uscita >> 4) & 1);
  }

  // 10. Transfer function (a code above 2 names no button).
  SelezionaOpzione(Gruppo(f.opt_funz, 3 * c, 3), opzioni & 7);

  // 11. Operator of the two-input model.
  rec.Operatore = (opzioni >> 3) & 0x0F;
  if (rec.Operatore < oper.opt_Oper.size()) {
    SelezionaOpzione(oper.opt_Oper, rec.Operatore);
    f.cmd_Operatore[c].Caption = kOperatori[rec.Operatore];
  } else {
    SelezionaOpzione(oper.opt_Oper, -1);
    f.cmd_Operatore[c].Caption.clear();
  }

  // 12. Over-range tolerance of both channels.
  f.cmb_OverRange[0].Select(b[9] & 3);
  f.cmb_OverRange[1].Select((b[9] >> 2) & 3);

  // 13. Doubler and high speed, from channel A's output byte. A clear
  // high-speed bit clears the box, so a tick left from an earlier device is
  // never written to this one.
  if (v != 7) {
    f.chk_Doubler.Value = (b[4] & 0x20) != 0;
    chk_Doubler_Click(s, f);
  }
  f.chk_HS.Value = (b[4] & 0x80) != 0;

  // 14. Frequency set-up words.
  f.txt_filter.Text = std::to_string(JoinWord(b[54], b[53], s.ConSegno));
  f.txt_aux_freq.Text = std::to_string(b[63]);
  f.txt_Trig.Text = TestoNumero(b[64] * 0.0278 + 0.122);

  // 15. Cold-junction offset: signed tenths of a degree Celsius.
  const double offset = static_cast<std::int8_t>(b[U(7 + ch)]) / 10.0;
  f.txt_offset[c].Text = Format(IsFahrenheitConvertible(code) && fahrenheit ? DiffCtoFValue(offset) : offset, kMascheraUnDecimale);

  // 16.-17. The "10 V" minimum of this device, then the range captions.
  if (code == kCod10V) AggiornaMinimo10V(s);
  DidascalieIngresso(s, f, ch, code);
  DidascalieUscita(s, f, ch, rec.TipoOut);

  // 18. Trips of the PLV7100 (variant 0, trip A meaningful) and PLV7300.
  if (v != 0 && v != 7) return;
  const double ritardo = v == 0 ? Round(b[8] / 0.75) / 10.0 : static_cast<double>(b[8]);
  f.txt_soglia_Delay[c].Text = TestoNumero(ritardo);
  const int sbase = v == 0 ? 10 + 6 * ch : 28 + 6 * ch;
  DatiSoglia& soglia = s.Soglie[c];
  soglia.SogliaH = Float3(b, sbase);
  soglia.SogliaL = Float3(b, sbase + 3);
  if (v == 0 && (code == kCod10V || code == kCod20mA)) {
    // Voltage and current thresholds are stored scaled like the range.
    const double k = std::pow(10.0, tipo.Decimali);
    soglia.SogliaH /= k;
    soglia.SogliaL /= k;
  }
  const int minimo = (uscita >> 6) & 1;
  SelezionaOpzione(Gruppo(f.optTrip, 2 * c, 2), minimo);
  soglia.SogliaMin = minimo ? -1 : 0;
  // The relay contact is bit 6 of the channel's own options byte. (Byte
  // 3 + ch would give trip B the trip mode of A, bit 6 of byte 4.)
  SelezionaOpzione(Gruppo(f.optRele, 2 * c, 2), (opzioni >> 6) & 1);
  const bool sogliaF = v == 0 && s.GradiF[0];
  f.txt_soglia_H[c].Text = sogliaF ? CtoF(soglia.SogliaH) : Format(soglia.SogliaH, kMaschera);
  f.txt_soglia_L[c].Text = sogliaF ? CtoF(soglia.SogliaL) : Format(soglia.SogliaL, kMaschera);
}

std::array<std::uint8_t, 256> Immagine(std::span<const std::uint8_t> block, std::size_t length) {
  std::array<std::uint8_t, 256> b{};
  std::copy_n(block.begin(), std::min({block.size(), length, b.size()}), b.begin());
  return b;
}

}  // namespace

void DecodificaConfigurazione(ProgramState& s, FrmProgram& f, FrmOper& oper, std::span<const std::uint8_t> block) {
  const auto b = Immagine(block, kLunghezzaBlocco0);
  const int v = s.CodVariante;
  // Words are signed on every variant but the frequency converter.
  s.ConSegno = v != 7;
  for (int ch = 0; ch <= s.NumCanali1 && ch < 2; ++ch) Canale(s, f, oper, b, ch);

  // Response delay of the PLV7100 (firmware 4 on), PLV7150 and PLV3100.
  if (s.CodProdotto == 12 && ((v == 0 && s.VerSw >= 4) || v == 8 || v == 9)) {
    s.RitardoRaw = static_cast<std::uint16_t>(JoinWord(b[29], b[28], false));
    const double passo = v == 0 ? 0.058 : 0.058 * 2;  // the 7150 and 3100 count at half the rate
    // Three decimals: the step is 58 ms, so one decimal would name a
    // neighbouring step and writing the unedited window back would change it.
    f.txt_Delay.Text = Format(s.RitardoRaw * passo + 0.2, kMaschera);
  }
  CopiaValori(f);
}

void DecodificaFisici(ProgramState& s, FrmProgram& f, FrmOper& oper, std::span<const std::uint8_t> block) {
  const auto b = Immagine(block, kLunghezzaBlocco128);
  auto at = [&](int address) { return Float3(b, address - kInizioBlocco128); };
  DatiCanale& a = s.Canali[0];
  DatiCanale& bb = s.Canali[1];
  a.FisicoMax = at(128);
  a.FisicoMin = at(131);
  bb.FisicoMax = at(134);
  bb.FisicoMin = at(137);
  a.FisicoOutMax = at(140);
  a.FisicoOutMin = at(143);
  bb.FisicoOutMax = at(147);
  bb.FisicoOutMin = at(150);
  f.txt_Fisico_max[2].Text = Format(a.FisicoMax, kMaschera);
  f.txt_Fisico_min[2].Text = Format(a.FisicoMin, kMaschera);
  f.txt_Fisico_max[3].Text = Format(bb.FisicoMax, kMaschera);
  f.txt_Fisico_min[3].Text = Format(bb.FisicoMin, kMaschera);
  f.txt_FisicoOut_max[0].Text = Format(a.FisicoOutMax, kMaschera);
  f.txt_FisicoOut_min[0].Text = Format(a.FisicoOutMin, kMaschera);
  f.txt_FisicoOut_max[1].Text = Format(bb.FisicoOutMax, kMaschera);
  f.txt_FisicoOut_min[1].Text = Format(bb.FisicoOutMin, kMaschera);
  // The MAX/MIN delay, stored in steps of 75 ms: shown with the three
  // decimals the step needs, so that an unedited value writes back the same.
  oper.txt_Opzione.Text = Format(b[U(146 - kInizioBlocco128)] * 0.075, kMaschera);
}

int ReadEprom(Context& c, MemoriaLetta* memoria) {
  ProgramState& s = c.s;
  switch (ControlloLettura(c)) {
    case EsitoControllo::Annullato: return kLetturaAnnullata;
    case EsitoControllo::Rifiutato: return kLetturaRifiutata;
    case EsitoControllo::Ok: break;
  }
  // The "10 V" minimum follows the device just identified, whatever its
  // channels hold now, so choosing "10 V" later shows this model's limits.
  AggiornaMinimo10V(s);
  RiempiListe(s, c.w.frm_program);
  if (memoria) *memoria = MemoriaLetta{};

  auto errore = [&] {
    c.dialogs.MsgBox(Testo(s, kTestoErroreDati), Buttons::Ok, Icon::Error, TitoloApplicazione(s));
    return kLetturaErrore;
  };
  const auto blocco0 = c.link.ReadBytes(0, 0, kLunghezzaBlocco0);
  if (s.ErroreCom) return errore();
  const std::span<const std::uint8_t> b0(blocco0.data(), kLunghezzaBlocco0);
  if (memoria) memoria->blocco0.assign(b0.begin(), b0.end());
  DecodificaConfigurazione(s, c.w.frm_program, c.w.frm_Oper, b0);

  if (s.CodProdotto == 12 && s.CodVariante == 5) {
    const auto blocco1 = c.link.ReadBytes(0, kInizioBlocco128, kLunghezzaBlocco128);
    if (s.ErroreCom) return errore();
    const std::span<const std::uint8_t> b1(blocco1.data(), kLunghezzaBlocco128);
    if (memoria) memoria->blocco128.assign(b1.begin(), b1.end());
    DecodificaFisici(s, c.w.frm_program, c.w.frm_Oper, b1);
  }
  c.w.LettoDalDispositivo = c.w.frm_program;
  return kLetturaOk;
}

}  // namespace korventa
