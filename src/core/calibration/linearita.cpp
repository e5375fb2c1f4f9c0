#include "calibration/linearita.h"

#include <fstream>

#include "app/format.h"

namespace korventa {

namespace {

// The sweeps use fixed multimeter ports; the operator's selectors come back
// when the sweep ends.
class PorteSweep {
 public:
  PorteSweep(SelettoriStrumenti& sel, const char* mult, const char* mult1)
      : sel_(sel), mult_(sel.txt_comMult), mult1_(sel.txt_comMult1) {
    sel_.txt_comMult = mult;
    if (mult1) sel_.txt_comMult1 = mult1;
  }
  ~PorteSweep() {
    sel_.txt_comMult = mult_;
    sel_.txt_comMult1 = mult1_;
  }
  PorteSweep(const PorteSweep&) = delete;
  PorteSweep& operator=(const PorteSweep&) = delete;

 private:
  SelettoriStrumenti& sel_;
  std::string mult_, mult1_;
};

std::string Percorso(const FrmTara& f) { return (f.cartellaModelli.empty() ? "." : f.cartellaModelli) + "/linear.dat"; }

bool Fine(BancoTara& b, std::ofstream& file, bool forzatura, bool ok) {
  file.close();
  // Leave output forcing as well as the measurement, so the device is
  // back in its normal mode after the sweep.
  if (forzatura) b.link.ExitProgram();
  b.link.StopMeasure();
  b.strumenti.ChiudiPorta(Ruolo::Cal);
  b.frm.inCorso = false;
  b.aggiorna();
  return ok;
}

}  // namespace

void Command4_Click(FrmTara& f) { f.sweepStop = true; }

bool Command9_Click(BancoTara& b, std::string& errore) {
  FrmTara& f = b.frm;
  Strumenti& st = b.strumenti;
  PorteSweep porte(st.Selettori(), "Com8", nullptr);
  f.sweepStop = false;
  f.inCorso = true;
  if (!st.ApriPortaDispositivo(b.link) || !st.ApriPorta(Ruolo::Mult) || !st.ImpostaMult(0, "REM", "VOLT")) {
    errore = st.Errore();
    f.inCorso = false;
    return false;
  }
  std::ofstream file(Percorso(f), std::ios::trunc);
  if (!file) {
    errore = "cannot create " + Percorso(f);
    f.inCorso = false;
    return false;
  }
  b.s.ErroreCom = 0;
  b.link.EnterProgram();
  if (b.s.ErroreCom != 0) {
    errore = "the device did not enter output forcing";
    return Fine(b, file, false, false);
  }
  int grezzo = 799;
  while (!f.sweepStop) {
    if (++grezzo > 4040) grezzo = 800;
    b.link.SendValueA(grezzo);
    b.link.Pausa(0.5);
    const auto y = st.LeggiMult(0);
    if (!y) {
      errore = st.Errore();
      return Fine(b, file, true, false);
    }
    file << grezzo << '\t' << Format(*y / 1000, "00.000") << "\r\n" << std::flush;
    b.aggiorna();
  }
  return Fine(b, file, true, true);
}

bool Command3_Click(BancoTara& b, std::string& errore) {
  FrmTara& f = b.frm;
  Strumenti& st = b.strumenti;
  PorteSweep porte(st.Selettori(), "Com1", "Com2");
  f.sweepStop = false;
  f.inCorso = true;
  if (!st.ApriPortaDispositivo(b.link) || !st.ImpostaMult(0, "REM", "VOLT") || !st.ImpostaMult(1, "REM", "VOLT")) {
    errore = st.Errore();
    f.inCorso = false;
    return false;
  }
  b.s.ErroreCom = 0;
  b.link.ReadBytes(0, 106, 6);
  b.link.ReadBytes(0, 112, 6);
  if (b.s.ErroreCom != 0) {
    errore = "the output constants could not be read";
    f.inCorso = false;
    return false;
  }
  b.link.StartMeasure();
  std::ofstream file(Percorso(f), std::ios::trunc);
  if (!file) {
    errore = "cannot create " + Percorso(f);
    return Fine(b, file, false, false);
  }
  file << "Input\tInA\tOutA\tMultA\tInB\tOutB\tMultB\r\n";
  int n = 0;
  while (!f.sweepStop) {
    ++n;
    if (!st.ImpostaCal(n)) {
      errore = st.Errore();
      return Fine(b, file, false, false);
    }
    b.link.Pausa(1);
    const auto y = st.LeggiMult(0);
    if (!y) {
      errore = st.Errore();
      return Fine(b, file, false, false);
    }
    file << n << '\t' << Format(*y / 1000, "00.000") << "\r\n" << std::flush;
    b.aggiorna();
  }
  return Fine(b, file, false, true);
}

}  // namespace korventa
