// The measurement window frm_misura as a presentation model, and live
// measurement itself: the start sequence that prepares each channel from
// the device's switches, tables and memory, the measuring loop that shows
// every streamed reading, and the end sequence.
//
// The loop runs on the caller's thread. Every wait inside it is one of the
// link's event-driven waits, so a user interface stays live while it runs;
// InMisura is the only hand-shake: Stop here or on the main window, a read,
// a write or the program's exit clear it, and the loop ends once its
// current wait is over.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/controls.h"
#include "measure/lettura.h"
#include "measure/registro.h"

namespace korventa {

struct Context;
struct ProgramState;
struct FrmProgram;

// A round lamp: Led(0..2).
struct Lampadina : Control {
  int FillColor = kColoreGrigio;
};

// A small coloured mark: lbl_Break_L, lbl_Break_H.
struct Segno : Label {
  int BackColor = kColoreGrigio;
};

// The filled bar progress(i). Its full width is the width of the input
// field above it; the model keeps the filled share, 0..1.
struct BarraMisura : Control {
  double Quota = 0;
};

// How a measurement ended.
enum class EsitoMisura {
  Nessuno,        // never started
  Fermata,        // InMisura was cleared: "SM" sent
  Annullata,      // a reading was cancelled or the port failed: no "SM"
  Identificazione,  // the device could not be identified
  Calibrazione,   // the output calibration could not be read ("Communication error")
  DispositivoPerso,  // the port vanished (adapter unplugged): said, values greyed
  GiaInCorso,     // Start while a run was still going: nothing started
};

struct FrmMisura {
  std::string Caption;  // "Misura" / "Measure"
  Frame frm_modo;
  CommandButton Cmd_StartRead{{}, "Start", ""};
  CommandButton Cmd_StopRead{{}, "Stop", ""};
  // Recording every reading to a CSV file.
  CommandButton cmd_Registra{{}, "Record", ""};

  // One panel per channel: "Output" / "Output B" and "Input" / "Input B".
  std::array<Frame, 2> frm_canale;
  std::array<Label, 2> lbl_uscita, lbl_ingresso;
  std::array<Label, 2> txt_misura_out, txt_misura_in;
  std::array<BarraMisura, 2> progress;
  std::array<Segno, 2> lbl_Break_L, lbl_Break_H;
  std::array<Label, 2> lbl_progIn, lbl_progOut;

  // Trips: the frame "Trips" with "Trip A" (fields 0 to 3), "Trip B" (4 to
  // 7) and "Alarm" (8), each with its lamp.
  Frame lbl_soglie;
  std::array<Frame, 3> frm_soglia;
  std::array<TextBox, 9> lbl_progTrip;
  std::array<Lampadina, 3> Led;

  // --- State of the run ----------------------------------------------------

  // A run (its preparation or its loop) is going. Unlike InMisura it stays
  // set while a stopped loop finishes its last wait.
  bool InCorso = false;
  // The start sequence is reading the device; the loop has not begun.
  bool Preparazione = false;
  EsitoMisura Esito = EsitoMisura::Nessuno;
  // What the readings are worked out with, as the last start prepared it.
  MisuraPreparata Preparata;
  // The last reading and how many there were in this run.
  std::optional<Lettura> UltimaLettura;
  long Letture = 0;
  // The file being recorded, if any. Shared so the window model stays a
  // plain value.
  std::shared_ptr<RegistroCsv> Registro;

  // Called after the preparation and after every reading has been shown:
  // where the desktop program repaints, and where a front end may clear
  // InMisura to end the run.
  std::function<void()> Aggiornato;
};

// --- Handlers ---------------------------------------------------------------

// Start: runs the start sequence and the measuring loop, and returns when
// measuring has ended. Start while a run is still going does nothing (no
// nested second run).
EsitoMisura Cmd_StartRead_Click(Context& c);
// Stop: clears InMisura and returns at once; the loop notices after its
// current wait.
void Cmd_StopRead_Click(Context& c);
// Record: asks for a CSV file and records every reading into it; while
// recording, the button stops the recording.
void cmd_Registra_Click(Context& c);

// The captions of the window in the current language and which of its
// panels and frames the connected model uses (part of the model and text
// set-up, after the programming window has been set up for the model).
void ImpostaTestiMisura(const ProgramState& s, const FrmProgram& programma, FrmMisura& f);

// Channels the connected model has: channel B's panel is shown.
std::array<bool, 2> CanaliMostrati(const FrmMisura& f);

// Puts one reading on the window: output and input fields, bar, marks and
// lamps. What the reading could not work out keeps its previous state.
void MostraLettura(FrmMisura& f, const Lettura& l);

}  // namespace korventa
