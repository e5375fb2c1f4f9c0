// The main window `communication` as a presentation model, the placement and
// visibility of every top-level window, the language window and the about
// window, with the handlers of their controls and menus.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/busy.h"
#include "app/controls.h"

namespace korventa {

struct Context;
struct ProgramState;

// Colours the window uses, as RGB values.
inline constexpr int kColoreRosso = 255;      // busy lamp during a transaction
inline constexpr int kColoreVerde = 65280;    // idle lamp, enabled switch button
inline constexpr int kColoreSistema = -1;     // the system button colour

// Picture resources: bitmaps on the buttons, icons for the brands and flags.
inline constexpr int kImmagineAboutIcona0 = 3;   // about window icon, brand 0
inline constexpr int kImmagineIcona0 = 4;        // main window icon, brand 0
inline constexpr int kImmagineBandieraIta = 5;   // flag icons: 5 + Lingua
inline constexpr int kImmagineBandieraEng = 6;
inline constexpr int kImmagineScrivi = 7;
inline constexpr int kImmagineLeggi = 8;
inline constexpr int kImmagineProgramma = 9;     // cmd_modo(0), (1), (2): 9, 10, 11
inline constexpr int kImmagineMisura = 10;
inline constexpr int kImmagineSwitch = 11;
inline constexpr int kImmagineStart = 12;
inline constexpr int kImmagineStop = 13;
inline constexpr int kImmagineManuale = 14;
inline constexpr int kImmagineAboutIcona2 = 15;
inline constexpr int kImmagineIcona2 = 16;
inline constexpr int kImmagineAboutIcona3 = 17;
inline constexpr int kImmagineIcona3 = 18;

// Window placement is kept in twips, the unit the layout was designed in
// (1440 per inch; 15 per pixel on a 96 dpi screen).
inline constexpr int kTwipsPerPixel = 15;
// The programming window stands this far below the main window.
inline constexpr int kDistanzaFinestre = 40;
// Where the view buttons and "Open Com" put the programming window.
inline constexpr int kSinistraProgramma = 1160;
// The main window's height as designed; the desktop program replaces it with
// the real one before the start-up places the windows.
inline constexpr int kAltezzaPrincipale = 2610;

// Every top-level window the program shows.
enum class Schermo {
  communication,  // the main window
  frm_program,    // programming
  frm_misura,     // measurement
  frm_switch,     // DIP switches
  frm_Lang,       // language choice
  frm_Oper,       // operator of the two-input model
  frm_About,      // about
  frm_EEprom,     // memory editor (factory; nothing in the menus reaches it)
};
inline constexpr int kNumSchermi = 8;

// A top-level window as the program places it. A window that the user
// closes while the program runs only hides, so its controls keep their
// state; Loaded goes false only when the program ends.
struct Finestra {
  bool Loaded = false;
  bool Visible = false;
  bool Enabled = true;
  int Left = 0;    // twips
  int Top = 0;     // twips
  int Height = 0;  // twips; 0 = the window's own size
  // Bumped whenever the window is to be brought to the front.
  std::uint32_t PrimoPiano = 0;
};

struct Finestre {
  std::array<Finestra, kNumSchermi> f{};
  Finestra& operator[](Schermo s) { return f[static_cast<std::size_t>(s)]; }
  const Finestra& operator[](Schermo s) const { return f[static_cast<std::size_t>(s)]; }
};

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
  // After Write: "verified: 21 addresses", or how many read back differently.
  Label lbl_verifica;
  std::array<CommandButton, 3> cmd_modo;
  int cmd_modo2_BackColor = kColoreVerde;
  CommandButton cmd_read, cmd_write, cmd_start, cmd_Lang;
  int cmd_start_Picture = kImmagineStart;  // bitmap 12 start, 13 stop
  int cmd_Lang_Picture = kImmagineBandieraIta;  // flag icon 5 + Lingua
  int Icon = kImmagineIcona2;                // brand icon
  // Bitmaps of the other picture buttons, put on by the start-up (0: none).
  std::array<int, 3> cmd_modo_Picture{0, 0, 0};
  int cmd_read_Picture = 0;
  int cmd_write_Picture = 0;

