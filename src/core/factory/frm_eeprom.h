// The memory editor `frm_eeprom` (factory use): the first 256 bytes of the
// configuration memory as a list, saved to and loaded from a text file,
// written back and verified; and one register of any bank read or written
// as a byte, a 16-bit integer (low byte first) or a 3-byte device float.
//
// Image file: 256 lines, line n holding the decimal value of address n.
// Anything else (a line that is not a whole number 0..255, more or fewer
// than 256 values) is refused with the first bad line named, and nothing is
// written; a register value that does not fit its format and a bank or
// address outside 0..255 are refused before anything is sent.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/controls.h"

namespace korventa {

struct Context;
struct ProgramState;

inline constexpr int kByteImmagine = 256;
using ImmagineMemoria = std::array<std::uint8_t, kByteImmagine>;

// Option2: the register format.
enum FormatoRegistro : int { kFormatoByte = 0, kFormatoInt = 1, kFormatoFloat = 2 };

struct FrmEeprom {
  std::string Caption = "EEPROM";
  // "address<TAB>value" per line; the differences found by Verify.
  ListBox List1;
  ListBox List2 = [] {
    ListBox l;
    l.Visible = false;
    return l;
  }();
  CommandButton Command3{{}, "Leggi EEprom", {}};
  CommandButton Command5{{}, "Scrivi EEprom", {}};
  CommandButton Command6{{}, "Salva su file EEprom.dat", {}};
  CommandButton Command2{{}, "Carica da file EEprom.dat", {}};
  CommandButton Command7{{}, "Verifica", {}};
  Label lbl_banco{{}, "Banco"};
  Label lbl_start{{}, "Registro"};
  Label lbl_formato{{}, "Formato"};
  Label lbl_valore{{}, "Valore"};
  Label lbl_exp{{}, "Exp"};
  TextBox txt_banco{{}, "0"};
  TextBox txt_start{{}, "0"};
  std::array<OptionButton, 3> Option2{
      {{{}, "Byte", true}, {{}, "Int", false}, {{}, "Float", false}}};
  // Index 0: the value as a number in txt_valore; 1: as raw bytes.
  std::array<OptionButton, 2> Option1{{{{}, "Numero", true}, {{}, "Byte", false}}};
  TextBox txt_valore{{}, "0"};
  TextBox txt_valoreA{{}, "000"};
  TextBox txt_valoreB{{}, "000"};
  TextBox txt_valoreC{{}, "000"};
  CommandButton Command1{{}, "Leggi", {}};
  CommandButton Command4{{}, "Scrivi", {}};
};

// The image file's text: 256 lines of decimal values.
std::string TestoImmagine(const ImmagineMemoria& bytes);
// The image from a file's text. nullopt with a message naming the first bad
// line (1-based) or the count of values. A last line break is allowed, and
// so are blanks and a CR around a value.
std::optional<ImmagineMemoria> LeggiImmagine(std::string_view testo, int lingua, std::string& errore);
// The image the list holds (the value part of each line, after its last
// tab), with the same refusals naming the address.
std::optional<ImmagineMemoria> ImmagineDaLista(const ListBox& list, int lingua, std::string& errore);
void MostraImmagine(ListBox& list, const ImmagineMemoria& bytes);

// The selected register format and value mode.
int FormatoScelto(const FrmEeprom& f);
// The bytes a register write sends (address A first) from the boxes; nullopt
// with a message when the value does not fit the format.
std::optional<std::vector<std::uint8_t>> BytesRegistro(const FrmEeprom& f, int lingua, std::string& errore);

// The image operations behind the buttons, for every front end.
// The 256 bytes of bank 0; nullopt when the read failed (the link has said why).
std::optional<ImmagineMemoria> LeggiMemoria(Context& c);
// Writes the image to bank 0 through the write guard. False when nothing or
// not everything was written (said in a message).
bool ScriviImmagine(Context& c, const ImmagineMemoria& img);
struct ByteDiverso {
  int indirizzo = 0;
  int atteso = 0;
  int trovato = 0;
};
// The addresses where the device differs from img; nullopt when the read
// failed.
std::optional<std::vector<ByteDiverso>> VerificaImmagine(Context& c, const ImmagineMemoria& img);

// Buttons. The register buttons return false when they were refused or
// failed (said in a message).
void Command3_Click(Context& c);  // read the device into List1
void Command2_Click(Context& c);  // load List1 from a file
void Command6_Click(Context& c);  // save List1 to a file
void Command5_Click(Context& c);  // write List1 to the device
void Command7_Click(Context& c);  // verify the device against List1
bool Command1_Click(Context& c);  // read the register
bool Command4_Click(Context& c);  // write the register
void Option2_Click(Context& c, int index);
void Option1_Click(Context& c, int index);
// The factory menu, hidden at start-up, shown on request (korventa
// --factory): the memory editor's item enabled, the calibration and bench
// test items disabled while their windows do not exist.
void MostraMenuCollaudo(Context& c);
// Collaudo > EEprom: shows the editor.
void mnu_Collaudo_EEprom_Click(Context& c);

}  // namespace korventa
