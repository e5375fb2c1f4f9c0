// The bench-test window frm_test as a presentation model: the stability
// test (the device's reading watched against a reference), the frequency
// linearity test (the function generator sweeps the input frequency and the
// reading is compared with it), forcing of the analogue outputs, and direct
// control of the function generator.
//
// The loops run on the caller's thread. Every wait inside them is one of the
// link's or the generator channel's event-driven waits, so the window stays
// live and its Stop buttons (or closing it) clear the flags the loops watch.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/controls.h"

namespace korventa {

struct Context;
class Strumenti;

struct FrmTest {
  std::string Caption = "Test";
  bool Visible = false;

  // "Stabilità": reference (Text1(0)), tolerance, start, stop, clear and the
  // deviations found.
  Frame Frame1{{}, "Stabilità"};
  std::array<TextBox, 3> Text1{TextBox{{}, "800"}, TextBox{}, TextBox{}};
  TextBox Text2;
  CommandButton Command1{{}, "start STABILITA'", ""};
  CommandButton Command3{{}, "Stop", ""};
  CommandButton Command2{{}, "Clear", ""};
  std::vector<std::string> List1;

  // "Freq": start, end, step, delay after a step, measuring time, tolerance,
  // last reading.
  Frame Frame2{{}, "Freq"};
  TextBox Text3{{}, "0"};
  TextBox Text4{{}, "10000"};
  TextBox Text5{{}, "100"};
  TextBox Text6{{}, "1"};
  TextBox Text9{{}, "1"};
  TextBox Text7{{}, "1"};
  TextBox Text8;
  CommandButton Command4{{}, "start LINEARITA'", ""};

  // "Comando Uscita": raw values of output A (Text1(2)) and B (Text1(1)).
  Frame Frame3{{}, "Comando Uscita"};
  CommandButton Command7{{}, "chA", ""};
  CommandButton Command10{{}, "chB", ""};
  CommandButton Command11{{}, "a+b", ""};
  CommandButton Command8{{}, "Stop", ""};

  // "Generatore di Funzioni".
  Frame Frame4{{}, "Generatore di Funzioni"};
  std::array<OptionButton, 3> opt_fgen{OptionButton{{}, "TTL", false}, OptionButton{{}, "Rimbalzo", false},
                                       OptionButton{{}, "Tacho", false}};
  TextBox Text10{{}, "1000"};
  CommandButton Command5{{}, ">>", ""};
  std::array<CommandButton, 3> Command6{CommandButton{{}, "ON", ""}, CommandButton{{}, "OFF", ""},
                                        CommandButton{{}, ">>", ""}};

  // --- State ---------------------------------------------------------------

  // Stability or linearity running (cleared by Command3, by a non-zero
  // status byte, or by closing the window).
  bool InCorso = false;
  // Outputs forced (cleared by Command8, a port failure or closing).
  bool Forzatura = false;
  // The points of the running test for a plot: reference (stability) or
  // frequency (linearity) against the reading, every reading in order.
  std::vector<std::pair<double, double>> Punti;
  // Called after every reading and every forcing round: where the desktop
  // program repaints and a front end may clear the flags.
  std::function<void()> Aggiornato;
};

// How a test loop ended.
enum class EsitoTest {
  Fermato,       // its Stop (or closing the window) cleared the flag
  Stato,         // the device reported a non-zero status byte
  Errore,        // the port failed, or a reading was cancelled
  Rifiutato,     // a box held a value the test cannot use (said in a message)
  GiaInCorso,    // another test of the window is still running
  Generatore,    // the function generator could not be reached (said in a message)
};

// The four values of a measurement reply; value i from the three bytes
// starting at m(3 * i + 2).
std::array<double, 4> ValoriMisura(const std::array<std::uint8_t, 15>& m);

// The raw forcing value a box holds: a whole number the forcing frame can
// carry (a signed 16-bit word), nullopt otherwise.
std::optional<int> ValoreGrezzo(const std::string& testo);

// The contact-bounce pattern loaded into the generator: 4000 points of
// "1" or "0".
std::vector<int> PuntiRimbalzo();

// The generator commands of Command5 for the chosen waveform (-1: none
// chosen), from "*RST" up to and including "OUTPut ON"; the interface clear
// after "*RST" is not a command and is not listed.
std::vector<std::string> ComandiGeneratore(int forma, const std::string& frequenza);

// Handlers. Each returns when its loop has ended.
EsitoTest Command1_Click(Context& c, FrmTest& f);  // start stability
EsitoTest Command4_Click(Context& c, FrmTest& f, Strumenti& strumenti);  // start linearity
void Command3_Click(Context& c, FrmTest& f);  // stop stability / linearity
void Command2_Click(FrmTest& f);  // clear the list
// Forcing: channels A (Command7), B (Command10), both (Command11).
EsitoTest Command7_Click(Context& c, FrmTest& f);
EsitoTest Command10_Click(Context& c, FrmTest& f);
EsitoTest Command11_Click(Context& c, FrmTest& f);
void Command8_Click(FrmTest& f);  // end forcing
bool Command5_Click(Context& c, FrmTest& f, Strumenti& strumenti);  // configure the generator
bool Command6_Click(Context& c, FrmTest& f, Strumenti& strumenti, int index);  // ON / OFF / frequency
// Closing the window: hides it and ends whatever runs; a forcing loop then
// leaves forcing as Stop would.
void FrmTest_Unload(Context& c, FrmTest& f);

}  // namespace korventa
