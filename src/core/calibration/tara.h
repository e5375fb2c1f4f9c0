// One calibration step: an input range of a channel (TaraIngresso) or an
// output of a channel (TaraUscita), against the bench instruments, with the
// device's own measurement read back (LeggiMisura).
//
// A step returns false only when it could not go on: a device transaction
// failed or an instrument gave no reading. A constant or a check reading out
// of tolerance is painted red on its row and the step still returns true.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/dialogs.h"
#include "app/state.h"
#include "calibration/frm_tara.h"
#include "factory/frm_3100.h"
#include "instruments/strumenti.h"
#include "link/link.h"

namespace korventa {

// What the steps work with: the device link, the bench, the window models
// and a hook that lets a view repaint a row as soon as it changes.
struct BancoTara {
  ProgramState& s;
  Link& link;
  Strumenti& strumenti;
  Dialogs& dialogs;
  FrmTara& frm;
  Frm3100& f3100;
  std::function<void()> aggiorna = [] {};
};

// The bench's routing of the calibrator for an input type: relay string,
// calibrator function code, scale K (set-point x K is sent) and display
// factor D. "PLV3100" has a relay string per device (the second may be
// empty).
struct InstradamentoTara {
  std::string rele;
  std::string rele2;
  int funzione = 0;
  double K = 1;
  double D = 1;
};
std::optional<InstradamentoTara> InstradamentoPer(const std::string& modello, int tipo);

// Models whose reply carries the input reading itself rather than the
// output.
bool LetturaDiretta(const std::string& modello);

// The range limit as the device stores it: value x 10^decimals rounded
// (10 V and 20 mA as they are), a negative value + 65536.
int ParolaLimite(double valore, int tipo, int decimali);
// The zero-trim byte for a reading at zero: 255 - R above zero, -R below.
int ByteTrim(double lettura);
// The cold-junction offset byte: tenths of a degree, a negative value + 256.
int ByteCjc(double decimi);
// The output byte with only the bits the step means to set changed: the low
// five (input options, wiring, output type); the device's own bits 5 to 7
// are kept.
int ByteUscitaConservato(int attuale, int basso);

class Tara {
 public:
  explicit Tara(BancoTara b) : b_(std::move(b)) {}

  bool TaraIngresso(int canale, int riga, int tipo, int indirizzo, double S, double N, double Z, double H,
                    double F);
  bool TaraUscita(int canale, int riga, int tipo, int indirizzo, int grezzo1, int grezzo2, double zero,
                  double meta, double fondo);
  // The device's reading of the channel in the step's units; nullopt when
  // the measurement could not be read.
  std::optional<double> LeggiMisura(int canale);
  // "Tara Canale A/B": the PTC constants from Text2 and Text3, written.
  bool Command1_Click(int canale);

  // Set by the production run: the output constants of each channel read
  // before its steps, and the output range in mA.
  std::array<std::array<double, 2>, 2> costantiUscita{};
  std::array<std::array<double, 2>, 2> rangeUscita{{{0, 20}, {0, 20}}};

  const std::string& Errore() const { return errore_; }

  // Device writes: (address, value) pairs in one memory write.
  bool Scrivi(const std::vector<std::pair<int, int>>& coppie);
  bool ScriviFloat(int indirizzo, double x);
  bool ScriviParola(int indirizzo, double valore);
  std::optional<int> LeggiByte(int indirizzo);
  bool Rele(const std::string& stringa);
  bool Pausa(double secondi);
  bool Fallito(const std::string& perche);

 private:
  RigaTara& Riga(int riga) { return b_.frm.righe[static_cast<std::size_t>(riga)]; }
  void Colora(int riga, Colore c);
  bool Instrada(const InstradamentoTara& r);
  bool Cal(double valore);
  bool CalFunzione(int funzione);
  bool PassoGuadagno(int canale, int riga, int tipo, int indirizzo, double S, double N, const InstradamentoTara& r);
  bool TrimZero(int canale, int tipo);
  bool PassoCjc(int canale, int riga);
  bool PassoPtc(int canale, int riga);
  bool CostantiPtc(int canale, double a, double b, bool& valide);
  bool PuntiControllo(int canale, int riga, int tipo, bool ptc, double Z, double H, double F,
                      const InstradamentoTara& r);
  std::optional<double> LeggiMult(bool volt);

  BancoTara b_;
  std::string errore_;
  // The step going on: its type and range, for LeggiMisura.
  int tipo_ = 0;
  double Z_ = 0, F_ = 0;
};

}  // namespace korventa
