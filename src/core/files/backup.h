// Automatic backups of the configuration memory, and writing them back.
//
// Before every write that changes a converter's memory the guard reads the
// bytes about to change (unless this connection already knows them), and
// appends one line to the backup file of the device's model: the device's
// identity, the time, the bank, and each changed address with its old and
// new byte. The file is JSON Lines (one JSON document per line, each line
// one write), "<folder>/<MODEL>.jsonl", oldest write first:
//   {"time":"2026-12-08T15:10:02.125Z","model":"PLV7100","product":12,
//    "variant":0,"firmware":4,"extra":0,"bank":0,"kind":"configuration",
//    "changes":[{"address":20,"old":200,"new":176}, ...]}
// A write that changes no byte adds no line. A backup that cannot be read
// or stored stops the write before anything is sent.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/context.h"
#include "app/write_guard.h"
#include "config/write_diff.h"

namespace korventa {

struct VoceBackup {
  std::string ora;      // UTC, "2026-12-08T15:10:02.125Z"
  std::string modello;  // model code, "PLV7100"
  int prodotto = 0, variante = 0, firmware = 0, extra = 0;
  int banco = 0;
  std::string tipo;  // "configuration", "image", "register", "restore", "switches"
  std::vector<ByteCambiato> modifiche;
};

std::string VoceInRiga(const VoceBackup& v);
// nullopt with a reason for a line that is not a backup entry.
std::optional<VoceBackup> VoceDaRiga(std::string_view riga, std::string& errore);

// $XDG_DATA_HOME/korventa/backups, else $HOME/.local/share/korventa/backups
// (arguments: the two variables, null when unset); empty when neither is set.
std::string CartellaBackupPredefinita(const char* xdgDataHome, const char* home);
std::string FileBackup(const std::string& cartella, const std::string& modello);
// Appends the entry to its model's file, creating the folder. False with a
// reason when it could not be stored completely.
bool AggiungiBackup(const std::string& cartella, const VoceBackup& v, std::string& errore, int lingua = 1);
// The entries of a model, oldest first; a missing file is an empty list.
// Lines that are not entries (a line cut short by a crash) are skipped.
std::vector<VoceBackup> LeggiBackup(const std::string& cartella, const std::string& modello);

struct OpzioniBackup {
  std::string cartella;  // where the files go
  bool attivo = true;    // false: --no-backup
};

// The model code of the identified device ("PLV7100"), from the
// identification globals and, where the model line is in memory byte 4,
// that byte (known or read now). Empty when it cannot be told.
std::string ModelloPerBackup(Context& c);

class Salvaguardia : public WriteGuard {
 public:
  // The clock gives the time stamp of each entry (UTC text as above).
  using Orologio = std::function<std::string()>;
  explicit Salvaguardia(OpzioniBackup opzioni, Orologio orologio = {});

  bool PrimaDiScrivere(Context& c, int bank, TipoScrittura tipo) override;

  // For configuration writes, before the backup: given the device's bank-0
  // bytes (every address of IndirizziRiepilogo and every written one
  // known), says whether to go on. The desktop program asks
  // (ConfermaRiepilogo), the command line prints, a dry run stops here.
  std::function<bool(Context& c, const std::array<int, 256>& vecchi)> riepilogo;

  const OpzioniBackup& Opzioni() const { return opzioni_; }

 private:
  OpzioniBackup opzioni_;
  Orologio orologio_;
};

// The current time as an entry's time stamp.
std::string OraUtc();

// Writing a backup entry back: the old byte of every address it changed.
struct EsitoRipristino {
  bool scritto = false;  // the old bytes were sent
  // Addresses that read back otherwise (address, expected, found); empty
  // when all matched.
  std::vector<ByteCambiato> differenze;
  std::string errore;  // why nothing (or not everything) was written
};
// Checks that the connected device is the entry's model, writes the old
// values (through the guard, so the restore is itself backed up) and reads
// them back.
EsitoRipristino Ripristina(Context& c, const VoceBackup& v);

// The entry as lines "address: new -> old" (what writing it back changes).
std::string DescriviRipristino(const VoceBackup& v);

// File > "Undo last write" of the desktop program: the last entry of the
// connected device's model, after a question that lists what will change.
void mnu_File_Undo_Click(Context& c, const OpzioniBackup& opzioni);

}  // namespace korventa
