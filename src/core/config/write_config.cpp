#include "config/write_config.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <string>

#include "app/format.h"
#include "app/identify.h"
#include "app/numbers.h"
#include "app/texts.h"
#include "config/catalog.h"
#include "config/lookups.h"
#include "config/program_window.h"
#include "link/codecs.h"

namespace korventa {

namespace {

constexpr int kTxtSoglie = 50;
constexpr int kTxtTcCjcInterno = 62;
constexpr int kTxtValoriIngresso = 63;
constexpr int kTxtValoriUscita = 64;
constexpr int kTxtOltreLimiti = 65;
constexpr int kTxtOffsetCjc = 66;
constexpr int kTxtCanale = 72;
constexpr int kTxtControllareDati = 71;
constexpr int kTxtLivelloTrigger = 81;
constexpr int kTxtIntegrazione = 82;

// Frequency ranges of the PLV7300 trips: the catalogue's "Freq" entry is not
// used for them. The minimum difference H - L is SpanMin / 100 = 1 Hz.
constexpr double kTripFreqMin = 0.1;
constexpr double kTripFreqMax = 20000;
constexpr double kTripFreqSpan = 100;

// Response delay of the PLV7100 (firmware 4 on), PLV7150 and PLV3100: the
// device counts in steps of 58 ms on top of a fixed 0.2 s.
constexpr double kRitardoBase = 0.2;
constexpr double kRitardoPasso = 0.058;

// Trigger level of the PLV7300: level = byte * 0.0278 + 0.122.
constexpr double kTrigBase = 0.122;
constexpr double kTrigPasso = 0.0278;

bool IsTermocoppia(int code) { return code >= 7 && code <= 14; }

double Potenza10(int d) {
  double p = 1;
  for (int i = 0; i < d; ++i) p *= 10;
  return p;
}

class Writer {
 public:
  explicit Writer(Context& c) : c_(c), s_(c.s), f_(c.w.frm_program) {}

  WriteResult Run() {
    if (!ControllaScelte()) return result_;
    if (!ControlloScrittura()) return result_;
    if (!RegolaVariante2()) return result_;
    AggiornaMinimo10V(s_);
    s_.BufIndirizzi.clear();
    s_.BufDati.clear();
    const int ultimo = std::clamp(s_.NumCanali1, 0, 1);
    for (int ch = 0; ch <= ultimo; ++ch)
      if (!Canale(ch)) return result_;
    if (!RitardoRisposta()) return result_;
    if (!Soglie()) return result_;
    if (!PrimaDiScrivere(c_, 0, TipoScrittura::Configurazione)) return WriteResult::Held;
    if (!c_.link.WriteBytes(0, static_cast<int>(s_.BufIndirizzi.size()))) {
      // Program mode refused (the link has said so), or stopped before the
      // first pair: the device holds what it held.
      if (c_.link.PairsSent() == 0)
        return c_.link.Stopped() ? WriteResult::Interrupted : WriteResult::CommFailure;
      // Cut short half-way (the adapter unplugged, the port failing, the
      // program closing): the link shows nothing for that, so say here what
      // the device now holds and how far the write got.
      c_.dialogs.MsgBox(TestoScritturaParziale(s_) + "\n\n" +
                            Testo(s_, kTxtScrittiDi,
                                  {std::to_string(c_.link.PairsSent()), std::to_string(s_.BufIndirizzi.size())}),
                        Buttons::Ok, Icon::Error, Titolo());
      return WriteResult::Interrupted;
    }
    return WriteResult::Written;
  }

 private:
  int Variante() const { return s_.CodVariante; }
  bool Famiglia12() const { return s_.CodProdotto == 12; }
  std::string Titolo() const { return TitoloApplicazione(s_); }
  std::string PrefissoCanale(int ch) const { return Testo(s_, kTxtCanale) + (ch == 0 ? " A: " : " B: "); }

