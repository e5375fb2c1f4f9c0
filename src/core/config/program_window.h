// The programming window frm_program as a presentation model: the state of
// every control, named after the control, with one column per channel.
// Control arrays keep the window's own indexing: by channel (0 = A, 1 = B),
// 2*ch + choice and 3*ch + choice for option groups, 2 and 3 for the
// physical-value copies of the two-input model.
#pragma once

#include <array>

#include "app/controls.h"

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
};

// The operator window frm_Oper.
struct FrmOper {
  std::array<OptionButton, 8> opt_Oper;
  Frame Frame1;  // "Options": the MAX/MIN delay
  Frame Frame2;  // "Function"
  TextBox txt_Opzione;
  int CanaleOper = 0;  // the channel being edited
};

// Operator captions by code.
inline constexpr std::array<const char*, 8> kOperatori = {"= B", "= A", "A+B", "A-B", "A*B", "A/B", "MAX", "MIN"};

}  // namespace korventa
