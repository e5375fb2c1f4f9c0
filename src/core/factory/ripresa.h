// The step table kept between runs of the headless production run: a run
// stopped (Ctrl-C) or ended by a fault can be resumed by a later process,
// which skips the rows that ended green, as the window's Riprendi does with
// the rows it still shows.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "app/dialogs.h"
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

enum class EsitoRipresa { Caricata, Mancante, Rifiutata };
// Loads the model's kept table from the reports folder into the window's
// rows. Mancante: there is none (the window is untouched); Rifiutata: a file
// that cannot be read or is not a whole table of this model (untouched too);
// `errore` says why.
EsitoRipresa CaricaRipresa(FrmTara& f, const std::string& cartella, Ripresa& da, std::string& errore);

// Whether no row of the window holds a result (a window that has not run
// since the program started).
bool TabellaVuota(const FrmTara& f);

// Riprendi in a window without results of its own (the program has been
// started again since the stop): offers the model's kept table, naming the
// run it comes from. Yes takes its rows, No resumes without them. False
// when the run is not to start: Cancel, or a kept table that cannot be read
// (said in a box).
bool OffriRipresa(FrmTara& f, const std::string& cartella, Dialogs& dialogs, Ripresa& da);

// Keeps the window's table in the reports folder while a run goes on: when
// the run starts and whenever a row ends, so that a run cut off (STOP,
// Ctrl-C, a power loss, the program closed) can be resumed by a later one.
class TabellaSalvata {
 public:
  TabellaSalvata(const FrmTara& f, const std::string& cartella, Ripresa da);
  // After each change of the window: the rows that have ended (green or
  // red) since the last call, in row order.
  std::vector<int> Aggiorna();
  // At the end of the run, with the identification it found (empty: the
  // one the table had).
  void Fine(const std::string& identificazione);
  // Why the table could not be kept (the first failure); empty when it was.
  const std::string& Errore() const { return errore_; }

 private:
  void Scrivi();

  const FrmTara& f_;
  std::string cartella_;
  Ripresa da_;
  std::array<bool, kRigheTara> finite_{};
  bool scritta_ = false;
  std::string errore_;
};

}  // namespace korventa