  void Append(int address, long data) {
    s_.BufIndirizzi.push_back(static_cast<std::uint8_t>(address));
    s_.BufDati.push_back(static_cast<std::uint8_t>(data));
  }
  // A word, low byte at the lower address.
  void AppendWord(int address, long word) {
    auto [hi, lo] = SplitWord(word);
    Append(address, lo);
    Append(address + 1, hi);
  }
  // A device float, least significant byte at the lowest address.
  void AppendFloat(int address, double x) {
    const auto b = EncodeFloat(x);  // sign/exponent, exponent/fraction, fraction
    Append(address, b[2]);
    Append(address + 1, b[1]);
    Append(address + 2, b[0]);
  }

  // Stops live measurement and re-identifies the device: the configuration
  // on screen belongs to the device that was read, and must not go to
  // another one plugged in since.
  bool ControlloScrittura() {
    switch (korventa::ControlloScrittura(c_)) {
      case EsitoControllo::Ok:
        return true;
      case EsitoControllo::Annullato:
        result_ = WriteResult::CommFailure;
        return false;
      case EsitoControllo::Rifiutato:
        break;
    }
    result_ = WriteResult::Refused;
    return false;
  }

  // A combo text the connected model does not offer would be looked up as
  // code 0 (or 0 %) and written as another setting, and an option group
  // without a choice as its first button. Neither reaches the device: the
  // message names the control, the text and what the model offers.
  bool ControllaScelte() {
    ListeModello liste = ListePerModello(s_);
    const int v = Variante();
    std::string errori;
    // perIndice: writing takes the list position, not the text.
    auto combo = [&](const char* nome, std::size_t i, ComboBox& c, const std::vector<std::string>& voci,
                     bool perIndice = false) {
      // Without a filled list (family 11 is not read) the position follows
      // the text.
      if (perIndice && c.List.empty()) {
        const auto at = std::find(voci.begin(), voci.end(), c.Text);
        c.ListIndex = at == voci.end() ? -1 : static_cast<int>(at - voci.begin());
      }
      if (perIndice ? c.ListIndex >= 0 && static_cast<std::size_t>(c.ListIndex) < voci.size()
                    : std::find(voci.begin(), voci.end(), c.Text) != voci.end())
        return;
      std::string offerte;
      for (const auto& voce : voci) offerte += (offerte.empty() ? "\"" : ", \"") + voce + "\"";
      errori += std::string(nome) + "(" + std::to_string(i) + "): \"" + c.Text + "\"" + Testo(s_, kTxtNonTraLeVoci) +
                offerte + "\n";
    };
    const bool daCanaleA = f_.chk_Doubler.Value || v == 0 || v == 7 || v == 8 || v == 9;
    // A model without a list of its own (the other PLV7100) takes any named
    // catalogue input.
    std::vector<std::string> catalogo;
    for (const auto& t : s_.TipiIngresso)
      if (!t.Nome.empty()) catalogo.push_back(t.Nome);
    // The 7110C keeps "Res300K" under device code 18 and reading shows it,
    // whether or not its list offers it for choosing.
    if (v == 6) liste.Ingressi.push_back(NomeIngresso(s_, kCodRes300K));
    for (std::size_t ch = 0; ch < 2; ++ch) {
      if (v == 7 && ch == 0)
        combo("cmb_Freq_Type", 0, f_.cmb_Freq_Type, liste.Frequenze, true);
      else if (v != 7 && (ch == 0 || !daCanaleA))
        combo("cmb_Prog_In", ch, f_.cmb_Prog_In[ch], liste.Ingressi.empty() ? catalogo : liste.Ingressi);
      combo("cmb_Prog_Out", ch, f_.cmb_Prog_Out[ch], liste.Uscite);
      combo("cmb_OverRange", ch, f_.cmb_OverRange[ch], liste.Tolleranze, true);
    }
    auto gruppo = [&](const char* nome, const auto& bottoni, std::size_t primo, std::size_t n) {
      std::size_t scelti = 0;
      for (std::size_t k = 0; k < n; ++k) scelti += bottoni[primo + k].Value ? 1 : 0;
      if (scelti == 1) return;
      errori += std::string(nome) + "(" + std::to_string(primo) + ".." + std::to_string(primo + n - 1) +
                "): " + Testo(s_, kTxtUnBottone) + std::to_string(scelti) + "\n";
    };
    // The groups writing takes for this model; channel B's wiring and
    // compensation are channel A's with the doubler and on 0, 8 and 9.
    const bool copiaB = f_.chk_Doubler.Value || v == 0 || v == 8 || v == 9;
    for (std::size_t ch = 0; ch < 2; ++ch) {
      if (v != 7 && (ch == 0 || !copiaB)) {
        gruppo("opt_CJC", f_.opt_CJC, 2 * ch, 2);
        gruppo("opt_Fili", f_.opt_Fili, 3 * ch, 3);
      }
      gruppo("opt_funz", f_.opt_funz, 3 * ch, 3);
      gruppo("opt_Break", f_.opt_Break, 2 * ch, 2);
      if (v == 0 || v == 1 || v == 7 || v == 8 || v == 9) gruppo("optTrip", f_.optTrip, 2 * ch, 2);
    }
    gruppo("optRele", f_.optRele, 0, 2);
    for (std::size_t ch = 0; ch < 2; ++ch)
      if (Famiglia12() && v == 5 && s_.Canali[ch].Operatore >= kOperatori.size())
        errori += "cmd_Operatore(" + std::to_string(ch) + "): " + std::to_string(s_.Canali[ch].Operatore) +
                  Testo(s_, kTxtNonOperatore);
    if (errori.empty()) return true;
    errori.pop_back();
    c_.dialogs.MsgBox(errori, Buttons::Ok, Icon::Error, Titolo());
    result_ = WriteResult::Refused;
    return false;
  }

