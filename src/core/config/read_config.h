// Reading the connected converter's configuration into the programming
// window: identify, set the window up for the model, read the configuration
// memory (addresses 0 to 64, and 128 to 153 on the two-input model) and
// decode it into the channel records and the window's controls.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "config/memory_map.h"
#include "app/context.h"

namespace korventa {

// ReadEprom's result. The window ignores it; the command-line front end
// turns it into its exit code.
enum EsitoLettura : int {
  kLetturaOk = 0,          // read and shown
  kLetturaAnnullata = 1,   // identification failed or cancelled: nothing read
  kLetturaRifiutata = 2,   // not a family-12 device (text 70 shown): nothing read
  kLetturaErrore = 3,      // a block read failed (text 71 shown)
};

// The memory blocks a read fetched, for callers that show or keep them.
struct MemoriaLetta {
  std::vector<std::uint8_t> blocco0;    // addresses 0 to 64
  std::vector<std::uint8_t> blocco128;  // addresses 128 to 153 (variant 5 only)
};

using memoria::kInizioBlocco128;
using memoria::kLunghezzaBlocco0;
using memoria::kLunghezzaBlocco128;

int ReadEprom(Context& c, MemoriaLetta* memoria = nullptr);

// The decoding of addresses 0 to 64 (block[i] = address i; a shorter block
// reads as zeros beyond its end) for the identified device in s: the
// channel records, trips and response delay, and every control they show,
// running the window's change handlers as setting those controls does on
// screen. Ends with CopiaValori. No device traffic.
void DecodificaConfigurazione(ProgramState& s, FrmProgram& f, FrmOper& oper, std::span<const std::uint8_t> block);

// The two-input model's second block (block[i] = address 128 + i): the
// physical values of both channels and the MAX/MIN delay of the operator
// window.
void DecodificaFisici(ProgramState& s, FrmProgram& f, FrmOper& oper, std::span<const std::uint8_t> block);

}  // namespace korventa
