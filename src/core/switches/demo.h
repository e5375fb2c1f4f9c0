// The switch wizard's built-in tables: the input names with their limits
// (IngressiDemo), the eight span/zero tables that stand in for a device's
// (TabelleDemo), the wizard's model list and the ranges of the two-channel
// D models. Built once at start-up; the simulated converter answers its
// "$S" tables from the same data, so the wizard and a device agree.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korventa::sw {

struct IngressoDemo {
  std::string Nome;
  std::string Max, Min, SpanMin;  // texts with their unit
};
inline constexpr int kNumIngressiDemo = 33;
using TabellaIngressiDemo = std::array<IngressoDemo, kNumIngressiDemo>;

struct TabellaDemo {
  std::vector<double> zero;  // list positions 1 to 15
  std::vector<double> span;  // list positions 1 to 63
};
inline constexpr int kNumTabelleDemo = 8;
using TabelleDemoArray = std::array<TabellaDemo, kNumTabelleDemo>;

// A range of the two-channel D models, by input list position (pair index):
// 1 to 7 are current ranges, 8 to 15 voltage ranges (switch 4 on).
struct RangeCoppia {
  std::string Nome;  // "4-20 mA"
  double Min = 0, Max = 0;
  std::string Unita;
  double SpanMin = 0;
};
inline constexpr int kNumRangeCoppia = 16;
using TabellaRangeCoppia = std::array<RangeCoppia, kNumRangeCoppia>;

struct DatiDemo {
  TabellaIngressiDemo IngressiDemo;
  TabelleDemoArray TabelleDemo;
  TabellaRangeCoppia RangeCoppie;
};
DatiDemo CostruisciDatiDemo();

// The wizard's model list: sixteen models with the switch rule each uses.
struct ModelloWizard {
  std::string_view Nome;         // "7120 D"
  std::string_view Codice;       // catalogue model code, "PLV7120D"
  std::string_view ModelloDemo;  // switch rule, "PLV7120D"
  int Variante;                  // variant whose fields the rule uses
};
inline constexpr int kNumModelliWizard = 16;
const std::array<ModelloWizard, kNumModelliWizard>& ModelliWizard();
// Position in the list of a name ("7120 D", with or without a brand prefix
// such as "PLV ") or a model code ("PLV7120D"); nullopt when unknown.
std::optional<int> TrovaModelloWizard(std::string_view nome);
// Variant code of a switch rule; -1 for an empty or unknown rule.
int VarianteDemo(std::string_view modelloDemo);

// The table that stands for list position p of the wizard's model;
// nullopt: no table (the lists show placeholders).
std::optional<int> TabellaPer(std::string_view modelloDemo, int p);

// The device's table for an input: the wizard's table of the family the
// variant belongs to, at the list position the device code has there
// (the simulator answers "$S" from it). nullopt where the wizard has none.
std::optional<int> TabellaDispositivo(int variante, int codiceDispositivo);

// Decimals of the words of a device table for an input code (the listing
// decimals of the switch window).
int DecimaliTabella(int variante, int codice, int decimaliTipo);

}  // namespace korventa::sw
