// The production run: power the device from the bench, check its supply
// current and its switches, calibrate its outputs and every ticked input
// range, write its final programming and say pass or fail.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "calibration/tara.h"

namespace korventa {

struct MisuraCorrente {
  std::string volt;  // "20.00"
  double mA = 0;
  double limite = 0;
};

// What a finished run leaves besides the step rows: for the certificate and
// the command line.
struct EsitoCollaudo {
  bool errore = false;   // ended by a run-time error
  bool fermato = false;  // ended by STOP or by an Abort answer
  std::string messaggio; // why it ended in error
  std::string identificazione;
  std::vector<MisuraCorrente> correnti;
  // Rows that were ticked and ended red (or unfinished).
  std::vector<int> righeRosse;
  bool Superato() const { return !errore && righeRosse.empty(); }
};

// The model file of a model in the model-file folder: one decimal number
// per line. nullopt (with the reason) when missing, unreadable or holding
// something else than byte values.
std::optional<std::vector<int>> LeggiFileModello(const std::string& cartella, const std::string& modello,
                                                 std::size_t quanti, std::string& errore);

class Collaudo {
 public:
  explicit Collaudo(BancoTara b) : b_(b), tara_(b) {}

  // START and Riprendi.
  EsitoCollaudo Command2_Click();
  EsitoCollaudo Command6_Click();

  Tara& Passi() { return tara_; }
  // Writes the programming window's configuration to the device ("PLV3100"
  // devices programmed after calibration); the front end provides it.
  std::function<void()> programmaConfigurazione;

 private:
  enum class Fine { Normale, Test, Errore };
  EsitoCollaudo Corsa();
  Fine Dispositivo(EsitoCollaudo& e);
  Fine Identifica(EsitoCollaudo& e);
  Fine Consumi(EsitoCollaudo& e);
  Fine Switch();
  Fine CanaleA();
  Fine CanaleB();
  Fine Ingressi(int canale);
  bool ProgrammaFinale(EsitoCollaudo& e);
  bool LeggiCostantiUscita(int canale, int indirizzo);
  bool ReleDispositivi(const char* uno, const char* due);
  Fine Errore(const std::string& perche);

  BancoTara b_;
  Tara tara_;
  std::string errore_;
};

}  // namespace korventa
