// The start sequence of live measurement, step by step (measure/ only; the
// window's handlers in frm_misura.h are the way in).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "measure/lettura.h"

namespace korventa {

struct Context;
struct ProgramState;

namespace misura {

// The first 42 bytes of configuration memory as this start read them; the
// trip settings are taken from here.
using Immagine42 = std::optional<std::vector<std::uint8_t>>;
inline constexpr int kByteImmagine = 42;

// Channel 0's input type code (and, on the frequency converter, its output
// type code) from the switch bytes s.Dip0 .. s.Dip2.
void CodiciDaInterruttori(ProgramState& s);

// Channel preparation: range, decimals, output and function of channel ch,
// from the switches and the tables or from configuration memory. A failed
// read ends the channel's preparation where it is.
void PreparaCanale(Context& c, int ch, Immagine42& immagine);

// Trip settings of the trip models from the memory image.
void SoglieDaMemoria(ProgramState& s, const std::vector<std::uint8_t>& immagine);

// Summary labels and trip fields of the window.
void EtichetteRiepilogo(Context& c);
void CampiSoglie(Context& c);

// What the readings are worked out with, from the channel records.
MisuraPreparata Preparazione(const ProgramState& s);

}  // namespace misura
}  // namespace korventa
