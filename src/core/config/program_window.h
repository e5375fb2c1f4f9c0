// The programming window frm_program as a presentation model: the state of
// every control, named after the control, with one column per channel.
// Control arrays keep the window's own indexing: by channel (0 = A, 1 = B),
// 2*ch + choice and 3*ch + choice for option groups, 2 and 3 for the
// physical-value copies of the two-input model.
#pragma once

#include <array>
#include <span>

#include "app/controls.h"
#include "config/catalog.h"

namespace korventa {

struct FrmProgram {
  // Frames. frm_input(3) is the algebraic-function frame; frm_modo(1..3)
  // are the pages (3 = algebraic page of the two-input model).
  std::array<Frame, 4> frm_input;
  std::array<Frame, 2> frm_output, frm_options, frm_cjc, frm_funz, frm_fili, frm_break, frm_soglia;
  Frame frm_opt, frm_freq;
  std::array<Frame, 4> frm_modo;
  std::array<Frame, 4> frm_fisico;  // physical-value frames of the algebraic page
  Label lbl_opzioni;                // the options label

  // Input.
  std::array<ComboBox, 2> cmb_Prog_In;
  std::array<TextBox, 4> txt_Input_max, txt_Input_min;
  std::array<Label, 8> lbl_uMisIn;
  std::array<Label, 2> lbl_limite_in, lbl_spanmin_in;
  std::array<OptionButton, 2> opt_gradi, opt_gradi_far;

  // Output.
  std::array<ComboBox, 2> cmb_Prog_Out;
  std::array<TextBox, 4> txt_Output_max, txt_Output_min;
  std::array<Label, 8> lbl_uMisOut;
  std::array<Label, 2> lbl_limite_out, lbl_spanmin_out;

  // Options: cold junction, function, wiring, burn-out, over-range.
  std::array<OptionButton, 4> opt_CJC;
  std::array<TextBox, 2> txt_offset;
  std::array<OptionButton, 6> opt_funz;
  std::array<OptionButton, 6> opt_Fili;
  std::array<OptionButton, 4> opt_Break;
  std::array<ComboBox, 2> cmb_OverRange;

  // Response delay, doubler, high speed.
  TextBox txt_Delay;
  std::array<Label, 3> Label21;
  CheckBox chk_Doubler, chk_HS;

  // Frequency input (variant 7).
  ComboBox cmb_Freq_Type;
  CheckBox chk_50hz;
  TextBox txt_filter, txt_aux_freq, txt_Trig;
  Label lbl_freq_analog, lbl_freq_digital, lbl_filter, lbl_mult;
  Label lbl_aux, lbl_uMisAux, lbl_trig;
  std::array<Label, 2> lbl_uMisTrig;

  // Trips.
  std::array<OptionButton, 4> optTrip, optRele;
  std::array<TextBox, 2> txt_soglia_H, txt_soglia_L, txt_soglia_Delay;
  std::array<Label, 2> lbl_uMisS;

  // Algebraic page of the two-input model.
  std::array<CommandButton, 2> cmd_Operatore;
  CommandButton cmd_math, cmd_OperOk;
  std::array<TextBox, 4> txt_Fisico_max, txt_Fisico_min;
  std::array<TextBox, 2> txt_FisicoOut_max, txt_FisicoOut_min;
  std::array<Label, 4> Label6;