  // Menus, with their design-time captions; the text set-up replaces the
  // File items, About and Exit.
  MenuItem mnu_file{{}, "File"};
  MenuItem mnu_File_Open{{}, "Open"};
  MenuItem mnu_File_Save{{}, "Save"};
  MenuItem mnu_File_SaveAs{{}, "Save as..."};
  // Writes back the bytes the last memory write changed (from its backup).
  MenuItem mnu_File_Undo{{}, "Undo last write"};
  MenuItem mnu_View{{}, "View"};
  MenuItem mnu_View_Program{{}, "Program"};
  MenuItem mnu_View_Measure{{}, "Measure"};
  MenuItem mnu_View_Switch{{}, "Switch"};
  MenuItem mnu_Action{{}, "&Action"};
  MenuItem mnu_Action_Program{{}, "Program"};
  MenuItem mnu_Action_Program_Read{{}, "Read"};
  MenuItem mnu_Action_Program_Write{{}, "Write"};
  MenuItem mnu_Action_Measure{{}, "Measure"};
  MenuItem mnu_Action_Measure_Start{{}, "Start"};
  MenuItem mnu_Action_Measure_Stop{{}, "Stop"};
  MenuItem mnu_Collaudo{{}, "Collaudo"};
  MenuItem mnu_Collaudo_EEprom{{}, "EEprom"};
  MenuItem mnu_Collaudo_Taratura{{}, "Taratura"};
  MenuItem mnu_test{{}, "Test"};
  MenuItem mnu_verifica{{}, "Verifica taratura"};
  MenuItem mnu_Help{{}, "&?"};
  MenuItem mnu_Help_About{{}, "A&bout KORVENTA"};
  MenuItem mnu_Exit{{}, "Exit"};

  // A transaction is running: lamp red, hourglass pointer. Device commands
  // of this window wait for it to end; their buttons and menu items are
  // disabled meanwhile (AggiornaComandi), so a click is not silently lost.
  bool Occupato = false;
  // The program was asked to close while a transaction ran: a write stops
  // after the frame on the wire, and the program closes once the handler
  // that ran it has returned (ChiusuraInSospeso).
  bool ChiusuraRichiesta = false;
  // ... and unsaved edits are to be asked about then (the close box, not a
  // signal).
  bool ChiusuraChiedi = false;
  // A device answered its identification since the program started (or
  // since the last one that did not): until then the model labels say that
  // no device is identified and the programming window is empty.
  bool Identificato = false;
  // The configuration on screen was edited since it was last read, opened,
  // saved or written: the title carries a marker, and Open and Exit ask
  // before throwing the edits away.
  bool Modificato = false;
  // The title as shown: Caption with the unsaved-edit marker.
  std::string TitoloMostrato;
  // Serial ports really present, beyond "COM1" to "COM16": the entry shown
  // in the list and the port it opens.
  std::vector<std::pair<std::string, std::string>> PorteReali;

  // Placement and visibility of every top-level window.
  Finestre finestre;
};

// The language window frm_Lang: two option buttons showing the flags.
struct FrmLang {
  std::array<OptionButton, 2> opt_Lang;
  std::array<int, 2> opt_Lang_Picture{kImmagineBandieraIta, kImmagineBandieraEng};
};

// The about window frm_About.
struct FrmAbout {
  std::string Caption;
  int Icon = kImmagineAboutIcona2;
  Label lblTitle;
  std::array<Label, 2> lbl_Link;  // web address, manual file
  Control picIcon, picPDF;
  int picPDF_Picture = kImmagineManuale;
  CommandButton cmdOK{{}, "OK", ""};
  CommandButton cmdSysInfo{{}, "&System Info...", ""};
  // Filled by the text set-up: web address and manual file of the brand.
  std::string IndirizzoWeb;
  std::string Manuale;
};

// The message shown when no system-information tool can be started; the
// original has it in Italian in both languages.
inline constexpr const char* kInfoSistemaAssente =
    "Le informazioni sul sistema non sono attualmente disponibili.";

// The busy indication of the main window: the link reports here, the model
// changes, and `changed` tells the view to repaint the main window at once
// (a transaction does not return to the event loop until it ends).
class SpiaComunicazione final : public BusyObserver {
 public:
  SpiaComunicazione(ProgramState& s, Communication& m) : s_(s), m_(m) {}
  std::function<void()> changed;