  // On the "A" models (7110A, 7120A, 7210A, 7220A) channel B can only
  // compensate a thermocouple internally when channel A is a thermocouple
  // compensated internally too.
  bool RegolaVariante2() {
    if (!Famiglia12() || Variante() != 2 || s_.NumCanali1 < 1) return true;
    if (!IsTermocoppia(TipoDaTesto(s_, f_.cmb_Prog_In[1])) || !f_.opt_CJC[3].Value) return true;
    if (IsTermocoppia(TipoDaTesto(s_, f_.cmb_Prog_In[0])) && f_.opt_CJC[1].Value) return true;
    c_.dialogs.MsgBox(Testo(s_, kTxtTcCjcInterno), Buttons::Ok, Icon::Error, Titolo());
    result_ = WriteResult::Refused;
    return false;
  }

  // A limit warning: OK goes on with the values as entered, Cancel stops.
  bool Chiedi(const std::string& text) {
    if (c_.dialogs.MsgBox(text, Buttons::OkCancel, Icon::None, Titolo()) == Answer::Ok) return true;
    result_ = WriteResult::Cancelled;
    return false;
  }
  bool ControllaLimiti(const std::string& soggetto, const std::string& tags) {
    if (tags.empty()) return true;
    return Chiedi(soggetto + tags + " " + Testo(s_, kTxtOltreLimiti));
  }
  static std::string TagsRange(double max, double min, double limMax, double limMin, double spanMin) {
    // Each tag names the limit the value passes, so the user sees what the
    // type allows without looking it up.
    std::string tags;
    if (max > limMax) tags += " (MAX > " + PlainNumber(limMax) + ")";
    if (min < limMin) tags += " (MIN < " + PlainNumber(limMin) + ")";
    if (std::fabs(max - min) < spanMin) tags += " (SPAN < " + PlainNumber(spanMin) + ")";
    return tags;
  }

