// Writing the configuration on screen into the connected converter.
//
// WriteEprom re-identifies the device, checks every value of the programming
// window against the type catalogue (warnings the user may override with OK;
// Cancel writes nothing), encodes the values with the family-12 memory map
// into (address, byte) pairs in ProgramState::BufIndirizzi/BufDati and sends
// them all with one WriteBytes. Nothing reaches the device before the last
// question has been answered, so every refusal leaves it untouched.
#pragma once

#include <string>
#include <vector>

#include "app/context.h"

namespace korventa {

enum class WriteResult {
  Written,      // every pair was sent
  Cancelled,    // the user answered Cancel to a limit warning; nothing sent
  Refused,      // exchanged or unsupported device, a wrong configuration or
                // a value the device cannot hold; nothing sent
  CommFailure,  // identification, the read of a preserved bit or program
                // mode failed; nothing sent
  Held,         // the guard before the write stopped it (a backup that
                // failed, a summary answered Cancel) and said why; nothing sent
  Interrupted,  // the write itself failed half-way (said in a message): the
                // device may hold part of the new configuration, writing
                // again completes it
};

// The programming window's write command. The desktop program ignores the
// result (every outcome has already been shown to the user); the command
// line turns it into an exit code.
WriteResult WriteEprom(Context& c);

// The read-back after a write: every address the last WriteEprom sent is
// read again and compared with the last byte sent there (bit 6 of the output
// bytes is left out where the device owns it).
struct Rilettura {
  bool Letta = false;                  // the read-back itself succeeded
  std::size_t Indirizzi = 0;           // addresses compared
  std::vector<std::string> Differenze; // "address 20: written 224, read 46"
  bool Ok() const { return Letta && Differenze.empty(); }
};
Rilettura VerificaScrittura(Context& c);
// "verified: 21 addresses", or why not (the differences one per line).
std::string TestoVerifica(const ProgramState& s, const Rilettura& v);
// The message of a write that may have left part of the new configuration
// on the device.
std::string TestoScritturaParziale(const ProgramState& s);

// Decimals of a frequency range on the PLV7300 (variant 7), chosen from its
// maximum so that the stored unsigned word keeps as many digits as fit: one
// more decimal for each of 6500, 650, 65, 6.5 and 0.65 that the maximum does
// not exceed. The output byte has two bits for the count, so a maximum of
// 6.5 Hz or less gets 3 decimals (a word of at most 6500), never 4 or 5.
int DecimaliFrequenza(double massimo);

}  // namespace korventa
