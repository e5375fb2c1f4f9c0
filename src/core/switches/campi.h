// The switch-field table: which bits of the three DIP banks hold the input,
// span, zero, output, option and divider of each converter family, and the
// adjustments the device makes to the input code it reads there. Reading the
// banks (measurement start, switch window, simulator) and composing them
// (switch window, CLI) go through this one table.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

namespace korventa::sw {

using Banchi = std::array<std::uint8_t, 3>;  // Dip0, Dip1, Dip2; bit i = switch i + 1

// A bit field of one bank; maschera 0 means the family has no such field.
struct Campo {
  std::uint8_t banco = 0;
  std::uint8_t maschera = 0;
  bool Presente() const { return maschera != 0; }
};

int Leggi(const Banchi& b, Campo c);
void Scrivi(Banchi& b, Campo c, int valore);

enum class Regola { Dip7100, Dip7120, Dip7120c, Dip7300, Dip7150, Dip11, Nessuna };

struct CampiFamiglia {
  Regola regola = Regola::Nessuna;
  // Input field per channel; channel B has one of its own only on the
  // two-channel models, whose field is a list position, not a type code.
  std::array<Campo, 2> ingresso{};
  Campo ingressoAlto{};  // set: the input code is the field + 16
  Campo span{};          // span list position as the switch window reads and composes it
  Campo spanMisura{};    // span table index as the measurement start uses it
  Campo zero{};
  int zeroFisso = -1;    // zero list position when the family has no zero field
  std::array<Campo, 2> uscita{};
  std::array<Campo, 2> opzione{};
  Campo divisore{};
  // Bits of each bank the composition rule rewrites as a whole (fields not
  // named by the rule keep their bits otherwise).
  Banchi riscritti{};
  int banchiDisegnati = 2;  // 3 for the families with a third bank
  bool coppie = false;      // span and zero picked together as a (zero, span) pair
  // The 10 V table carries one decimal less than the type, and a field at 0
  // picks the stored word at the table's head, one decimal finer.
  bool scalaTabelle = false;
  // Fields that must all stand at 0 for the span (zero) to come from the
  // stored default; none: never. provaCanale: the channel's own input field.
  std::array<Campo, 2> provaSpan{};
  std::array<Campo, 2> provaZero{};
  bool provaCanale = false;
};

// The input and output fields of channel ch: channel B shares channel A's
// where the family has one input and one output setting.
Campo CampoIngresso(const CampiFamiglia& f, int ch);
Campo CampoUscita(const CampiFamiglia& f, int ch);

// The table row of a family (11 or 12) and variant; Regola::Nessuna for a
// model without switches.
const CampiFamiglia& Campi(int prodotto, int variante);

// What the banks select, per channel. -1 where the family has no field.
struct CanaleInterruttori {
  int ingresso = 0;  // raw field (list position on the two-channel models)
  int span = 0;
  int zero = 0;
  int uscita = -1;
  int opzione = -1;
};
struct Selezione {
  std::array<CanaleInterruttori, 2> canali{};
  int divisore = -1;  // divider list position of the frequency converter
};

Selezione Decodifica(const CampiFamiglia& f, const Banchi& b);
// Puts the choices into the banks: the bits the rule rewrites first go to 0,
// then every field of the family takes its value (a value of -1 leaves the
// field's switches as they are); other bits stay.
Banchi Componi(const CampiFamiglia& f, const Selezione& scelta, Banchi b);

// Input type code of channel ch as the measurement start reads it, before
// the device's own adjustments: 0 means "set up by memory". The frequency
// converter reports the whole second bank (any nonzero span means switches).
// The start reads every device with the family 12 fields of its variant.
int CodiceGrezzo(int variante, const Banchi& b, int ch);

// The catalogue code the device works with for a raw switch code: variants 3
// and 6 add 15, variant 6 keeps "Res300K" (32) where the sum is 18, the
// frequency converter always reads "Freq" (33) and the two-channel models
// read "10 V" (4) when bit 3 of the channel's bank is set, else "20 mA" (5).
int CodiceDispositivo(int prodotto, int variante, int grezzo, int bancoCanale);
// The reverse for composing: the type code a switch field holds for a
// catalogue code (32 goes back to 18 on variant 6, then less 15 on 3 and 6).
int CodiceVersoCampo(int prodotto, int variante, int codice);

// Whether the span and the zero of channel ch come from the two stored
// defaults: the selecting switches stand at 0.
struct Predefiniti {
  bool span = false;
  bool zero = false;
};
Predefiniti ValoriPredefiniti(int variante, const Banchi& b, int ch);

// Indexes into the sample reply T (stored span, span table, stored zero,
// zero table) of the span and zero the banks select; nullopt where the
// family has no table range.
struct IndiciTabella {
  int span = 0;
  int zero = 0;
  int campoSpan = 0;  // the switch field behind each index (0 = stored word)
  int campoZero = 0;
};
std::optional<IndiciTabella> IndiciCampioni(int variante, const Banchi& b, int ch);

// Address of the stored default span (zero: + 2) of a device input code.
inline constexpr int kBasePredefiniti = 128;
inline int IndirizzoPredefinito(int codiceDispositivo) { return 4 * codiceDispositivo + kBasePredefiniti; }

}  // namespace korventa::sw