  // A value whose stored form does not fit its field would wrap around to
  // a different value on the device. Nothing is written then: the user has
  // to correct it. The message gives the range the field can hold.
  bool Rifiuta(const std::string& soggetto, const std::string& valore, double lo, double hi) {
    const std::string text = Testo(s_, kTxtNonMemorizzabile, {soggetto, valore, PlainNumber(lo), PlainNumber(hi)});
    c_.dialogs.MsgBox(text, Buttons::Ok, Icon::Error, Titolo());
    result_ = WriteResult::Refused;
    return false;
  }
  // `scala` is the number of stored units in one unit the user typed;
  // `gradi` converts the limits to Fahrenheit for the message.
  enum class Gradi { No, Temperatura, Differenza };
  bool Memorizzabile(long stored, long lo, long hi, const std::string& soggetto, const std::string& valore, double scala,
                     Gradi gradi = Gradi::No) {
    if (stored >= lo && stored <= hi) return true;
    auto unita = [&](long n) {
      const double x = static_cast<double>(n) / scala;
      return gradi == Gradi::Temperatura ? CtoFValue(x) : gradi == Gradi::Differenza ? DiffCtoFValue(x) : x;
    };
    return Rifiuta(soggetto, valore, unita(lo), unita(hi));
  }

  // Index of the first selected button of a group of n starting at first.
  template <class Group>
  static int Scelta(const Group& group, std::size_t first, std::size_t n) {
    for (std::size_t k = 0; k < n; ++k)
      if (group[first + k].Value) return static_cast<int>(k);
    return 0;
  }

