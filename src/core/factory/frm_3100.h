// The two-device window of the "PLV3100": which of the two devices on the
// bench are calibrated, which are programmed afterwards, and which one the
// bench is connected to now.
#pragma once

#include <array>

#include "app/controls.h"

namespace korventa {

struct Context;
enum class Colore;

struct PulsanteDispositivo : CommandButton {
  Colore colore;
};

struct Frm3100 {
  Frm3100();

  Frame Frame1, Frame2;  // "Taratura", "Programmazione dopo taratura"
  // Enable / disable buttons: Command1/2 device 1 and Command3/4 device 2
  // of the calibration frame, Command7/8 and Command9/10 of the programming
  // frame.
  PulsanteDispositivo Command1, Command2, Command3, Command4, Command7, Command8, Command9, Command10;
  std::array<CheckBox, 2> Check1, Check2;
  CommandButton Command5;  // "Imposta Menù  Programmazione"
  bool Visible = false;

  // Flags shared with the production run.
  std::array<bool, 2> calibra{};   // calibrate device 1 / 2
  std::array<bool, 2> programma{}; // program device 1 / 2 after calibration
  bool attivo1 = false, attivo2 = false, attesa2 = false;
};

// The enable / disable pair of a device (0 or 1) in the calibration frame
// (programma false) or in the programming frame.
void AbilitaDispositivo(Frm3100& f, bool programma, int dispositivo);
void DisabilitaDispositivo(Frm3100& f, bool programma, int dispositivo);

// At the start of a run: which device is active, and its disable button
// turns yellow.
void InizioCorsa3100(Frm3100& f);
// Whether the relay strings of that device (0 or 1) are to be sent.
bool DispositivoAbilitato(const Frm3100& f, int dispositivo);
// The device the bench is connected to now (0 or 1).
int DispositivoAttivo(const Frm3100& f);
// "Imposta Menù  Programmazione": the programming window on its own, the
// measurement window put away.
void Frm3100_Command5_Click(Context& c);

}  // namespace korventa
