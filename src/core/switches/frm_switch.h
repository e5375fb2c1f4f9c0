// The switch window "Switch_Wizard": reads a device's DIP banks and span/zero
// tables and shows what they select, composes the banks from the user's
// choices, edits the two stored defaults, checks the combination, and in
// wizard mode does the same for a model chosen from a list, without a device.
#pragma once

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "app/controls.h"
#include "switches/campi.h"

namespace korventa {

struct Context;

// One DIP bank as drawn: left to right, the number printed under each
// switch and whether it stands at "ON".
struct BancoDip : Control {
  std::string Caption;
  std::array<int, 8> numero{};
  std::array<bool, 8> on{};
  int interruttori = 8;  // switches drawn (the third bank of some models has 4)
};

struct FrmSwitch {
  std::string Caption = "Switch_Wizard";
  // Channel A and B columns.
  std::array<Label, 2> lbl_canale{{{{}, "CH1"}, {{}, "CH2"}}};
  std::array<Frame, 2> frm_input{{{{}, "Input Type"}, {{}, "Input Type"}}};
  std::array<Frame, 2> frm_output{{{{}, "Output Type"}, {{}, "Output Type"}}};
  std::array<ComboBox, 2> cmb_SW_in;
  std::array<ComboBox, 2> cmb_sw_Out;
  std::array<Frame, 2> frm_optionSw{{{{}, "Option"}, {{}, "Option"}}};
  std::array<OptionButton, 4> Opzione{{{{}, "Off", true}, {{}, "On", false}, {{}, "Off", true}, {{}, "On", false}}};
  Frame frm_far;
  std::array<OptionButton, 2> opt_far{{{{}, "°C", true}, {{}, "°F", false}}};
  Label lbl_span{{}, "Span"};
  Label lbl_zero{{}, "Zero"};
  ListBox lst_span, lst_zero;
  Frame frm_divider{{}, "Divider"};
  ComboBox cmb_divider;
  TextBox txt_sw2;
  Frame frm_check{{}, "Config. Check"};
  Label Label4_20{{}, "OK"};  // the lamp's caption
  bool CheckOk = true;        // lamp green ("OK") or red ("ERR")
  std::array<BancoDip, 3> banchi;
  // Wizard.
  CommandButton aiuto_switch{{}, "Wizard ->", ""};
  CommandButton close_aiuto_switch{{false, true}, "<- Back ", ""};
  ComboBox aiuto_modello;
  TextBox visualizza_limiti;
  CommandButton cmd_stampa{{}, "Print / Export", ""};
  bool ModoWizard = false;
  std::string ModelloDemo;
  // The banks the window shows: the device's as read, then the user's
  // choice (never written to the device: the switches are physical).
  sw::Banchi Dip{};
  FrmSwitch();
};

// Device mode: reads the banks and shows them (returns false when the link
// failed; the window keeps what it showed).
void ReadSwitch(Context& c);
bool LeggiSw01(Context& c);
bool LeggiSw26(Context& c);
bool LeggiSw7(Context& c);
bool LeggiSw8(Context& c);
void CaricaListe(Context& c);
void CaricaListe11(Context& c);
void ControllaConfig(Context& c);

// Choices.
void lst_span_Click(Context& c, int k);
void lst_zero_Click(Context& c, int k);
// Double click on an entry: position 0 ("Def: ") edits the stored default.
// True when a new default was written.
bool lst_span_DblClick(Context& c, int k);
bool lst_zero_DblClick(Context& c, int k);
void cmb_SW_in_Click(Context& c, int ch);
void cmb_sw_Out_Click(Context& c, int ch);
void Opzione_Click(Context& c, int i);
void opt_far_Click(Context& c, int i);
void cmb_divider_Click(Context& c);

// Composition rules: the window's choices into the banks.
void DisegnaDip7100_r1(Context& c);
void DisegnaDip7120(Context& c);
void DisegnaDip7120_c(Context& c);
void DisegnaDip7300(Context& c);
void DisegnaDip7150(Context& c);
void DisegnaDip(Context& c);
// Drawing.
void MostraDip3(FrmSwitch& f, int b1, int b2, int b3);
void MostraDip2(FrmSwitch& f, int b1, int b2);
void DisegnaDip_vuoti(FrmSwitch& f, int b1, int b2, int b3);
void ImpostaSwOpz(Context& c);

// Wizard.
void aiuto_switch_Click(Context& c);
void ElencoModelli(Context& c);
void aiuto_modello_Click(Context& c, int posizione);
void SceltaModello(Context& c, int posizione);
void ListeWizard(Context& c);
void close_aiuto_switch_Click(Context& c);

// The switch card: title and (caption, value) rows in the user's language:
// model, per channel input, output and option, range, check result, date.
struct SchedaSwitch {
  std::string Titolo;
  std::vector<std::pair<std::string, std::string>> Righe;
};
SchedaSwitch Scheda(const Context& c, const std::string& data);

// The window's state as text lines, for the CLI and the switch card:
// banks as bytes and as a drawing ("SW1 [1:ON ] ..."), one line each.
std::vector<std::string> DisegnoTesto(const FrmSwitch& f);

}  // namespace korventa