  // Each channel's current input code, as the input lists last decided it.
  std::array<int, 2> CodiceIngresso{0, 0};
  // Set by the window's load (FrmProgram_Load).
  bool Caricato = false;
  // No configuration on screen yet (no device identified, no file opened):
  // the window shows no frame and takes no input.
  bool Vuoto = true;
  // Catalogue index (link/models.h) of the model the windows were last set
  // up for by the model recognition; -1 while none is recognised.
  int IndiceModello = -1;
};

// The operator window frm_Oper.
struct FrmOper {
  std::array<OptionButton, 8> opt_Oper;
  Frame Frame1;  // "Options": the MAX/MIN delay
  Frame Frame2;  // "Function"
  TextBox txt_Opzione;
  int CanaleOper = 0;  // the channel being edited
  bool Visible = false;
};

// Operator captions by code.
inline constexpr std::array<const char*, 8> kOperatori = {"= B", "= A", "A+B", "A-B", "A*B", "A/B", "MAX", "MIN"};

struct ProgramState;

// ---------------------------------------------------------------------------
// The window's procedures and event handlers (config/program_window.cpp).
// They work on the window model and the program state only; the views call
// them for the user's clicks and edits, and reading a device or opening a
// file calls them where setting a control would raise the event.
//
// The combo, check box and Celsius/Fahrenheit handlers do nothing while
// EventiAttivi is false (lists being filled).

// Selects button `chosen` of an option group and clears the others, as a
// group of option buttons does on screen; a `chosen` outside the group
// clears them all.
void SelezionaOpzione(std::span<OptionButton> group, int chosen);
// The group of `size` buttons starting at `first` of a control array.
template <std::size_t N>
std::span<OptionButton> Gruppo(std::array<OptionButton, N>& buttons, std::size_t first, std::size_t size) {
  return std::span<OptionButton>(buttons).subspan(first, size);
}

// Form_Load: both channels' operators to 0, the design-time captions and
// choices (Celsius, external compensation, linear, 2 wires, burn-out up,
// trip on maximum, relay NO, page 1 and 2 shown, page 3 hidden).
void FrmProgram_Load(ProgramState& s, FrmProgram& f);

// The form without a configuration: every frame hidden, the page disabled.
void ModuloVuoto(FrmProgram& f);
// The form about to show a configuration: channel A's frames shown, the
// page enabled; the model set-up then shows and hides the rest.
void ModuloPieno(FrmProgram& f);

// The input code channel ch stands for: channel A's code when channel B's
// combo shows the doubler entry (text 31), "Freq" on variant 7, otherwise
// the code of the channel's own combo text.
int CodiceIngressoCanale(const ProgramState& s, const FrmProgram& f, int ch);

// Fills the window's lists for the identified model (input, frequency,
// output and over-range combos), each set to its first entry, with the
// change handlers held off while filling. Returns every list the model
// offers, including those that belong to the switch window.
ListeModello RiempiListe(ProgramState& s, FrmProgram& f);

// The admissible-range captions of a channel: lbl_limite_in/lbl_spanmin_in
// for input `code`, lbl_limite_out/lbl_spanmin_out for output `code`.
void DidascalieIngresso(const ProgramState& s, FrmProgram& f, int ch, int code);
void DidascalieUscita(const ProgramState& s, FrmProgram& f, int ch, int code);

// Input combo: units, trip unit and range captions; the change handler then
// runs AggiornaOpzioni, the click handler does not.
void cmb_Prog_In_Click(ProgramState& s, FrmProgram& f, int index);
void cmb_Prog_In_Change(ProgramState& s, FrmProgram& f, int index);
// Output combo: units and range captions.
void cmb_Prog_Out_Change(ProgramState& s, FrmProgram& f, int index);
inline void cmb_Prog_Out_Click(ProgramState& s, FrmProgram& f, int index) { cmb_Prog_Out_Change(s, f, index); }
// Frequency sensor: auxiliary-voltage label and the proposed trigger level.
void cmb_Freq_Type_Change(ProgramState& s, FrmProgram& f);
inline void cmb_Freq_Type_Click(ProgramState& s, FrmProgram& f) { cmb_Freq_Type_Change(s, f); }
void chk_Doubler_Click(ProgramState& s, FrmProgram& f);
// Celsius / Fahrenheit of channel `index`.
void opt_gradi_Click(ProgramState& s, FrmProgram& f, int index);
void opt_gradi_far_Click(ProgramState& s, FrmProgram& f, int index);
// The algebraic page of the two-input model.
void cmd_math_Click(ProgramState& s, FrmProgram& f);
void cmd_OperOk_Click(FrmProgram& f);
void cmd_Operatore_Click(ProgramState& s, FrmProgram& f, FrmOper& oper, int index);
void CopiaValori(FrmProgram& f);
// Shows and hides each channel's option frames for its input code, the
// doubler and the variant.
void AggiornaOpzioni(ProgramState& s, FrmProgram& f);

// The operator window.
void FrmOper_Load(ProgramState& s, FrmProgram& f, FrmOper& oper);
void opt_Oper_Click(ProgramState& s, FrmProgram& f, FrmOper& oper, int index);
void Cmd_ok_Click(FrmOper& oper);

}  // namespace korventa
