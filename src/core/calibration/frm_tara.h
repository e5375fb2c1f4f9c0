// The calibration window: the model table, the step table and the run
// settings the production run reads, as a presentation model.
//
// Each of the 22 rows is one calibration step: rows 0 to 7 and 20 the inputs
// of channel A, 12 to 19 and 21 those of channel B, 8 to 11 the outputs. A
// row's boxes keep their colours between runs; resume mode relies on that.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "app/controls.h"
#include "app/state.h"
#include "calibration/verifica.h"
#include "factory/frm_3100.h"

namespace korventa {

inline constexpr int kRigheTara = 22;
inline constexpr int kNumModelliTara = 17;

enum class Colore { Normale, Bianco, Giallo, Verde, Rosso };
// RGB of a colour as the window paints it; the normal button colour is the
// light grey of a button face.
unsigned RgbColore(Colore c);

// Which channel boxes a model ticks: both, channel A alone (B cleared), or
// channel A with B left as it was.
enum class CanaliModello { AB, SoloA, A };

struct ModelloTara {
  const char* codice;
  CanaliModello canali;
  std::vector<int> righe;            // step rows ticked
  std::optional<std::array<double, 3>> limiti;  // supply mA at 20 (18) / 24 / 30 V; none: no current test
};
// By opt_modello index, 0 to 16.
const std::vector<ModelloTara>& ModelliTara();
const ModelloTara* ModelloTaraDaCodice(const std::string& codice);

// One input range of the step table: rows and constant addresses per
// channel, type code and the five numbers S, N, Z, H, F.
struct RangeIngresso {
  const char* nome;
  std::array<int, 2> riga;
  int tipo;
  std::array<int, 2> indirizzo;
  double S, N, Z, H, F;
};
// In the order the production run calibrates channel A: 90 mV, 200 mV,
// 800 mV, 10 V, 20 mA, 2 kOhm, PTC, 500 Ohm, CJC.
const std::vector<RangeIngresso>& RangeIngressi();
// The range as a model calibrates it: the nominal constant of channel A of
// the single-input models for 10 V and 20 mA, the "3200OEM" PTC points.
RangeIngresso RangePerModello(const RangeIngresso& r, const std::string& modello, int canale);
const RangeIngresso* RangeDiRiga(int riga);

// Caption of a row's step box ("90mV A", "Out V B", ...).
std::string DidascaliaRiga(int riga);

struct CasellaPasso : CheckBox {
  Colore colore = Colore::Normale;
};
struct TestoRisultato : TextBox {
  Colore colore = Colore::Bianco;
};
struct RigaTara {
  CasellaPasso chk_tara;
  TestoRisultato txt_k1, txt_zero, txt_half, txt_span;
};

struct FrmTara {
  FrmTara();

  // The window opens at this size (twips); closing it only hides it, so the
  // rows keep their colours for the next run.
  static constexpr int Width = 11175, Height = 8100;
  bool Visible = false;

  int opt_modello = -1;
  std::string modello;
  std::array<RigaTara, kRigheTara> righe{};

  CheckBox chk_default, chk_switch, chk_controllo, chk_Consumo, chk_programma;
  std::array<CheckBox, 2> chk_Canale;

  // Seconds the device needs after a range change before it reads true.
  double ritardo = 4;
  std::optional<std::array<double, 3>> limiti;

  Frame fra_ptc;  // "Taratura PTC"
  TestoRisultato Text2, Text3, Text4, Text5;

  Label lbl_collaudo;
  Colore coloreCollaudo = Colore::Normale;

  CommandButton Command1_A, Command1_B, Command2, Command3, Command9, Command4, Command5, Command6, Command7,
      cmd_On, cmd_Off;

  // Where the model files ("PLV7110A.dat") are read from.
  std::string cartellaModelli = ".";

  bool stop = false;     // STOP pressed; the run tests it between steps
  bool ripresa = false;  // resume mode
  bool identificato = false;  // a run of this session has identified the device
  bool grezzo = false;   // raw readings (PTC reference measurements)
  bool inCorso = false;  // a run is going on
  bool sweepStop = false;  // "Stop" of the two linearity sweeps
};

// Selecting a model: the model table's boxes, the run settings, the
// two-device window for "PLV3100", the program's current model.
void opt_modello_Click(FrmTara& f, Frm3100& f3100, ProgramState& s, int indice);
// Puts a row back to "not done": step box normal colour, boxes white and empty.
void PulisciRiga(RigaTara& r);
// Whether the four result boxes of a row are green (resume skips it).
bool RigaCompleta(const RigaTara& r);
// The STOP button.
void Command5_Click(FrmTara& f);
// "Prog": the calibration-check window, its lamp "STOP" and red, its report
// empty, its error flag set and its download counter back to 0.
void Command7_Click(FrmVerifica& v);

}  // namespace korventa
