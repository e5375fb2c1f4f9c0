// The two linearity sweeps of the calibration window, each writing
// "linear.dat" until "Stop" (Command4) is pressed: the output of channel A
// forced count by count against multimeter 0 ("lett mult", Command9), and
// the calibrator stepped against both multimeters ("2 ch compl.", Command3).
#pragma once

#include "calibration/tara.h"

namespace korventa {

// Each returns false (with the reason) when it could not start or an
// instrument or the device failed during the sweep; the file keeps the
// lines written so far. The loop runs until `frm.sweepStop` is set, which
// the hook `aggiorna` (called after every line) lets a view or a test set.
bool Command9_Click(BancoTara& b, std::string& errore);
bool Command3_Click(BancoTara& b, std::string& errore);
void Command4_Click(FrmTara& f);

}  // namespace korventa
