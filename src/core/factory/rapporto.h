// The record a production run leaves for the quality department: the
// reports folder's CSV log (one line per run) and the certificate's
// contents, row by row.
#pragma once

#include <string>
#include <vector>

#include "factory/collaudo.h"

namespace korventa {

// One step row as the certificate shows it.
struct RigaCertificato {
  int riga = 0;
  std::string passo;      // "90mV A"
  std::string costante;   // the constant found
  std::string nominale;   // the nominal constant
  std::string tolleranza; // of the constant
  std::array<std::string, 3> letture;  // zero, half scale, full scale
  std::string tolleranzaLetture;
  std::string esito;      // "PASS" / "FAIL"
};

struct Certificato {
  std::string modello, identificazione, dataOra, verdetto;
  std::vector<std::string> strumenti;  // "Cal: Com6" ...
  std::vector<MisuraCorrente> correnti;
  std::vector<RigaCertificato> righe;
};

// The certificate of the run that just ended (rows ticked on the channels
// that ran).
Certificato CompilaCertificato(const FrmTara& f, const SelettoriStrumenti& sel, const EsitoCollaudo& e,
                               const std::string& dataOra);

// The log line: time, model, identification, verdict, failed rows; fields
// quoted where they need it.
std::string RigaRegistro(const Certificato& c, const EsitoCollaudo& e);
// Appends the line to "collaudi.csv" in the folder (header first on a new
// file); the file is replaced atomically, so it is never left half-written.
bool AggiungiRegistro(const std::string& cartella, const std::string& riga, std::string& errore);

}  // namespace korventa
