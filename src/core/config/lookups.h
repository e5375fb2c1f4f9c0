// Lookups between the texts the combos show and the catalogue codes, and the
// range-limit line of the switch window.
//
// The combos show names and the device stores codes, so every conversion
// goes through an exact, case-sensitive name comparison: the first entry
// with an equal name wins. A text that matches nothing gives code 0 (0 % for
// a tolerance) and callers treat 0 as a valid code. Note that an empty text
// matches the first entry without a name (input code 6), which is how an
// empty input read from a device goes back to it unchanged.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "app/controls.h"

namespace korventa {

struct ProgramState;

// One row of the switch-model limit texts. Rows 0 to 27 belong to the input
// type code of the same number, rows 28 to 31 to the frequency sensors of the
// PLV7300. The limits are texts with their unit ("-200 °C"), not numbers,
// and differ in places from the numeric catalogue on purpose: each window
// uses its own table.
struct TestoLimiti {
  std::string Nome;
  std::uint8_t Classe = 0;
  std::int16_t FlagTc = 0;   // -1 = set
  std::int16_t FlagRes = 0;  // -1 = set
  std::string MaxC, MinC, SpanC;  // Celsius column
  std::string MaxF, MinF, SpanF;  // Fahrenheit column
};

inline constexpr int kNumTestiLimiti = 32;
inline constexpr int kRigaFrequenze = 28;  // first frequency row (PLV7300)
using TabellaTestiLimiti = std::array<TestoLimiti, kNumTestiLimiti>;
TabellaTestiLimiti CostruisciTestiLimiti();

// Temperature codes of the switch window's Fahrenheit choice: 7-14, 18-21,
// 24-27.
bool IsSwitchTemperatureCode(int code);

// The limit line of TestiLimiti row `row`:
// "In: Tc J ;Min.Lim.=-200 °C; Max.Lim. 1200 °C; Span min: 100 °C".
// fahrenheit picks the °F column. Empty for a row outside the table or a row
// without a name (6 and 15).
std::string RigaLimiti(const ProgramState& s, int row, bool fahrenheit);

// What the switch window's limit box shows for input type `code`: "EEPROM"
// for 0, the code's limit line otherwise (°F column when fahrenheit is set
// and the code is a switch temperature code). Codes 28 and above have no row
// of their own (rows 28 to 31 are the frequency sensors): empty.
std::string TestoLimitiCodice(const ProgramState& s, int code, bool fahrenheit);

// The switch window's side of TipoDaTesto. The switch window passes one; the
// other windows pass none and get the plain name search.
struct SwitchContext {
  // The model chosen in the offline wizard (its model code, e.g. "PLV7300");
  // empty for the connected device, which gets no code adjustments.
  std::string ModelloOffline;
  // List position of the switch window's input list cmb_SW_in(0).
  int PosizioneLista = -1;
  // The switch window's Fahrenheit option opt_far(1) is selected.
  bool Fahrenheit = false;
  // Out: the new text of the limit box visualizza_limiti; nullopt when the
  // lookup leaves the box as it is.
  std::optional<std::string> VisualizzaLimiti;
};

// Input code 0..51 of a name. With a switch context:
//  - offline "PLV7300": the code is the list position (a position below 0
//    counts as 0); position 0 shows "EEPROM", position p the frequency row
//    28 + p (an empty box for a position without a row);
//  - offline "PLV7110C" at list position 1: 8, the limit box unchanged;
//  - otherwise the name search; the box shows TestoLimitiCodice;
//  - then offline "PLV7110B": the code less 15; "PLV7110C": the code less 15
//    unless it is 0. Those models encode codes from 15 up: a code below 15
//    (no such input on them, or no match) gives 0, never a negative code.
int TipoDaTesto(const ProgramState& s, std::string_view text, SwitchContext* sw = nullptr);
int TipoDaTesto(const ProgramState& s, const ComboBox& combo, SwitchContext* sw = nullptr);

// Output code 0..3 of a name (TipiUscita only: "2-10 V" gives 0).
int UscitaDaTesto(const ProgramState& s, std::string_view text);
int UscitaDaTesto(const ProgramState& s, const ComboBox& combo);

// Percent value of a tolerance name.
double TolleranzaDaTesto(const ProgramState& s, std::string_view text);
double TolleranzaDaTesto(const ProgramState& s, const ComboBox& combo);

// Names of codes; empty for a code outside its table.
std::string NomeIngresso(const ProgramState& s, int code);
std::string NomeUscita(const ProgramState& s, int code);
// Name of the first tolerance whose value equals `value`; nullopt if none.
std::optional<std::string> NomeTolleranza(const ProgramState& s, double value);

// Set a combo's text (the selection follows when the text is a list entry).
// A code outside the table empties the combo's text; a tolerance value that
// matches no entry leaves the combo as it is.
void MostraIngresso(const ProgramState& s, ComboBox& combo, int code);
void MostraUscita(const ProgramState& s, ComboBox& combo, int code);
void MostraTolleranza(const ProgramState& s, ComboBox& combo, double value);

}  // namespace korventa