  bool Canale(int ch) {
    const auto c = static_cast<std::size_t>(ch);
    const int v = Variante();
    DatiCanale& rec = s_.Canali[c];
    const std::string canale = PrefissoCanale(ch);

    // Single-input models and the doubler take channel A's input.
    const bool daCanaleA = f_.chk_Doubler.Value || v == 0 || v == 7 || v == 8 || v == 9;
    const int code = TipoDaTesto(s_, f_.cmb_Prog_In[daCanaleA ? 0 : c]);
    if (daCanaleA) {
      f_.txt_Input_max[1].Text = f_.txt_Input_max[0].Text;
      f_.txt_Input_min[1].Text = f_.txt_Input_min[0].Text;
    }
    codici_[c] = code;

    // Input limits, in the units the boxes show. Only temperature types
    // are ever shown in Fahrenheit; a stale flag on another type must not
    // turn its mV or ohm into degrees.
    // Channel B's boxes that were just given channel A's texts hold them in
    // channel A's scale, whatever channel B's own (often hidden) choice is.
    const bool far = s_.GradiF[daCanaleA ? 0 : c] && IsFahrenheitConvertible(code);
    const TipoIngresso& tipo = s_.TipiIngresso[static_cast<std::size_t>(code)];
    double limMax = tipo.Max, limMin = tipo.Min, span = tipo.SpanMin;
    if (far) {
      limMax = CtoFValue(limMax);
      limMin = CtoFValue(limMin);
      span = DiffCtoFValue(span);
    }
    const double max = Val(f_.txt_Input_max[c].Text);
    const double min = Val(f_.txt_Input_min[c].Text);
    const std::string soggettoIn = canale + Testo(s_, kTxtValoriIngresso);
    if (!ControllaLimiti(soggettoIn, TagsRange(max, min, limMax, limMin, span))) return false;

    // Decimals of the stored range.
    rec.DecIn = static_cast<std::uint8_t>(v == 7 ? DecimaliFrequenza(max) : tipo.Decimali);
    rec.TipoIn = static_cast<std::uint8_t>(code);

    // Input byte.
    long ingresso = 0;
    if (v == 7) {
      const int sensore = std::clamp(f_.cmb_Freq_Type.ListIndex, 0, 7);
      ingresso = sensore + (f_.chk_50hz.Value ? 8 : 0);
    } else {
      ingresso = CodiceVersoDispositivo(s_, code);
      // Bits 0-4 hold the code; a larger one would set the bits beside it.
      const std::string soggetto = canale + Testo(s_, kTxtTipoIngresso);
      if (!Memorizzabile(ingresso, 0, 31, soggetto, std::to_string(ingresso), 1)) return false;
    }
    Append(ch, ingresso);
    if (v == 0 || v == 8 || v == 9) Append(1, ingresso);

    // Options byte. The fields are bits of their own: they are combined
    // so that one can never carry into the next.
    const int funzione = Scelta(f_.opt_funz, 3 * c, 3);
    long opzioni = funzione;
    if (f_.opt_Break[2 * c + 1].Value) opzioni |= 128;
    if (f_.optRele[1].Value) opzioni |= 64;
    if (Famiglia12() && v == 5) opzioni |= (rec.Operatore & 15) << 3;
    rec.Funzione = static_cast<std::uint8_t>(funzione);
    Append(3 + 2 * ch, opzioni);

    // The physical values of the two-input model.
    if (v == 5 && ch == 0) {
      DatiCanale& a = s_.Canali[0];
      DatiCanale& b = s_.Canali[1];
      a.FisicoMax = Val(f_.txt_Fisico_max[2].Text);
      a.FisicoMin = Val(f_.txt_Fisico_min[2].Text);
      b.FisicoMax = Val(f_.txt_Fisico_max[3].Text);
      b.FisicoMin = Val(f_.txt_Fisico_min[3].Text);
      a.FisicoOutMax = Val(f_.txt_FisicoOut_max[0].Text);
      a.FisicoOutMin = Val(f_.txt_FisicoOut_min[0].Text);
      b.FisicoOutMax = Val(f_.txt_FisicoOut_max[1].Text);
      b.FisicoOutMin = Val(f_.txt_FisicoOut_min[1].Text);
      AppendFloat(128, a.FisicoMax);
      AppendFloat(131, a.FisicoMin);
      AppendFloat(134, b.FisicoMax);
      AppendFloat(137, b.FisicoMin);
      AppendFloat(140, a.FisicoOutMax);
      AppendFloat(143, a.FisicoOutMin);
      AppendFloat(147, b.FisicoOutMax);
      AppendFloat(150, b.FisicoOutMin);
      // The MAX/MIN operators' delay, in steps of 75 ms.
      const double secondi = Val(c_.w.frm_Oper.txt_Opzione.Text);
      const long ritardo = Round(secondi * 10 / 0.75);
      if (!Memorizzabile(ritardo, 0, 255, "Delay", c_.w.frm_Oper.txt_Opzione.Text, 10 / 0.75)) return false;
      Append(146, ritardo);
    }

    // Bit 6 of the output byte belongs to the device on the models
    // without trips: read it so the write hands it back unchanged.
    long conservato = 0;
    if (!(Famiglia12() && (v == 0 || v == 7 || v == 8 || v == 9))) {
      const auto letto = c_.link.ReadBytes(0, 4 + 2 * ch, 1);
      if (s_.ErroreCom) {
        c_.dialogs.MsgBox(Testo(s_, kTxtControllareDati), Buttons::Ok, Icon::Error, Titolo());
        result_ = WriteResult::CommFailure;
        return false;
      }
      conservato = letto[0] & 64;
    }

    // Output limits.
    const int uscita = UscitaDaTesto(s_, f_.cmb_Prog_Out[c]);
    const TipoUscita& tu = s_.TipiUscita[static_cast<std::size_t>(uscita)];
    const double outMax = Val(f_.txt_Output_max[c].Text);
    const double outMin = Val(f_.txt_Output_min[c].Text);
    const std::string soggettoOut = canale + Testo(s_, kTxtValoriUscita);
    if (!ControllaLimiti(soggettoOut, TagsRange(outMax, outMin, tu.Max, tu.Min, tu.SpanMin))) return false;
    rec.TipoOut = static_cast<std::uint8_t>(uscita);

    // Output byte.
    long out = conservato | uscita;
    if (f_.chk_Doubler.Value) out |= 32;
    if (f_.chk_Doubler.Value || v == 0 || v == 8 || v == 9) {
      // Channel B follows channel A's wiring and compensation.
      for (std::size_t k = 0; k < 3; ++k) f_.opt_Fili[3 + k].Value = f_.opt_Fili[k].Value;
      f_.opt_CJC[2].Value = f_.opt_CJC[0].Value;
      f_.opt_CJC[3].Value = f_.opt_CJC[1].Value;
    }
    const long fili = static_cast<long>(Scelta(f_.opt_Fili, 3 * c, 3)) * 4;
    const bool cjcInterno = f_.opt_CJC[2 * c + 1].Value;
    const bool tripMin = f_.optTrip[2 * c + 1].Value;
    if (v == 7) {
      out |= static_cast<long>(s_.Canali[0].DecIn) * 4;
      if (tripMin) out |= 64;
    } else if (v == 0 || v == 1 || v == 8 || v == 9) {
      out |= fili;
      if (cjcInterno) out |= 16;
      if (f_.chk_HS.Value) out |= 128;
      if (tripMin) out |= 64;
    } else if (v >= 2 && v <= 6) {
      out |= fili;
      if (cjcInterno) out |= 16;
    }
    Append(4 + 2 * ch, out);

    // Frequency input with the "Volt" sensor and no 50 Hz filter.
    if (v == 7 && ingresso == 6) {
      const double aux = Val(f_.txt_aux_freq.Text);
      const long vaux = Round(aux);
      if (!Memorizzabile(vaux, 0, 255, "Vaux", f_.txt_aux_freq.Text, 1)) return false;
      Append(63, vaux);
      // The level shown after a read is byte * 0.0278 + 0.122 as decimal
      // text; taking the integer part of that text's quotient directly would
      // sometimes land just below the byte (9.9999999 -> 9), so writing an
      // unchanged level back would lower it by one step each time.
      const double livello = Val(f_.txt_Trig.Text);
      const long trig = static_cast<long>(std::floor((livello - kTrigBase) / kTrigPasso + 1e-6));
      if (trig < 0 || trig > 255) {
        const std::string soggetto = Testo(s_, kTxtLivelloTrigger);
        return Rifiuta(soggetto, f_.txt_Trig.Text, kTrigBase, 255 * kTrigPasso + kTrigBase);
      }
      Append(64, trig);
      const double filtro = Val(f_.txt_filter.Text);
      const long wf = Round(filtro);
      if (!Memorizzabile(wf, 0, 65535, Testo(s_, kTxtIntegrazione), f_.txt_filter.Text, 1)) return false;
      AppendWord(53, wf);
    }

    // Range block: words of value * 10^DecIn (in degrees Celsius),
    // outputs in thousandths of mA or V. Words are unsigned on the PLV7300.
    const int base = ch == 0 ? 20 : 12;
    const double inMax = far ? FtoCValue(max) : max;
    const double inMin = far ? FtoCValue(min) : min;
    rec.InMax = inMax;
    rec.InMin = inMin;
    rec.OutMax = outMax;
    rec.OutMin = outMin;
    double scala = Potenza10(rec.DecIn);
    if (v == 6 && code == kCodRes300K) scala *= 10;  // one decimal more than the catalogue's
    const long lo = v == 7 ? 0 : -32768;
    const long hi = v == 7 ? 65535 : 32767;
    const Gradi gradi = far ? Gradi::Temperatura : Gradi::No;
    const long wMax = Round(inMax * scala);
    const long wMin = Round(inMin * scala);
    if (!Memorizzabile(wMax, lo, hi, soggettoIn, f_.txt_Input_max[c].Text, scala, gradi)) return false;
    if (!Memorizzabile(wMin, lo, hi, soggettoIn, f_.txt_Input_min[c].Text, scala, gradi)) return false;
    const long wOutMax = Round(outMax * 1000);
    const long wOutMin = Round(outMin * 1000);
    if (!Memorizzabile(wOutMax, lo, hi, soggettoOut, f_.txt_Output_max[c].Text, 1000)) return false;
    if (!Memorizzabile(wOutMin, lo, hi, soggettoOut, f_.txt_Output_min[c].Text, 1000)) return false;
    AppendWord(base, wMax);
    AppendWord(base + 2, wMin);
    AppendWord(base + 4, wOutMax);
    AppendWord(base + 6, wOutMin);

    // Cold-junction offset: a signed byte in tenths of a degree Celsius.
    double offset = Val(f_.txt_offset[c].Text);
    // The offset box is the channel's own, in the channel's own scale.
    const bool farOffset = s_.GradiF[c] && IsFahrenheitConvertible(code);
    if (farOffset) offset = DiffFtoCValue(offset);
    const long decimi = Round(offset * 10);
    const std::string soggettoCjc = canale + Testo(s_, kTxtOffsetCjc);
    if ((decimi < -125 || decimi > 125) &&
        !Chiedi(soggettoCjc + " (" + PlainNumber(farOffset ? DiffCtoFValue(-12.5) : -12.5) + " ... " +
                PlainNumber(farOffset ? DiffCtoFValue(12.5) : 12.5) + ") " + Testo(s_, kTxtOltreLimiti)))
      return false;
    if (!Memorizzabile(decimi, -128, 127, soggettoCjc, f_.txt_offset[c].Text, 10, farOffset ? Gradi::Differenza : Gradi::No))
      return false;
    Append(7 + ch, decimi < 0 ? decimi + 256 : decimi);

    // Over-range tolerance of both channels in one byte.
    if (ch == 0) {
      const int a = std::clamp(f_.cmb_OverRange[0].ListIndex, 0, 3);
      const int b = std::clamp(f_.cmb_OverRange[1].ListIndex, 0, 3);
      Append(9, a + 4 * b);
    }
    return true;
  }

