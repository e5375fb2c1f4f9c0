// What stands before every write that changes a converter's memory: the
// front ends install one guard (backups, the summary of what will change)
// and every write asks it first, so no front end can forget either.
#pragma once

namespace korventa {

struct Context;

// What a write is, for the backup record and for the summary.
enum class TipoScrittura {
  Configurazione,  // the programming window's write (also a ".DST" file or a form document)
  Immagine,        // the memory editor's 256-byte image
  Registro,        // the memory editor's register write
  Ripristino,      // a backup written back
  Switch,          // the switch window's stored defaults
};

class WriteGuard {
 public:
  virtual ~WriteGuard() = default;
  // Called with the pairs about to be sent (ProgramState::BufIndirizzi and
  // BufDati) to `bank`. False stops the write before anything is sent; the
  // guard has then told the user why.
  virtual bool PrimaDiScrivere(Context& c, int bank, TipoScrittura tipo) = 0;
};

// Every memory write calls PrimaDiScrivere(Context&, bank, tipo)
// (app/context.h) just before WriteBytes.

}  // namespace korventa
