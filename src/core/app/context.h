// What the procedures of the windows work with: the program-wide state, the
// windows' presentation models, the device link and the dialogs.
#pragma once

#include "app/dialogs.h"
#include "app/main_window.h"
#include "calibration/verifica.h"
#include "app/state.h"
#include "calibration/frm_tara.h"
#include "config/program_window.h"
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
  // The calibration check's windows and state, and the bench-test window.
  FrmVerifica frm_verifica;
  InterfacciaStrumVer interfaccia_strum_ver;
  StatoTaratura Taratura;
  FrmTest frm_test;
  // The file last opened or saved (empty until the first Open or Save as).
  std::string NomeFile;
  // The ".DST" record kept between file operations: opening fills it,
  // saving rewrites every field but the first reserved double.
  DstRecord RecordDst;
};

struct Context {
  ProgramState& s;
  Windows& w;
  Link& link;
  Dialogs& dialogs;
};

}  // namespace korventa
