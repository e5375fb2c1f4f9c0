// The type catalogue: every input type a converter can be set to, the
// frequency sensors, the output types and the over-range tolerance steps.
//
// The index of an input entry is the input type code the device stores in
// its configuration memory and the files store on disk, so the tables must
// never be reordered. The tables live in ProgramState (TipiIngresso,
// TipiFrequenza, TipiUscita, TipiUscitaEstesa, Tolleranze); they are fixed
// after CaricaTabelle except the minimum of "10 V", which follows the
// connected variant.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace korventa {

struct ProgramState;

struct TipoIngresso {
  std::string Nome;           // display name; empty = not set up, never listed
  std::uint8_t Decimali = 0;  // stored range words are value * 10^Decimali
  std::string UMis;           // unit in Celsius mode
  std::string UMisF;          // unit in Fahrenheit mode (differs for temperatures only)
  double Min = 0;             // admissible range, in UMis
  double Max = 0;
  double SpanMin = 0;         // smallest admissible Max - Min of a range
  // Decimal text of the variant that offers the type: "0" every variant,
  // "100" and "255" none through this field (see IngressoAmmesso).
  std::string Gruppo;
};

struct TipoFrequenza {
  std::string Nome;
  std::uint8_t LivelloTrig = 0;  // trigger level proposed when the sensor is chosen
  std::string UMisTrig;          // its unit
};

struct TipoUscita {
  std::string Nome;
  std::string UMis;
  double Min = 0;
  double Max = 0;
  double SpanMin = 0;
};

// The six outputs of the two-output models (variants 4 and 5), also used by
// the measurement window for their units and ranges.
struct TipoUscitaEstesa {
  std::string Nome;
  std::string UMis;
  double Min = 0;
  double Max = 0;
  double SpanMin = 0;  // no minimum span is defined for these outputs: 0
  double Riserva = 0;  // sixth field, 0 in every entry
};

struct Tolleranza {
  std::string Nome;    // "±2.5%"
  double Valore = 0;   // percent
};

inline constexpr int kNumTipiIngresso = 52;
inline constexpr int kNumTipiFrequenza = 11;
inline constexpr int kNumTipiUscita = 4;
inline constexpr int kNumTipiUscitaEstesa = 16;
inline constexpr int kNumTolleranze = 4;

// Input type codes with a meaning of their own in the program.
inline constexpr int kCodEeprom = 0;    // the device takes its set-up from memory
inline constexpr int kCod10V = 4;
inline constexpr int kCod20mA = 5;
inline constexpr int kCodRes300K = 32;  // variant 6 stores it as device code 18
inline constexpr int kCodFreq = 33;     // every input of variant 7

using TabellaTipiIngresso = std::array<TipoIngresso, kNumTipiIngresso>;
using TabellaTipiFrequenza = std::array<TipoFrequenza, kNumTipiFrequenza>;
using TabellaTipiUscita = std::array<TipoUscita, kNumTipiUscita>;
using TabellaTipiUscitaEstesa = std::array<TipoUscitaEstesa, kNumTipiUscitaEstesa>;
using TabellaTolleranze = std::array<Tolleranza, kNumTolleranze>;

// The fixed tables. The "10 V" minimum is -10 V on variants 0 and 8 (bipolar
// input) and 0 V on the others.
TabellaTipiIngresso CostruisciTipiIngresso(int codVariante);
TabellaTipiFrequenza CostruisciTipiFrequenza();
TabellaTipiUscita CostruisciTipiUscita();
TabellaTipiUscitaEstesa CostruisciTipiUscitaEstesa();
TabellaTolleranze CostruisciTolleranze();

// Rebuilds every catalogue table in s (and the switch-model limit texts),
// the "10 V" minimum following s.CodVariante at this moment.
void CaricaTabelle(ProgramState& s);

// Reading and writing set the "10 V" minimum for the connected device: -10 on
// variants 0 and 8, 0 on variants 2 to 6; other variants keep the value.
void AggiornaMinimo10V(ProgramState& s);

// Whether input type `code` is offered on the identified model (CodProdotto,
// CodVariante). False for a code outside the table.
bool IngressoAmmesso(const ProgramState& s, int code);

// Code sets. Fahrenheit-convertible: range values are converted when the
// channel shows Fahrenheit (7-14, 18-21, 24-28). Plain: range values are shown
// as stored (1-6, 15-17, 22, 23, 33). Temperature: the catalogue gives the
// type in degrees ("°C"/"°F": 7-14, 18-21, 24-30). Only the convertible
// types follow a channel's °C/°F choice on screen, in units and limits: the
// thermistors 29 and 30 have no scale buttons and writing takes their boxes
// as Celsius, so they are always shown in Celsius.
bool IsFahrenheitConvertible(int code);
bool IsPlainCode(int code);
bool IsTemperatureCode(int code);

// The names the windows list for the identified model, in list order.
// Input types of the programming window's two input combos.
std::vector<std::string> ListaIngressi(const ProgramState& s);
// The switch window's input list as the list filling builds it; nullopt on
// family 12 variants 4 and 5, where the filling leaves that list alone (it is
// set by list position from the switch banks).
std::optional<std::vector<std::string>> ListaIngressiSwitch(const ProgramState& s);
// Frequency sensors (the non-empty TipiFrequenza names, "---" included).
std::vector<std::string> ListaFrequenze(const ProgramState& s);
// Output combos: every TipiUscita name; variant 8 only "4-20 mA", variant 9
// only "0-10 V".
std::vector<std::string> ListaUscite(const ProgramState& s);
// The extended output list: the non-empty TipiUscitaEstesa names on family 12
// variants 4 and 5, the single entry "---" elsewhere.
std::vector<std::string> ListaUsciteEstese(const ProgramState& s);
// Over-range combos: the four tolerance names.
std::vector<std::string> ListaTolleranze(const ProgramState& s);

struct ListeModello {
  std::vector<std::string> Ingressi;
  std::optional<std::vector<std::string>> IngressiSwitch;
  std::vector<std::string> Frequenze;
  std::vector<std::string> Uscite;
  std::vector<std::string> UsciteEstese;
  std::vector<std::string> Tolleranze;
};
// All lists at once; after filling, each list is set to its first entry.
ListeModello ListePerModello(const ProgramState& s);

// Device input code (byte AND 0x1F) -> catalogue code: variant 6 keeps
// "Res300K" under device code 18; on variant 7 every input is "Freq".
int CodiceDaDispositivo(const ProgramState& s, int deviceCode);
// Catalogue code -> device input code: "Res300K" goes back to 18 on
// variant 6 (variant 7 stores the frequency sensor instead of a code).
int CodiceVersoDispositivo(const ProgramState& s, int code);

}  // namespace korventa
