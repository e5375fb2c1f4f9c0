// The main window `communication` as a presentation model.
#pragma once

#include <array>
#include <string>

#include "app/controls.h"

namespace korventa {

// Colours the window uses, as the original RGB values.
inline constexpr int kColoreRosso = 255;      // busy lamp during a transaction
inline constexpr int kColoreVerde = 65280;    // idle lamp, enabled switch button
inline constexpr int kColoreSistema = -1;     // the system button colour

struct MenuItem : Control {
  std::string Caption;
};

struct Communication {
  std::string Caption;
  CheckBox Check1;  // "Open Com" / "Close Com"
  ComboBox cmb_Porta;
  int SpiaColor = kColoreVerde;
  double progress = 0;  // share of the progress bar filled, 0..1
  std::array<Label, 2> lbl_device;
  std::array<CommandButton, 3> cmd_modo;
  int cmd_modo2_BackColor = kColoreVerde;
  CommandButton cmd_read, cmd_write, cmd_start, cmd_Lang;
  int cmd_start_Picture = 12;  // bitmap 12 start, 13 stop
  int cmd_Lang_Picture = 5;    // flag icon 5 + Lingua
  int Icon = 16;               // brand icon
  MenuItem mnu_File_Open, mnu_File_Save, mnu_File_SaveAs, mnu_Help_About, mnu_Exit, mnu_Collaudo;
};

// The about window frm_About.
struct FrmAbout {
  std::string Caption;
  int Icon = 15;
  Label lblTitle;
  std::array<Label, 2> lbl_Link;  // web address, manual file
  Control picIcon, picPDF;
  // Filled by the text set-up: web address and manual file of the brand.
  std::string IndirizzoWeb;
  std::string Manuale;
};

}  // namespace korventa
