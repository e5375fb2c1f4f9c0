#include "calibration/frm_tara.h"

namespace korventa {

namespace {

std::size_t U(int i) { return static_cast<std::size_t>(i); }

}  // namespace

unsigned RgbColore(Colore c) {
  switch (c) {
    case Colore::Bianco: return 0xFFFFFF;
    case Colore::Giallo: return 0xFFFF00;
    case Colore::Verde: return 0x00FF00;
    case Colore::Rosso: return 0xFF0000;
    case Colore::Normale: break;
  }
  return 0xF0F0F0;
}

const std::vector<ModelloTara>& ModelliTara() {
  using A3 = std::array<double, 3>;
  static const std::vector<ModelloTara> kModelli = {
      {"PLV7100", CanaliModello::AB, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}, A3{26, 24, 21}},
      {"PLV7110A", CanaliModello::A, {0, 1, 2, 7, 8, 9}, A3{10, 15, 15}},
      {"PLV7110B", CanaliModello::A, {5, 6, 8, 9}, A3{10, 15, 15}},
      {"PLV7110C", CanaliModello::A, {20, 8, 9}, A3{10, 15, 15}},
      {"PLV7110D", CanaliModello::A, {3, 4, 8, 9}, A3{10, 15, 15}},
      {"PLV7120A", CanaliModello::AB, {0, 1, 2, 7, 8, 9, 12, 13, 14, 19, 10, 11}, A3{18, 18, 18}},
      {"PLV7120B", CanaliModello::AB, {5, 6, 8, 9, 17, 18, 10, 11}, A3{18, 18, 18}},
      {"PLV7120C", CanaliModello::AB, {20, 21, 8, 9, 10, 11}, A3{18, 18, 18}},
      {"PLV7120D", CanaliModello::AB, {3, 4, 8, 9, 15, 16, 10, 11}, A3{18, 18, 18}},
      {"PLV7210A", CanaliModello::AB, {0, 1, 2, 7, 8, 9, 10, 11}, A3{18, 18, 18}},
      {"PLV7210B", CanaliModello::AB, {5, 6, 8, 9, 10, 11}, A3{18, 18, 18}},
      {"PLV7210C", CanaliModello::AB, {20, 8, 9, 10, 11}, A3{18, 18, 18}},
      {"PLV7210D", CanaliModello::AB, {3, 4, 8, 9, 10, 11}, A3{18, 18, 18}},
      {"PLV7220D", CanaliModello::AB, {3, 4, 8, 9, 15, 16, 10, 11}, A3{18, 18, 18}},
      {"PLV7150", CanaliModello::SoloA, {0, 1, 2, 3, 4, 5, 6, 7, 9}, std::nullopt},
      {"3200OEM", CanaliModello::SoloA, {20, 9}, std::nullopt},
      {"PLV3100", CanaliModello::A, {0, 1, 2, 5, 6, 7, 8}, A3{10, 10, 10}},
  };
  return kModelli;
}

const ModelloTara* ModelloTaraDaCodice(const std::string& codice) {
  for (const auto& m : ModelliTara())
    if (codice == m.codice) return &m;
  return nullptr;
}

const std::vector<RangeIngresso>& RangeIngressi() {
  static const std::vector<RangeIngresso> kRange = {
      {"90mV", {0, 12}, 1, {50, 29}, 50, 56.5, 0, 45, 90},
      {"200mV", {1, 13}, 2, {53, 32}, 125, 113, 0, 100, 200},
      {"800mV", {2, 14}, 3, {56, 35}, 500, 453, 0, 400, 800},
      {"10V", {3, 15}, 4, {59, 38}, 5000, 19900, 0, 5000, 10000},
      {"20mA", {4, 16}, 5, {62, 41}, 10000, 38500, 0, 10000, 20000},
      {"2K", {5, 17}, 16, {65, 44}, 1400, 1, 0, 1000, 2000},
      {"PTC", {20, 21}, 25, {65, 44}, 25, 1, 0, 100, 200},
      {"500R", {6, 18}, 17, {68, 47}, 300, 1, 0, 250, 500},
      {"CJC", {7, 19}, 8, {7, 8}, 0, 100, 0, 50, 100},
  };
  return kRange;
}