  bool RitardoRisposta() {
    const int v = Variante();
    if (!(Famiglia12() && ((v == 0 && s_.VerSw >= 4) || v == 8 || v == 9))) return true;
    const double secondi = Val(f_.txt_Delay.Text);
    const double d = std::max(0.0, secondi - kRitardoBase);
    long raw = Round(d / kRitardoPasso);
    double passo = kRitardoPasso;
    if (v == 8 || v == 9) {  // these count in double steps
      raw = Round(static_cast<double>(raw) / 2);
      passo *= 2;
    }
    if (raw > 65535)
      return Rifiuta(Testo(s_, kTxtTempoRisposta), f_.txt_Delay.Text, kRitardoBase, 65535 * passo + kRitardoBase);
    s_.RitardoRaw = static_cast<std::uint16_t>(raw);
    AppendWord(28, raw);
    return true;
  }

  bool Soglie() {
    const int v = Variante();
    if (v != 0 && v != 7) return true;
    const int code = codici_[0];
    const TipoIngresso& tipo = s_.TipiIngresso[static_cast<std::size_t>(code)];
    const int ultima = v == 7 ? 1 : 0;
    for (int t = 0; t <= ultima; ++t) {
      const auto i = static_cast<std::size_t>(t);
      double limMax = v == 7 ? kTripFreqMax : tipo.Max;
      double limMin = v == 7 ? kTripFreqMin : tipo.Min;
      double span = v == 7 ? kTripFreqSpan : tipo.SpanMin;
      // Thresholds are shown in Fahrenheit only on the PLV7100 with channel
      // A's temperature in Fahrenheit. The PLV7300 has no scale choice, and a
      // flag left over from a thermocouple must not turn millivolts or hertz
      // into degrees.
      const bool far = v == 0 && s_.GradiF[i] && IsFahrenheitConvertible(code);
      if (far) {
        limMax = CtoFValue(limMax);
        limMin = CtoFValue(limMin);
        span = DiffCtoFValue(span);
      }
      const double h = Val(f_.txt_soglia_H[i].Text);
      const double l = Val(f_.txt_soglia_L[i].Text);
      const double ritardo = Val(f_.txt_soglia_Delay[i].Text);
      std::string tags;
      if (h > limMax) tags += " (Hi>" + PlainNumber(limMax) + ")";
      if (h < limMin) tags += " (Hi<" + PlainNumber(limMin) + ")";
      if (l > limMax) tags += " (Lo>" + PlainNumber(limMax) + ")";
      if (l < limMin) tags += " (Lo<" + PlainNumber(limMin) + ")";
      if (h - l < span / 100) tags += " (Diff<" + PlainNumber(span / 100) + ")";
      if (ritardo < 0 || ritardo > 255) tags += " (Delay)";
      const std::string soggetto = PrefissoCanale(t) + Testo(s_, kTxtSoglie);
      if (!ControllaLimiti(soggetto, tags)) return false;

      double hc = far ? FtoCValue(h) : h;
      double lc = far ? FtoCValue(l) : l;
      if (v == 0 && (code == kCod10V || code == kCod20mA)) {
        const double scala = Potenza10(s_.Canali[0].DecIn);
        hc *= scala;
        lc *= scala;
      }
      const int base = v == 0 ? 10 + 6 * t : 28 + 6 * t;
      AppendFloat(base, hc);
      AppendFloat(base + 3, lc);
      // Trip delay: steps of 1/7.5 s on the PLV7100, whole seconds on the
      // PLV7300.
      const double secondi = Val(f_.txt_soglia_Delay[0].Text);
      const long byte = v == 0 ? Round(secondi * 10 * 0.75) : Round(secondi);
      if (!Memorizzabile(byte, 0, 255, soggetto + " (Delay)", f_.txt_soglia_Delay[0].Text, v == 0 ? 7.5 : 1)) return false;
      Append(8, byte);
    }
    return true;
  }

