#include "config/program_window.h"

#include <string>

#include "app/format.h"
#include "app/numbers.h"
#include "app/state.h"
#include "app/texts.h"
#include "config/lookups.h"

namespace korventa {

namespace {

constexpr int kTestoDuplicatore = 31;  // "DUPLIC." / "DOUBLER", channel B's doubler entry
constexpr const char* kCelsius = "°C";
constexpr const char* kFahrenheit = "°F";

std::size_t U(int i) { return static_cast<std::size_t>(i); }

bool ValidChannel(int ch) { return ch == 0 || ch == 1; }

// Channel `index` shows its temperatures in °F.
bool MostraFahrenheit(const FrmProgram& f, int ch) { return f.opt_gradi_far[U(ch)].Value; }

// The unit labels of a channel's input: maximum and minimum, and its trip.
void UnitaIngresso(FrmProgram& f, int ch, const std::string& unit) {
  f.lbl_uMisIn[U(2 * ch)].Caption = unit;
  f.lbl_uMisIn[U(2 * ch + 1)].Caption = unit;
  f.lbl_uMisS[U(ch)].Caption = unit;
}

// Celsius <-> Fahrenheit of a channel's boxes: ranges and (channel A) trip
// thresholds as temperatures, the cold-junction offset as a difference.
void ConvertiCanale(FrmProgram& f, int ch, bool toFahrenheit) {
  auto temp = [&](TextBox& b) { b.Text = toFahrenheit ? CtoF(b.Text) : FtoC(b.Text); };
  temp(f.txt_Input_max[U(ch)]);
  temp(f.txt_Input_min[U(ch)]);
  f.txt_offset[U(ch)].Text = toFahrenheit ? DiffCtoF(f.txt_offset[U(ch)].Text) : DiffFtoC(f.txt_offset[U(ch)].Text);
  if (ch == 0) {
    temp(f.txt_soglia_H[0]);
    temp(f.txt_soglia_L[0]);
  }
}

void CambiaScala(ProgramState& s, FrmProgram& f, int index, bool toFahrenheit) {
  if (!s.EventiAttivi || !ValidChannel(index)) return;
  f.opt_gradi[U(index)].Value = !toFahrenheit;
  f.opt_gradi_far[U(index)].Value = toFahrenheit;
  const int code = CodiceIngressoCanale(s, f, index);
  // Convert only what is shown in the other scale, so a second click on the
  // same choice cannot convert twice.
  if (IsFahrenheitConvertible(code) && s.GradiF[U(index)] != toFahrenheit) ConvertiCanale(f, index, toFahrenheit);
  // The labels follow the scale for temperatures only: a mV input keeps "mV".
  if (IsFahrenheitConvertible(code)) UnitaIngresso(f, index, toFahrenheit ? kFahrenheit : kCelsius);
  DidascalieIngresso(s, f, index, code);
  s.GradiF[U(index)] = toFahrenheit;
}

void Mostra(Control& c, bool visible) { c.Visible = visible; }

}  // namespace

void SelezionaOpzione(std::span<OptionButton> group, int chosen) {
  for (std::size_t i = 0; i < group.size(); ++i) group[i].Value = static_cast<int>(i) == chosen;
}

void FrmProgram_Load(ProgramState& s, FrmProgram& f) {
  s.Canali[0].Operatore = 0;
  s.Canali[1].Operatore = 0;
  f.Caricato = true;
  // Design-time captions that no language changes.
  static constexpr const char* kFili[] = {"2", "4", "3"};
  for (int ch = 0; ch < 2; ++ch) {
    for (int i = 0; i < 3; ++i) f.opt_Fili[U(3 * ch + i)].Caption = kFili[i];
    // Bit 6 set means "on the minimum" (button 2*ch+1) and the second relay
    // contact (button 2*ch+1).
    f.optTrip[U(2 * ch)].Caption = "Max";
    f.optTrip[U(2 * ch + 1)].Caption = "Min";
    f.optRele[U(2 * ch)].Caption = "NO";
    f.optRele[U(2 * ch + 1)].Caption = "NC";
    SelezionaOpzione(Gruppo(f.opt_CJC, U(2 * ch), 2), 0);
    SelezionaOpzione(Gruppo(f.opt_funz, U(3 * ch), 3), 0);
    SelezionaOpzione(Gruppo(f.opt_Fili, U(3 * ch), 3), 0);
    SelezionaOpzione(Gruppo(f.opt_Break, U(2 * ch), 2), 0);
    SelezionaOpzione(Gruppo(f.optTrip, U(2 * ch), 2), 0);
    SelezionaOpzione(Gruppo(f.optRele, U(2 * ch), 2), 0);
    f.opt_gradi[U(ch)].Value = !s.GradiF[U(ch)];
    f.opt_gradi_far[U(ch)].Value = s.GradiF[U(ch)];
    f.opt_gradi[U(ch)].Caption = kCelsius;
    f.opt_gradi_far[U(ch)].Caption = kFahrenheit;
    f.cmd_Operatore[U(ch)].Caption = kOperatori[0];
  }
  f.cmd_OperOk.Caption = "<--";
  f.lbl_aux.Caption = "Vaux";
  f.lbl_uMisAux.Caption = "V";
  f.frm_modo[1].Visible = true;
  f.frm_modo[2].Visible = true;
  f.frm_modo[3].Visible = false;
  f.frm_input[3].Visible = false;
  // The multiplier caption has no value of its own in the memory map.
  f.lbl_mult.Visible = false;
  f.lbl_uMisTrig[1].Visible = false;
  ModuloVuoto(f);
}

void ModuloVuoto(FrmProgram& f) {
  f.Vuoto = true;
  for (auto* group : {&f.frm_input, &f.frm_fisico})
    for (Frame& fr : *group) fr.Visible = false;
  for (auto* group : {&f.frm_output, &f.frm_options, &f.frm_soglia})
    for (Frame& fr : *group) fr.Visible = false;
  f.frm_opt.Visible = false;
  f.frm_freq.Visible = false;
  f.cmd_math.Visible = false;
  f.frm_modo[2].Enabled = false;
}

void ModuloPieno(FrmProgram& f) {
  f.Vuoto = false;
  // Channel A's frames stand on every model; the model set-up decides the
  // rest.
  f.frm_input[0].Visible = true;
  f.frm_output[0].Visible = true;
  f.frm_options[0].Visible = true;
  for (std::size_t i = 0; i < 2; ++i) f.frm_fisico[i].Visible = f.frm_fisico[i + 2].Visible = true;
  f.frm_modo[2].Enabled = true;
}

int CodiceIngressoCanale(const ProgramState& s, const FrmProgram& f, int ch) {
  if (!ValidChannel(ch)) ch = 0;
  if (f.cmb_Prog_In[1].Text == Testo(s, kTestoDuplicatore)) return TipoDaTesto(s, f.cmb_Prog_In[0]);
  if (s.CodVariante == 7) return kCodFreq;
  return TipoDaTesto(s, f.cmb_Prog_In[U(ch)]);
}

ListeModello RiempiListe(ProgramState& s, FrmProgram& f) {
  const bool eventi = s.EventiAttivi;
  s.EventiAttivi = false;
  ListeModello liste = ListePerModello(s);
  auto fill = [](ComboBox& c, const std::vector<std::string>& items) {
    c.Clear();
    for (const auto& i : items) c.AddItem(i);
    c.Select(0);
  };
  for (int ch = 0; ch < 2; ++ch) {
    fill(f.cmb_Prog_In[U(ch)], liste.Ingressi);
    fill(f.cmb_Prog_Out[U(ch)], liste.Uscite);
    fill(f.cmb_OverRange[U(ch)], liste.Tolleranze);
  }
  fill(f.cmb_Freq_Type, liste.Frequenze);
  // The switch window's input list (liste.IngressiSwitch) and the extended
  // output list (liste.UsciteEstese) are the caller's to hand to the switch
  // window once it has a model.
  s.EventiAttivi = eventi;
  return liste;
}

void DidascalieIngresso(const ProgramState& s, FrmProgram& f, int ch, int code) {
  if (!ValidChannel(ch) || code < 0 || code >= kNumTipiIngresso) return;
  const TipoIngresso& t = s.TipiIngresso[U(code)];
  if (MostraFahrenheit(f, ch) && IsFahrenheitConvertible(code)) {
    f.lbl_limite_in[U(ch)].Caption = CtoF(t.Min) + " ÷ " + CtoF(t.Max) + " " + t.UMisF;
    // A span is a difference: the converted value less the 32 of the offset.
    f.lbl_spanmin_in[U(ch)].Caption = "Span min.: " + Str(Val(CtoF(t.SpanMin)) - 32) + " " + t.UMisF;
  } else {
    f.lbl_limite_in[U(ch)].Caption = Str(t.Min) + " ÷ " + Str(t.Max) + " " + t.UMis;
    f.lbl_spanmin_in[U(ch)].Caption = "Span min.: " + Str(t.SpanMin) + " " + t.UMis;
  }
}

void DidascalieUscita(const ProgramState& s, FrmProgram& f, int ch, int code) {
  if (!ValidChannel(ch) || code < 0 || code >= kNumTipiUscita) return;
  const TipoUscita& t = s.TipiUscita[U(code)];
  f.lbl_limite_out[U(ch)].Caption = Str(t.Min) + " ÷ " + Str(t.Max) + " " + t.UMis;
  f.lbl_spanmin_out[U(ch)].Caption = "Span min.: " + Str(t.SpanMin) + " " + t.UMis;
}

void cmb_Prog_In_Click(ProgramState& s, FrmProgram& f, int index) {
  if (!s.EventiAttivi || !ValidChannel(index)) return;
  const int code = CodiceIngressoCanale(s, f, index);
  const TipoIngresso& t = s.TipiIngresso[U(code)];
  UnitaIngresso(f, index, MostraFahrenheit(f, index) && IsFahrenheitConvertible(code) ? t.UMisF : t.UMis);
  DidascalieIngresso(s, f, index, code);
}

void cmb_Prog_In_Change(ProgramState& s, FrmProgram& f, int index) {
  if (!s.EventiAttivi || !ValidChannel(index)) return;
  cmb_Prog_In_Click(s, f, index);
  AggiornaOpzioni(s, f);
}

void cmb_Prog_Out_Change(ProgramState& s, FrmProgram& f, int index) {
  if (!s.EventiAttivi || !ValidChannel(index)) return;
  const int code = UscitaDaTesto(s, f.cmb_Prog_Out[U(index)]);
  const std::string& unit = s.TipiUscita[U(code)].UMis;
  f.lbl_uMisOut[U(2 * index)].Caption = unit;
  f.lbl_uMisOut[U(2 * index + 1)].Caption = unit;
  DidascalieUscita(s, f, index, code);
}

void cmb_Freq_Type_Change(ProgramState& s, FrmProgram& f) {
  if (!s.EventiAttivi) return;
  const int i = f.cmb_Freq_Type.ListIndex;
  if (i < 0 || i >= kNumTipiFrequenza) return;
  const TipoFrequenza& t = s.TipiFrequenza[U(i)];
  // The auxiliary-voltage box goes with its caption and unit.
  if (i <= 5) {
    Mostra(f.lbl_aux, false);
    Mostra(f.lbl_uMisAux, false);
    Mostra(f.txt_aux_freq, false);
  } else if (i == 6) {  // "Volt": the sensor needs the auxiliary supply
    Mostra(f.lbl_aux, true);
    Mostra(f.lbl_uMisAux, true);
    Mostra(f.txt_aux_freq, true);
  }
  f.txt_Trig.Text = std::to_string(t.LivelloTrig);
  f.lbl_uMisTrig[0].Caption = t.UMisTrig;
}

void chk_Doubler_Click(ProgramState& s, FrmProgram& f) {
  if (!s.EventiAttivi || s.CodVariante != 0) return;
  Mostra(f.frm_options[1], f.chk_Doubler.Value);
  Mostra(f.frm_output[1], f.chk_Doubler.Value);
}

void opt_gradi_Click(ProgramState& s, FrmProgram& f, int index) { CambiaScala(s, f, index, false); }

void opt_gradi_far_Click(ProgramState& s, FrmProgram& f, int index) { CambiaScala(s, f, index, true); }

void cmd_math_Click(ProgramState&, FrmProgram& f) {
  CopiaValori(f);
  f.frm_modo[3].Visible = true;
  f.frm_modo[1].Visible = false;
  f.frm_modo[2].Visible = false;
}

void cmd_OperOk_Click(FrmProgram& f) {
  f.frm_modo[2].Visible = true;
  f.frm_modo[3].Visible = false;
}

void cmd_Operatore_Click(ProgramState& s, FrmProgram& f, FrmOper& oper, int index) {
  if (!ValidChannel(index)) return;
  oper.CanaleOper = index;
  FrmOper_Load(s, f, oper);
  oper.Visible = true;
}

void CopiaValori(FrmProgram& f) {
  for (int ch = 0; ch < 2; ++ch) {
    f.txt_Input_max[U(ch + 2)].Text = f.txt_Input_max[U(ch)].Text;
    f.txt_Input_min[U(ch + 2)].Text = f.txt_Input_min[U(ch)].Text;
    f.txt_Output_max[U(ch + 2)].Text = f.txt_Output_max[U(ch)].Text;
    f.txt_Output_min[U(ch + 2)].Text = f.txt_Output_min[U(ch)].Text;
    f.Label6[U(ch + 2)].Caption = f.Label6[U(ch)].Caption;
  }
  for (int i = 0; i < 4; ++i) {
    f.lbl_uMisIn[U(i + 4)].Caption = f.lbl_uMisIn[U(i)].Caption;
    f.lbl_uMisOut[U(i + 4)].Caption = f.lbl_uMisOut[U(i)].Caption;
  }
}

void AggiornaOpzioni(ProgramState& s, FrmProgram& f) {
  const int v = s.CodVariante;
  for (int ch = 0; ch <= s.NumCanali1 && ch < 2; ++ch) {
    const std::size_t c2 = U(ch);
    // The channel's input code.
    int c;
    if (f.cmb_Prog_In[1].Text == Testo(s, kTestoDuplicatore))
      c = TipoDaTesto(s, f.cmb_Prog_In[0]);
    else
      c = TipoDaTesto(s, f.cmb_Prog_In[c2]);
    f.CodiceIngresso[c2] = c;

    // The start state, before the model and the input narrow it.
    Mostra(f.frm_cjc[c2], false);
    Mostra(f.frm_fili[c2], false);
    Mostra(f.frm_break[c2], false);
    Mostra(f.frm_funz[c2], false);
    Mostra(f.cmd_math, false);
    Mostra(f.opt_funz[1], true);  // the "Tank" buttons
    Mostra(f.opt_funz[4], true);

    // What the model (variant) offers.
    switch (v) {
      case 0:
        Mostra(f.opt_funz[1], false);
        Mostra(f.opt_funz[4], false);
        Mostra(f.frm_break[c2], true);
        break;
      case 4:
        Mostra(f.frm_break[c2], true);
        break;
      case 5:
        Mostra(f.frm_break[c2], true);
        Mostra(f.cmd_math, true);
        break;
      case 7:
        Mostra(f.opt_gradi[c2], false);
        Mostra(f.opt_gradi_far[c2], false);
        break;
      default:
        break;
    }

    // What the input type needs.
    auto gradi = [&](bool visible) {
      Mostra(f.opt_gradi[c2], visible);
      Mostra(f.opt_gradi_far[c2], visible);
    };
    auto noHighSpeed = [&] {
      Mostra(f.chk_HS, false);
      f.chk_HS.Value = false;
    };
    if (c >= 1 && c <= 3) {
      Mostra(f.frm_break[c2], true);
      gradi(false);
      Mostra(f.chk_HS, true);
      if (v == 0) Mostra(f.frm_funz[c2], true);
    } else if (c == kCod10V || c == kCod20mA) {
      SelezionaOpzione(Gruppo(f.opt_CJC, 2 * c2, 2), 0);  // external
      Mostra(f.chk_HS, true);
      gradi(false);
      if (v == 0 || v == 5) Mostra(f.frm_funz[c2], true);
    } else if ((c >= 7 && c <= 11) || c == 13 || c == 14) {
      Mostra(f.frm_cjc[c2], true);
      Mostra(f.frm_break[c2], true);
      gradi(true);
      noHighSpeed();
    } else if (c == 12) {  // "Tc B" needs no cold-junction compensation
      Mostra(f.frm_cjc[c2], false);
      Mostra(f.frm_break[c2], true);
      gradi(true);
      noHighSpeed();
      Mostra(f.frm_funz[c2], false);
    } else if ((c >= 16 && c <= 21) || (c >= 24 && c <= 30)) {
      Mostra(f.frm_fili[c2], true);
      Mostra(f.frm_break[c2], true);
      gradi(c >= 18 && c <= 28);
      noHighSpeed();
    } else if (c == 22 || c == 23) {
      Mostra(f.frm_break[c2], true);
      gradi(false);
      Mostra(f.chk_HS, true);
    }
  }
  // Channel B follows channel A's wiring and compensation when doubled, and
  // on the single-input PLV7100.
  if (f.chk_Doubler.Value || v == 0) {
    Mostra(f.frm_fili[1], false);
    Mostra(f.frm_cjc[1], false);
  }
  if (v == 0) {
    Mostra(f.frm_options[1], f.chk_Doubler.Value);
    Mostra(f.frm_output[1], f.chk_Doubler.Value);
  }
}

void FrmOper_Load(ProgramState& s, FrmProgram& f, FrmOper& oper) {
  for (std::size_t i = 0; i < oper.opt_Oper.size(); ++i) oper.opt_Oper[i].Caption = kOperatori[i];
  oper.Frame2.Caption = "Function";
  oper.Frame1.Caption = "Options";
  if (!ValidChannel(oper.CanaleOper)) oper.CanaleOper = 0;
  const int op = s.Canali[U(oper.CanaleOper)].Operatore;
  // Selecting the channel's operator is a click on it; a code the window has
  // no button for (8 to 15) selects nothing.
  if (op < static_cast<int>(oper.opt_Oper.size()))
    opt_Oper_Click(s, f, oper, op);
  else
    SelezionaOpzione(oper.opt_Oper, -1);
}

void opt_Oper_Click(ProgramState& s, FrmProgram& f, FrmOper& oper, int index) {
  if (index < 0 || index >= static_cast<int>(oper.opt_Oper.size())) return;
  if (!ValidChannel(oper.CanaleOper)) oper.CanaleOper = 0;
  SelezionaOpzione(oper.opt_Oper, index);
  Mostra(f.frm_input[3], true);
  s.Canali[U(oper.CanaleOper)].Operatore = static_cast<std::uint8_t>(index);
  Mostra(oper.Frame1, index == 6 || index == 7);  // the delay of MAX and MIN
  f.cmd_Operatore[U(oper.CanaleOper)].Caption = kOperatori[U(index)];
}

void Cmd_ok_Click(FrmOper& oper) { oper.Visible = false; }

}  // namespace korventa
