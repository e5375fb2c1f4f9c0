// Recording readings as CSV: one row per channel and reading, the same rows
// for the measurement window's Record button and for korventa-cli measure.
//
//   timestamp,channel,output,output_unit,input,input_unit,status
//   2024-05-01T09:30:12.250Z,A,12.000,mA,500.0,°C,0
//
// The numbers are the ones the window shows (the input in °F on a channel
// shown in Fahrenheit), with "." as decimal point whatever the locale. An
// input the window could not work out is an empty field. The status byte is
// a decimal number.
#pragma once

#include <array>
#include <chrono>
#include <fstream>
#include <string>
#include <vector>

#include "measure/lettura.h"

namespace korventa {

// UTC with milliseconds: "2024-05-01T09:30:12.250Z".
std::string TimbroIso(std::chrono::system_clock::time_point t);

std::string IntestazioneCsv();
// One row, without the line end. canale: 0 = "A", 1 = "B".
std::string RigaCsv(const std::string& timbro, int canale, const LetturaCanale& l, std::uint8_t stato);
// The rows of one reading for the channels asked for.
std::vector<std::string> RigheCsv(const std::string& timbro, const Lettura& l, std::array<bool, 2> canali);

// A CSV file being recorded. Every row is flushed as soon as it is written,
// so a crash of the program loses at most the row being written.
class RegistroCsv {
 public:
  // Creates (or empties) the file and writes the header. False with a
  // reason when the file cannot be written.
  // False with errore (in `lingua`, 0 Italian, 1 English) when the file cannot be written.
  bool Apri(const std::string& percorso, std::string& errore, int lingua = 1);
  bool Aperto() const { return file_.is_open(); }
  const std::string& Percorso() const { return percorso_; }
  // False once a write failed; the file is then closed.
  bool Scrivi(const std::vector<std::string>& righe);
  void Chiudi();
  long Righe() const { return righe_; }

 private:
  std::ofstream file_;
  std::string percorso_;
  long righe_ = 0;
};

}  // namespace korventa
