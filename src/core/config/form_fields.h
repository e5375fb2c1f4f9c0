// The programming window's controls by name, for scripts: one table walks
// every control of FrmProgram, so printing a configuration and taking an
// edited one back can never disagree about names, indexes or types.
//
// Document layout (one object):
//   "cmb_Prog_In": ["Tc K", "Tc K"],      combos and text boxes: their text
//   "opt_CJC": [false, true, true, false], option buttons, check boxes: ticked
//   "txt_Delay": "0.2",                   single controls: the value itself
//   ...
//   "visible":  {"frm_input": [true, false, false, true], ...}  every control
//   "captions": {"lbl_uMisIn": ["°C", ...], "cmd_Operatore": ["A+B", ...]}
// Control arrays are JSON arrays indexed exactly as the window indexes them
// (by channel, 2*ch + choice, 3*ch + choice, 2 and 3 for the physical-value
// copies). "visible" and "captions" describe the screen and are ignored when
// a document is taken back: only values are set from a document.
#pragma once

#include <string>
#include <vector>

#include "app/json.h"
#include "config/program_window.h"

namespace korventa {

// The member names of a form document that are not control values.
inline constexpr const char* kFormVisible = "visible";
inline constexpr const char* kFormCaptions = "captions";

// Every value a person can set (combos, text boxes, option buttons, check
// boxes), plus the "visible" map of every control and the "captions" map of
// the labels and buttons.
json::Value FormToJson(const FrmProgram& form);

// Sets the values a document names; controls it does not name keep their
// state. Refused as a whole (form untouched, error says why and where) when
// the document is not an object, names a control the window does not have,
// gives a value of the wrong type or an array of the wrong length, or ticks
// more than one button of an option group, or switches a channel between
// °C and °F (that needs the window's conversion, not a tick).
bool FormFromJson(const json::Value& doc, FrmProgram& form, std::string& error);

// Names of the controls whose values a document carries, in document order.
std::vector<std::string> FormValueNames();

}  // namespace korventa