  Context& c_;
  ProgramState& s_;
  FrmProgram& f_;
  std::array<int, 2> codici_{0, 0};
  WriteResult result_ = WriteResult::Refused;
};

}  // namespace

int DecimaliFrequenza(double massimo) {
  int d = 0;
  for (double soglia : {6500.0, 650.0, 65.0, 6.5, 0.65})
    if (massimo <= soglia) ++d;
  return std::min(d, 3);
}

WriteResult WriteEprom(Context& c) { return Writer(c).Run(); }

std::string TestoScritturaParziale(const ProgramState& s) { return Testo(s, kTxtScritturaParziale); }

Rilettura VerificaScrittura(Context& c) {
  ProgramState& s = c.s;
  std::map<int, int> atteso;
  for (std::size_t i = 0; i < s.BufIndirizzi.size() && i < s.BufDati.size(); ++i)
    atteso[s.BufIndirizzi[i]] = s.BufDati[i];
  Rilettura v;
  v.Indirizzi = atteso.size();
  if (atteso.empty()) {
    v.Letta = true;
    return v;
  }
  // Bit 6 of the output bytes is the device's own where writing preserves it.
  const int var = s.CodVariante;
  const bool bitDelDispositivo = !(s.CodProdotto == 12 && (var == 0 || var == 7 || var == 8 || var == 9));
  // One block read per run of addresses: a gap costs a reply time per
  // address, a block of its own the pauses of a transaction (0.4 s).
  constexpr int kVuotoMassimo = 32;
  std::map<int, int> trovati;
  for (auto it = atteso.begin(); it != atteso.end();) {
    const int primo = it->first;
    int ultimo = primo;
    for (++it; it != atteso.end() && it->first - ultimo <= kVuotoMassimo; ++it) ultimo = it->first;
    const auto letto = c.link.ReadBytes(0, primo, ultimo - primo + 1);
    if (s.ErroreCom) return v;
    for (int a = primo; a <= ultimo; ++a) trovati[a] = letto[static_cast<std::size_t>(a - primo)];
  }
  v.Letta = true;
  for (const auto& [indirizzo, byte] : atteso) {
    const int trovato = trovati[indirizzo];
    const int maschera = bitDelDispositivo && (indirizzo == 4 || indirizzo == 6) ? ~64 : ~0;
    if (((trovato ^ byte) & maschera & 0xFF) != 0)
      v.Differenze.push_back(
          Testo(s, kTxtRiletturaDiversa, {std::to_string(indirizzo), std::to_string(byte), std::to_string(trovato)}));
  }
  return v;
}

std::string TestoVerifica(const ProgramState& s, const Rilettura& v) {
  if (!v.Letta) return Testo(s, kTxtNonVerificato);
  if (v.Differenze.empty()) return Testo(s, kTxtVerificato, {std::to_string(v.Indirizzi)});
  std::string t = Testo(s, kTxtVerificatoDiversi, {std::to_string(v.Differenze.size()), std::to_string(v.Indirizzi)});
  for (const auto& d : v.Differenze) t += "\n" + d;
  return t;
}

}  // namespace korventa
