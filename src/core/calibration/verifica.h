// The calibration check: the window frm_verifica ("Verifica taratura"),
// which programs the device and holds the report, the instrument window
// interfaccia_strum_ver ("Impostazione strumenti"), and the procedures
// behind it (Taratura): the calibrator applies the minimum, the mid point
// and the maximum of the programmed input range, the multimeter reads the
// device's output at each, and the readings go into the report.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "app/controls.h"

namespace korventa {

struct Context;
class Strumenti;

// Both windows open this far from the screen's left edge (twips).
inline constexpr int kSinistraVerificaTwips = 9000;

struct FrmVerifica {
  std::string Caption = "Verifica taratura";
  bool Visible = false;
  CommandButton comm_strum{{}, "Prog. strumenti", ""};
  CommandButton Send_prog{{}, "Prog. dispositivo", ""};
  CommandButton prog_def{{}, "Programmazione default", ""};
  CommandButton prog_man{{}, "Programmazione manuale (Finestra Program)", ""};
  // The status lamp: caption and colour.
  Label Spia_verifica;
  int Spia_verificaColor = 0xC0C0C0;
  TextBox report_ver;
  // Successful programmings since the program started.
  int Programmazioni = 0;
  // Set while a programming has not been confirmed.
  bool ErroreProg = false;
};

struct InterfacciaStrumVer {
  std::string Caption = "Impostazione strumenti";
  bool Visible = false;
  int Left = 0;  // twips

  Frame alimentatore{{}, "Impostazione Alimentatore"};
  Label lbl_alim{{}, "Vcc"};
  TextBox val_alim_ver;
  CheckBox Check_alim_ver;
  CommandButton set_al{{}, "Set alim.", ""};

  Frame multimetro{{}, "Impostazione multimetro"};
  Label lbl_outvi{{}, "Selezionare tipo out"};
  ComboBox outvi;
  CheckBox Check_mult_ver;
  CommandButton set_mult{{}, "Set mult.", ""};

  Frame Calibratore{{}, "Impostazione Calibratore"};
  Label lbl_cal{{}, "Selezionare ingresso"};
  ComboBox calibratore_in;
  Label lbl_min{{}, "Min:"}, lbl_max{{}, "Max:"}, lbl_mezzo{{}, "1/2 scala:"};
  TextBox minimo, massimo, mezzo_scala;
  CheckBox Check_cal_ver;
  CommandButton set_cali{{}, "Set cal.", ""};

  Frame un_switch{{}, "Impostazione Unità Switch"};
  Label lbl_disp{{}, "Dispositivo:"};
  ComboBox disp_un_sw;
  Label lbl_can_usw{{}, "Selezionare canale"};
  ComboBox sel_can_usw;
  CheckBox Check_un_sw;
  CommandButton set_usw{{}, "Set Un.Sw.", ""};

  Label lbl_modo{{}, "Modo Taratura:"};
  ComboBox mode_aut_man;
  CommandButton imp_strum{{}, "OK", ""};
  CommandButton stop_ver{{}, "<-Chiudi", ""};
  Label Label2;
};

// The check's own state (Taratura).
struct StatoTaratura {
  double Minimo = 0, Massimo = 0, Mezzo = 0;
  // The range in tenths, as the OK button keeps it.
  double MinimoDecimi = 0, MassimoDecimi = 0, MezzoDecimi = 0;
  double Alimentazione = 0;
  // Calibrator values of the three points (the range × K).
  double Zero = 0, Meta = 0, Span = 0;
  int Contatore = 1;
  int Modo = -1;  // -1 none, 0 automatic, 1 manual
  bool Fine = false;
  // The model under check, from the device list when no model was set.
  std::string Modello;
};

// An input type of the calibrator list: the function sent, the factor a
// value in the type's unit is sent with, the unit in the report.
struct IngressoCalibratore {
  const char* voce;
  std::array<std::uint8_t, 4> funzione;
  double k;
  const char* unita;
};
const std::array<IngressoCalibratore, 18>& IngressiCalibratore();

// The devices of disp_un_sw, in list order.
const std::array<const char*, 17>& DispositiviVerifica();

// The relay strings set_usw sends for a device (list index), channel (0, 1)
// and input type (list index): the device's routing (empty when it has
// none) and the input routing. nullopt for a channel that cannot be checked
// (the second output of the PLV7210C).
struct InstradamentoVerifica {
  std::string dispositivo, ingresso;
};
std::optional<InstradamentoVerifica> Instradamento(int dispositivo, int canale, int ingresso);

// The range rule broken by a minimum and maximum on an input type, with its
// message; nullopt when the range is accepted.
std::optional<std::string> RegolaRange(int ingresso, double minimo, double massimo);

// What the procedures work with.
struct Verifica {
  Context& c;
  Strumenti& strumenti;
  FrmVerifica& f;
  InterfacciaStrumVer& i;
  StatoTaratura& t;
};

// frm_verifica.
void comm_strum_Click(Verifica& v);
bool Send_prog_Click(Verifica& v);
void prog_def_Click(Verifica& v);
void prog_man_Click(Verifica& v);
// Saves the report as a text file, the name asked through the dialogs.
// False when no name was given or the file could not be written (said in a
// message).
bool SalvaReport(Context& c, const FrmVerifica& f);

// interfaccia_strum_ver.
void mode_aut_man_Click(Verifica& v, int index);
void disp_un_sw_Click(Verifica& v, int index);
bool set_al_Click(Verifica& v);
bool set_mult_Click(Verifica& v);
bool set_usw_Click(Verifica& v);
void calibratore_in_Click(Verifica& v, int index);
// The check run; false when it could not start or an instrument failed.
bool set_cali_Click(Verifica& v);
// The range rules, then the set-up of supply, multimeter and relays, and
// the check run; false (said in a message or the report) at the first step
// that fails.
bool EseguiVerifica(Verifica& v);
// OK: EseguiVerifica, then the report says the device's measurement
// follows. True when the measurement should now be shown and started.
bool imp_strum_Click(Verifica& v);
void stop_ver_Click(Verifica& v);

}  // namespace korventa
