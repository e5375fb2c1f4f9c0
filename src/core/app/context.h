// What the procedures of the windows work with: the program-wide state, the
// windows' presentation models, the device link and the dialogs.
#pragma once

#include <optional>

#include "app/dialogs.h"
#include "app/main_window.h"
#include "calibration/verifica.h"
#include "app/state.h"
#include "calibration/frm_tara.h"
#include "app/write_guard.h"
#include "config/program_window.h"
#include "factory/frm_eeprom.h"
#include "factory/frm_test.h"
#include "files/dst_record.h"
#include "link/link.h"
#include "measure/frm_misura.h"
#include "switches/frm_switch.h"

namespace korventa {

struct Windows {
  Communication communication;
  FrmProgram frm_program;
  FrmMisura frm_misura;
  FrmSwitch frm_switch;
  FrmOper frm_Oper;
  FrmAbout frm_About;
  FrmLang frm_Lang;
  FrmTara frm_tara;
  Frm3100 Frm_3100;
  FrmEeprom frm_eeprom;
  // The calibration check's windows and state, and the bench-test window.
  FrmVerifica frm_verifica;
  InterfacciaStrumVer interfaccia_strum_ver;
  StatoTaratura Taratura;
  FrmTest frm_test;
  // The file last opened or saved (empty until the first Open or Save as).
  std::string NomeFile;
  // Folder of the file last chosen in a file dialog, where the next starts.
  std::string UltimaCartella;
  // The ".DST" record kept between file operations: opening fills it,
  // saving rewrites every field but the first reserved double.
  DstRecord RecordDst;
  // The programming window as the last read of the device filled it; what
  // differs from it now is what the user edited. Opening a file drops it:
  // a file's values are not edits.
  std::optional<FrmProgram> LettoDalDispositivo;
};

struct Context {
  ProgramState& s;
  Windows& w;
  Link& link;
  Dialogs& dialogs;
  // Backups and the summary before a write; none in tests that do not ask
  // for them.
  WriteGuard* guard = nullptr;
};

// The call every memory write makes just before WriteBytes.
inline bool PrimaDiScrivere(Context& c, int bank, TipoScrittura tipo) {
  return c.guard == nullptr || c.guard->PrimaDiScrivere(c, bank, tipo);
}

}  // namespace korventa
