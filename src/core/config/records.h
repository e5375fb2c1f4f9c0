// The configuration as the program holds it while the user edits it.
#pragma once

#include <array>
#include <cstdint>

namespace korventa {

// One channel's configuration record.
struct DatiCanale {
  std::uint8_t TipoIn = 0;   // input type code (catalogue index)
  std::uint8_t TipoOut = 0;  // output type code 0..3
  std::uint8_t DecIn = 0;    // decimals of the stored input range
  double InMax = 0;
  double InMin = 0;
  double OutMax = 0;
  double OutMin = 0;
  double CalOut0 = 0;  // output calibration, read by the measurement window
  double CalOut1 = 0;
  std::uint8_t Funzione = 0;    // 0 linear, 1 tank, 2 square root
  std::uint8_t Operatore = 0;   // algebraic operator of the two-input model
  std::uint8_t Riservato = 0;   // the spare byte after the operator; kept in files
  double FisicoMax = 0;
  double FisicoMin = 0;
  double FisicoOutMax = 0;
  double FisicoOutMin = 0;
};

// One trip's thresholds.
struct DatiSoglia {
  std::int16_t SogliaMin = 0;  // -1: the trip acts on the minimum ("MIN"); 0: on the maximum
  double SogliaH = 0;
  double SogliaL = 0;
  std::int16_t SogliaRitardo = 0;  // seconds
};

}  // namespace korventa
