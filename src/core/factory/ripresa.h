// The step table kept between runs of the headless production run: a run
// stopped (Ctrl-C) or ended by a fault can be resumed by a later process,
// which skips the rows that ended green, as the window's Riprendi does with
// the rows it still shows.
#pragma once

#include <string>

#include "calibration/frm_tara.h"

namespace korventa {

// The file of a model's last run in the reports folder:
// "<folder>/PLV7110A.resume.json".
std::string FileRipresa(const std::string& cartella, const std::string& modello);

// The rows of the window as a JSON document: the model, the unit's
// identification and the time of the run, and each row's texts and colours.
std::string StatoRighe(const FrmTara& f, const std::string& identificazione, const std::string& dataOra);

// What a saved document says of the run it comes from.
struct Ripresa {
  std::string identificazione, dataOra;
};

// Puts the rows of a saved document back into the window (their ticks stay
// as the window has them). The document must be of the window's model and
// whole: on any fault nothing is changed and `errore` says why.
bool CaricaStatoRighe(FrmTara& f, const std::string& testo, Ripresa& da, std::string& errore);

}  // namespace korventa
