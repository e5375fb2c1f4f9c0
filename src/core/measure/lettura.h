// One streamed reading worked out for display: the raw "A" frame bytes and
// what the start sequence prepared for each channel go in, the texts, bar
// and lamps of the measurement window come out. No state, no device: the
// loop applies the result to the window, the recorder and the command line
// take the numbers from it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace korventa {

// Colours of the measurement window, as the models keep them (0x00BBGGRR;
// red and green are the main window's kColoreRosso and kColoreVerde).
inline constexpr int kColoreGiallo = 0x00FFFF;  // 255,255,0: trip pending
inline constexpr int kColoreGrigio = 0x808080;  // 128,128,128: mark off, lamp without a reading

// What a reading needs to know about one channel. The start sequence fills
// it from the switches, the tables and the configuration memory.
struct CanalePreparato {
  int TipoIn = 0;   // input type code
  int TipoOut = 0;  // output type code
  int DecIn = 0;    // decimals of the input value
  double InMin = 0, InMax = 0;    // input start and end, engineering units
  double OutMin = 0, OutMax = 0;  // output start and end, mA or V
  // Output calibration: the outputs the device drives at the raw counts 800
  // and 3500 (the other way round on the trip, frequency and 4-wire
  // models).
  double CalOut0 = 0, CalOut1 = 0;
  int Funzione = 0;  // 0 linear, 1 tank, 2 square root
  // Shown in Fahrenheit: the channel is set to Fahrenheit and its input is
  // a temperature.
  bool Fahrenheit = false;
  std::string UMis;         // unit of the input type
  std::string UMisF;        // its Fahrenheit unit
  std::string UnitaUscita;  // unit of the output type ("mA", "V")
};

struct MisuraPreparata {
  int CodProdotto = 12;
  int CodVariante = 0;
  int Dip0 = 0;  // first switch bank: selects the extra decimal of the mV inputs
  std::array<CanalePreparato, 2> Canali{};
};

struct LetturaCanale {
  double Grezzo = 0;  // the channel's output in raw counts, as the frame carries it
  // Output in mA or V; nullopt when the calibration constants give no
  // number (the output field then keeps what it showed).
  std::optional<double> Uscita;
  std::string NumeroUscita;  // "12.000"
  std::string UnitaUscita;   // "mA"
  std::string TestoUscita;   // txt_misura_out: "12.000 mA"
  // Input in engineering units, before any Fahrenheit conversion; nullopt
  // when it cannot be worked out (a zero-width range): the input field and
  // the bar keep what they showed.
  std::optional<double> Ingresso;
  std::string Numero;         // the number the input field shows
  std::string Unita;          // the unit it shows after the number (may be empty)
  std::string UnitaTecnica;   // the unit of Numero, never empty where the type has one
  std::string TestoIngresso;  // txt_misura_in: Numero + " " + Unita
  int Decimali = 0;           // decimals the input value was shown with
  // Bar: share of the full width, nullopt to leave it as it is.
  std::optional<double> Quota;
  int ColoreSotto = kColoreGrigio;  // lbl_Break_L
  int ColoreSopra = kColoreGrigio;  // lbl_Break_H
};

struct Lettura {
  std::array<double, 4> Valori{};  // the four values of the frame
  std::uint8_t Stato = 0;          // the status byte
  std::array<LetturaCanale, 2> Canali{};
  std::array<int, 3> Led{};  // trip A, trip B, alarm
};

// The format mask of a channel's input value (decimals d, the value x for
// the frequency converter's mask by size).
std::string MascheraIngresso(const MisuraPreparata& p, int canale, int decimali, double x);

// m: the frame as ReadMeasure returns it (m[0] the cancel flag, m[1..14] the
// bytes after the leading "A").
Lettura DecodificaLettura(const std::array<std::uint8_t, 15>& m, const MisuraPreparata& p);

}  // namespace korventa