RangeIngresso RangePerModello(const RangeIngresso& r, const std::string& modello, int canale) {
  RangeIngresso x = r;
  const bool singolo = modello == "PLV7100" || modello == "PLV7150";
  if (singolo && canale == 0 && r.tipo == 4) x.N = 5700;
  if (singolo && canale == 0 && r.tipo == 5) x.N = 10300;
  if (modello == "3200OEM" && r.tipo == 25) {
    x.Z = -20;
    x.H = 90;
  }
  return x;
}

const RangeIngresso* RangeDiRiga(int riga) {
  for (const auto& r : RangeIngressi())
    if (r.riga[0] == riga || r.riga[1] == riga) return &r;
  return nullptr;
}

std::string DidascaliaRiga(int riga) {
  static const char* kUscite[] = {"Out V A", "Out mA A", "Out V B", "Out mA B"};
  if (riga >= 8 && riga <= 11) return kUscite[riga - 8];
  const RangeIngresso* r = RangeDiRiga(riga);
  if (!r) return "";
  return std::string(r->nome) + (r->riga[1] == riga ? " B" : " A");
}

FrmTara::FrmTara() {
  for (int i = 0; i < kRigheTara; ++i) righe[U(i)].chk_tara.Caption = DidascaliaRiga(i);
  chk_default.Caption = "Carica Default";
  chk_switch.Caption = "Controllo switch";
  chk_controllo.Caption = "Controllo misure";
  chk_Consumo.Caption = "Prova Cons.";
  chk_programma.Caption = "Progr. finale";
  chk_Canale[0].Caption = "Canale A";
  chk_Canale[1].Caption = "Canale B";
  fra_ptc.Caption = "Taratura PTC";
  Text2.Text = "15225";
  Text3.Text = "10324";
  Text4.Text = "Veq";
  Text5.Text = "Req";
  Command1_A.Caption = "Tara Canale A";
  Command1_B.Caption = "Tara Canale B";
  Command2.Caption = "START";
  Command3.Caption = "2 ch compl.";
  Command9.Caption = "lett mult";
  Command4.Caption = "Stop";
  Command5.Caption = "STOP";
  Command6.Caption = "Riprendi";
  Command7.Caption = "Prog";
  cmd_On.Caption = "On";
  cmd_Off.Caption = "Off";
}

void opt_modello_Click(FrmTara& f, Frm3100& f3100, ProgramState& s, int indice) {
  if (indice < 0 || indice >= kNumModelliTara) return;
  const ModelloTara& m = ModelliTara()[U(indice)];
  f.opt_modello = indice;
  f.modello = m.codice;
  f.chk_default.Value = false;
  f.chk_switch.Value = f.chk_controllo.Value = f.chk_Consumo.Value = f.chk_programma.Value = true;
  f.chk_Canale[0].Value = false;
  for (auto& r : f.righe) r.chk_tara.Value = false;
  f.ritardo = 4;
  f.limiti = m.limiti;
  f.chk_Canale[0].Value = true;
  if (m.canali == CanaliModello::AB) f.chk_Canale[1].Value = true;
  if (m.canali == CanaliModello::SoloA) f.chk_Canale[1].Value = false;
  for (int r : m.righe) f.righe[U(r)].chk_tara.Value = true;
  const bool senzaSwitch = f.modello == "PLV3100" || f.modello == "3200OEM";
  f.chk_switch.Value = !senzaSwitch;
  f.chk_switch.Enabled = !senzaSwitch;
  if (f.modello == "PLV7150" || f.modello == "3200OEM") f.chk_Consumo.Value = false;
  if (f.modello == "PLV7220D") f.chk_default.Value = true;
  if (f.modello == "PLV3100") f3100.Visible = true;
  s.Modello = f.modello;
}

void PulisciRiga(RigaTara& r) {
  r.chk_tara.colore = Colore::Normale;
  for (auto* t : {&r.txt_k1, &r.txt_zero, &r.txt_half, &r.txt_span}) {
    t->Text.clear();
    t->colore = Colore::Bianco;
  }
}

bool RigaCompleta(const RigaTara& r) {
  for (const auto* t : {&r.txt_k1, &r.txt_zero, &r.txt_half, &r.txt_span})
    if (t->colore != Colore::Verde) return false;
  return true;
}

void Command5_Click(FrmTara& f) { f.stop = true; }

void Command7_Click(FrmVerifica& v) {
  v.Visible = true;
  v.Spia_verifica.Caption = "STOP";
  v.Spia_verificaColor = 0x0000FF;  // red (the models keep 0x00BBGGRR)
  v.report_ver.Text.clear();
  v.ErroreProg = true;
  v.Programmazioni = 0;
}

}  // namespace korventa