  void SetBusy(bool busy) override;
  void SetProgress(double share) override;
  void SetMainEnabled(bool enabled) override;
  // The adapter was unplugged and the link closed the port: the box goes
  // back to "Open Com" so that ticking it again reopens the port.
  void PortLost() override;

 private:
  void Notify();
  ProgramState& s_;
  Communication& m_;
};

// --- Main window handlers -------------------------------------------------

// The port selector's sixteen entries, "COM1" to "COM16", the first selected.
void RiempiPorte(Communication& m);

// Adds the serial ports the machine really has (name and description, as
// the platform lists them) after "COM1" to "COM16", keeping the text of the
// selector.
void AggiornaPorte(Communication& m, const std::vector<std::pair<std::string, std::string>>& porte);
// The port an entry of the selector opens: a real port's entry shows its
// description beside the name.
std::string PortaScelta(const Communication& m);

// What the main window's commands may do now: Read, Write and Start (and
// their menu items, and the file commands) are disabled while a transaction
// runs and while a measurement is being prepared; Save needs a file name.
// Also puts the unsaved-edit marker on the title.
void AggiornaComandi(Context& c);
// The user changed a value of the configuration on screen.
void ModificaUtente(Context& c);
// When there are unsaved edits, asks whether to throw them away; true when
// there are none or the user agrees.
bool ConfermaAbbandono(Context& c);
// The form while no device is identified: the model labels say so and the
// programming window shows no frame and takes no input.
void MostraNonIdentificato(Context& c);

// Load: EventiAttivi = True.
void communication_Load(Context& c);
// "Open Com" clicked (Check1.Value already holds the new state): opens the
// port and reads the device, or closes the port.
void Check1_Click(Context& c);
// View button i (0 programming, 1 measurement, 2 switch): shows or hides
// that window and brings it to the front.
void cmd_modo_Click(Context& c, int i);
// The programming window shown and in front, the measurement window hidden.
void MostraSoloProgramma(Context& c);
void cmd_read_Click(Context& c);
void cmd_write_Click(Context& c);
// Starts live measurement, or stops it while it runs.
void cmd_start_Click(Context& c);
void cmd_Lang_Click(Context& c);

void mnu_File_Open_Click(Context& c);
void mnu_File_Save_Click(Context& c);
void mnu_File_SaveAs_Click(Context& c);
// Write from the Action menu (and its F6 shortcut): asks first, since a key
// pressed by mistake would overwrite the device.
void mnu_Action_Program_Write_Click(Context& c);
// Start only when nothing is measured; Stop is the plain toggle, so it
// starts a measurement when none runs.
void mnu_Action_Measure_Start_Click(Context& c);
void mnu_Action_Measure_Stop_Click(Context& c);
void mnu_Help_About_Click(Context& c);
// Ends the program: InUscita, measurement stopped, every window unloaded,
// port closed. Closing the main window runs the same. Unsaved edits are
// asked about first; during a transaction see RichiediChiusura.
void mnu_Exit_Click(Context& c);
// The program asked to close: Exit, the main window's close box, or the
// session ending (chiedi false: no question, the program must go). With no
// transaction running it closes at once (true). Otherwise nothing is cut
// off half-way: a write stops after the frame on the wire, leaves program
// mode and says how far it got, any other transaction ends as usual; the
// program closes when that handler returns (false until then).
bool RichiediChiusura(Context& c, bool chiedi);
// To be called when a handler has returned: a close asked for while it ran
// happens now. True when the program is ending.
bool ChiusuraInSospeso(Context& c);

// A secondary window's close box: only hides it while the program runs.
// Returns true when the window really unloads (the program is ending).
bool Form_QueryUnload(Context& c, Schermo schermo);

// --- Language window ------------------------------------------------------

// Load: the button of the current language selected.
void frm_Lang_Load(Context& c);
// Language i chosen: Lingua, texts of every window, window hidden.
void opt_Lang_Click(Context& c, int i);

// --- About window ---------------------------------------------------------

void cmdOK_Click(Context& c);
// No system-information tool could be started.
void InfoSistemaNonDisponibile(Context& c);

}  // namespace korventa
