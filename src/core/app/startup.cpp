#include "app/startup.h"

#include "app/context.h"
#include "app/impostatesti.h"
#include "config/catalog.h"

namespace korventa {

void Main(Context& c) {
  ProgramState& s = c.s;
  Communication& m = c.w.communication;
  Finestre& f = m.finestre;

  // Not leaving: windows closed from now on only hide.
  s.InUscita = false;
  // The factory menu stays hidden for good: nothing shows it again.
  m.mnu_Collaudo.Visible = false;
  // Always sixteen ports, whatever the machine has: a missing one fails
  // only when it is opened.
  RiempiPorte(m);
  // The start-up identity: brand 2, Italian, family 12 variant 0, Celsius.
  s.Marchio = 2;
  s.Lingua = 0;
  s.CodProdotto = 12;
  s.CodVariante = 0;
  s.GradiF = {false, false};
  // The fixed tables (the switch wizard's built-in tables join here).
  CaricaTabelle(s);
  // Memory editor, programming window and main window loaded, hidden.
  f[Schermo::frm_EEprom].Loaded = true;
  f[Schermo::frm_program].Loaded = true;
  FrmProgram_Load(s, c.w.frm_program);
  f[Schermo::communication].Loaded = true;
  communication_Load(c);
  // The tables once more, now that the windows are loaded.
  CaricaTabelle(s);
  // Texts of the start-up identity: family 12, variant 0.
  ImpostaTesti(c);
  // Every per-channel loop covers channels A and B.
  s.NumCanali1 = 1;
  // The main window's button pictures.
  m.cmd_write_Picture = kImmagineScrivi;
  m.cmd_read_Picture = kImmagineLeggi;
  m.cmd_start_Picture = kImmagineStart;
  m.cmd_modo_Picture = {kImmagineProgramma, kImmagineMisura, kImmagineSwitch};
  // An empty progress bar.
  m.progress = 0;
  // Main window in the top left corner, the programming window at the
  // same left edge right under it.
  Finestra& principale = f[Schermo::communication];
  if (principale.Height <= 0) principale.Height = kAltezzaPrincipale;
  principale.Left = 0;
  principale.Top = 0;
  f[Schermo::frm_program].Left = principale.Left;
  f[Schermo::frm_program].Top = principale.Top + principale.Height + kDistanzaFinestre;
  // Every other window opens where the programming window does, beside the
  // main window's left edge and under it: none covers the main window.
  for (Schermo k : {Schermo::frm_misura, Schermo::frm_switch, Schermo::frm_Lang, Schermo::frm_Oper,
                    Schermo::frm_About, Schermo::frm_EEprom}) {
    f[k].Left = kSinistraProgramma;
    f[k].Top = f[Schermo::frm_program].Top;
  }
  // Save has no file to write to until a file is opened or saved as.
  m.mnu_File_Save.Enabled = false;
  // Only the main window shows; the programming window waits for the
  // user (or for the first "Open Com").
  principale.Visible = true;
  f[Schermo::frm_program].Visible = false;
}

}  // namespace korventa
