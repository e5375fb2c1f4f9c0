#include "factory/frm_3100.h"

#include "app/context.h"
#include "app/main_window.h"
#include "calibration/frm_tara.h"

namespace korventa {

namespace {

struct Coppia {
  PulsanteDispositivo* abilita;
  PulsanteDispositivo* disabilita;
};

Coppia CoppiaDi(Frm3100& f, bool programma, int d) {
  if (programma) return d == 0 ? Coppia{&f.Command7, &f.Command8} : Coppia{&f.Command9, &f.Command10};
  return d == 0 ? Coppia{&f.Command1, &f.Command2} : Coppia{&f.Command3, &f.Command4};
}

void Imposta(Frm3100& f, bool programma, int d, bool acceso) {
  const auto i = static_cast<std::size_t>(d);
  Coppia c = CoppiaDi(f, programma, d);
  (programma ? f.Check2 : f.Check1)[i].Value = acceso;
  c.abilita->Visible = !acceso;
  c.disabilita->Visible = acceso;
  (programma ? f.programma : f.calibra)[i] = acceso;
}

}  // namespace

Frm3100::Frm3100() {
  Frame1.Caption = "Taratura";
  Frame2.Caption = "Programmazione dopo taratura";
  for (auto* b : {&Command1, &Command7}) b->Caption = "Abilita dispositivo 1";
  for (auto* b : {&Command2, &Command8}) b->Caption = "Disabilita dispositivo 1";
  for (auto* b : {&Command3, &Command9}) b->Caption = "Abilita dispositivo 2";
  for (auto* b : {&Command4, &Command10}) b->Caption = "Disabilita dispositivo 2";
  for (auto* b : {&Command1, &Command2, &Command3, &Command4, &Command7, &Command8, &Command9, &Command10})
    b->colore = Colore::Normale;
  for (auto* b : {&Command2, &Command4, &Command8, &Command10}) b->Visible = false;
  Check1[0].Caption = Check2[0].Caption = "1";
  Check1[1].Caption = Check2[1].Caption = "2";
  Command5.Caption = "Imposta Menù  Programmazione";
}

void AbilitaDispositivo(Frm3100& f, bool programma, int dispositivo) { Imposta(f, programma, dispositivo, true); }
void DisabilitaDispositivo(Frm3100& f, bool programma, int dispositivo) { Imposta(f, programma, dispositivo, false); }

void InizioCorsa3100(Frm3100& f) {
  if (f.calibra[1] && (f.attesa2 || !f.calibra[0])) {
    // Device 2's turn (after device 1, or the only one enabled).
    f.attivo1 = false;
    f.attivo2 = true;
    f.attesa2 = false;
    f.calibra[0] = false;
    f.Check1[0].Value = false;
    f.Command4.colore = Colore::Giallo;
  } else if (f.calibra[0]) {
    f.attivo1 = true;
    f.attivo2 = false;
    f.attesa2 = false;
    f.Command2.colore = Colore::Giallo;
  } else {
    f.attivo1 = f.attivo2 = f.attesa2 = false;
  }
}

bool DispositivoAbilitato(const Frm3100& f, int dispositivo) {
  return dispositivo == 0 ? f.calibra[0] && f.attivo1 : f.calibra[1] && f.attivo2;
}

int DispositivoAttivo(const Frm3100& f) { return f.attivo2 ? 1 : 0; }

void Frm3100_Command5_Click(Context& c) { MostraSoloProgramma(c); }

}  // namespace korventa
