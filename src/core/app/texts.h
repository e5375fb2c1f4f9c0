// The string table: language texts (Italian id, English id + 300), the
// brand profiles (1000 + 100 * brand + offset) and the model display names.
#pragma once

#include <string>

#include "app/state.h"

namespace korventa {

// English texts are stored at the Italian id + 300 (the value of string 1).
inline constexpr int kOffsetInglese = 300;
// Brand profiles 0..3.
inline constexpr int kNumMarchi = 4;
// Offsets inside a brand's block of strings.
inline constexpr int kOffsetDitta = 0;           // company
inline constexpr int kOffsetWeb = 1;             // web address
inline constexpr int kOffsetManualeIta = 2;      // Italian manual file
inline constexpr int kOffsetManualeEng = 3;      // English manual file
inline constexpr int kOffsetTitolo = 4;          // application title
inline constexpr int kOffsetModelli = 10;        // display names, +10 + catalogue index

// Texts of the desktop program's own captions, tool tips and messages,
// Italian ids (the English twin at + 300).
inline constexpr int kTxtNessunDispositivo = 200;   // main window before a read succeeds
inline constexpr int kTxtDispositivoPerso = 201;    // the port vanished while measuring
inline constexpr int kTxtModificheNonSalvate = 202; // before Open or Exit throws edits away
inline constexpr int kTxtConfermaScrittura = 203;   // Write from the menu or F6
inline constexpr int kTxtMenuVisualizza = 204;
inline constexpr int kTxtMenuAzioni = 205;
inline constexpr int kTxtRegistra = 208;
inline constexpr int kTxtFermaRegistrazione = 209;
inline constexpr int kTxtPausaTrend = 210;
inline constexpr int kTxtAltaVelocita = 211;
inline constexpr int kTxtRitardo = 212;
inline constexpr int kTxtGiuntoFreddo = 213;
inline constexpr int kTxtRotturaSensore = 214;
inline constexpr int kTxtFuoriScala = 215;
inline constexpr int kTxtSuggerimentoLeggi = 216;
inline constexpr int kTxtSuggerimentoScrivi = 217;
inline constexpr int kTxtSuggerimentoStart = 218;
inline constexpr int kTxtSuggerimentoLingua = 219;
inline constexpr int kTxtTipoSensore = 220;
inline constexpr int kTxtFiltro50Hz = 221;
inline constexpr int kTxtOperatore = 222;
inline constexpr int kTxtRecordNonScritto = 223;
inline constexpr int kTxtInizioScala = 224;
inline constexpr int kTxtFineScala = 225;
inline constexpr int kTxtSottoScala = 226;
inline constexpr int kTxtSopraScala = 227;

// The text stored under id; empty when the table has no entry for it.
std::string LoadResString(int id);
// Whether the table has an entry under id.
bool HasResString(int id);

// Id of a brand string: 1000 + 100 * marchio + offset.
int IdMarchio(int marchio, int offset);

// The language offset for s.Lingua: value of string 1 times Lingua (what the
// text set-up stores in OffLingua).
int CalcolaOffLingua(const ProgramState& s);

// Language text: string (Italian id + OffLingua).
std::string Testo(const ProgramState& s, int italianId);
// Brand text: string 1000 + 100 * Marchio + offset.
std::string TestoMarchio(const ProgramState& s, int offset);
// The brand's application title, the caption of every message box.
std::string TitoloApplicazione(const ProgramState& s);
// Display name of catalogue model `index` (0..19) for the current brand; the
// model code ("PLV7300") when the brand has no name for it (brand 3 sells
// only models 0 to 12). Empty for an index outside the catalogue.
std::string NomeModello(const ProgramState& s, int index);

}  // namespace korventa
