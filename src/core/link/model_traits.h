// What each variant of the converter family has, as one table: one row per
// variant code. Business code asks a model's traits by name
// (`TraitsOf(s).trips`, `ProgramOwnsBit6(s)`) instead of comparing the
// variant code with numbers. The twenty models of the catalogue (models.h)
// map onto these rows by their variant.
#pragma once

#include <array>
#include <cstddef>
#include <optional>

namespace korventa {

// What writing puts into bits 2 to 7 of a channel's output byte.
enum class OutputBits {
  None,       // nothing beyond the output code (unknown variants)
  Frequency,  // decimals of the frequency range, trip mode
  Full,       // wiring, compensation, high speed, trip mode
  Wiring,     // wiring and compensation only
};

struct VariantTraits {
  int variant;
  const char* family;  // the model (or the models, told apart by memory byte 4)

  // Identification and the main window.
  bool hasLines;     // identification reads memory byte 4, whose bits 6-5 name the model line
  int fixedModel;    // catalogue index of the model when the line does not decide it; -1 when it does
  bool hasSwitches;  // the switch window has something to show
  bool switchDoubler;  // switch bank 1's low bits set the doubler

  // Inputs.
  bool inputFromChannelA;  // one input: channel B's input settings are channel A's
  bool inputByteTwice;     // the input byte goes to address 1 as well
  bool wiringFromChannelA; // writing copies channel A's wiring and compensation to B
  bool frequencyInput;     // "Freq" input: sensor byte, unsigned words, decimals from the output byte
  bool res300KAs18;        // "Res300K" is stored as code 18 with one decimal more
  bool algebraic;          // two inputs combined by an operator, physical values at 128..153
  bool tcPairRule;         // channel B's internally compensated thermocouple needs one on channel A too
  std::optional<double> tenVoltMin;  // minimum of the "10 V" input on this model; nullopt: left as it is
  bool offersEveryGroup;   // every input group of the catalogue is offered
  std::optional<int> inputGroupAs;  // offers the inputs of that variant's group instead of its own
  bool noThermistors;      // KTY, NTC and the other thermistor codes 24..33 are not offered
  bool noVoltCurrent;      // the "10 V" and "20 mA" inputs are not offered
  bool noCodesFrom28;      // input codes from 28 up are not offered
  std::optional<int> onlyOutput;  // the one output type the model has
  bool extendedLists;      // the long input list and the extended output list

  // Outputs and options.
  bool alwaysBurnOut;      // the burn-out frame shows whatever the input
  bool noTank;             // no "Tank" transfer function
  bool functionsOnMillivolt;  // the transfer functions are offered for mV inputs
  bool functionsOnVoltCurrent;  // ... and for the "10 V" and "20 mA" inputs
  OutputBits outputBits;
  bool programOwnsBit6;    // writing builds bit 6 of the output byte; elsewhere it is the device's own
  bool doublerShowsB;      // ticking the doubler shows channel B's output and options
  int responseDelaySteps;  // response delay word at 28, in steps of 0.058 s times this; 0: none
  int responseDelayFirmware;  // lowest firmware version with the response delay

  // Trips.
  int trips;               // trips in memory: 0, 1 (trip A) or 2 (trips A and B)
  int tripBase;            // address of trip A's thresholds; trip B's are 6 further
  double tripDelayPerSecond;  // steps of the trip delay byte per second
  bool tripsInFahrenheit;  // thresholds follow channel A's °F choice on screen
  bool scaledVoltCurrent;  // "10 V" and "20 mA" thresholds are stored like the range (x 10^decimals)
                           // and measured inputs come in thousandths
  bool namurAlarm;         // a third lamp for the NAMUR sensor fault
  bool tripSummary;        // the measurement window lists the trips' settings
  bool functionsInMemory;  // a memory-set channel's transfer function is taken from its options byte

  // Measurement.
  int measureTemplate;     // length of the "A" frame template
  int measureLast;         // last byte of the frame taken
  bool statusAtEnd;        // the status byte is the frame's last (m(14)), else m(5)
  bool calibrationReversed;  // the constants are stored output at 3500 counts first
  int samples1, samples2;  // span/zero table lengths read by "$S"; 0: left as they are
  bool longSwitchReply;    // "$D" answers with the long reply
  bool longSwitchReplyNeedsFamily12;  // ... on family 12 only
  bool imageAfterSwitches;  // a channel set on the switches is followed by a read of the first 42 bytes
  bool showsSecondInput;   // the measurement window shows channel B's programmed input
  bool mvTableExtraDecimal;  // mV inputs with a switch-table zero show one decimal more
  bool measureMvTableTenths;        // the mV span/zero tables hold tenths, the 10 V table one decimal less
  bool mvSwitchOneDecimal;   // mV inputs set on the switches take one decimal
  bool switchMvTableTenths;       // the switch window lists the mV tables in tenths
  bool switchTenVoltTableHundredths;  // ... and the 10 V table in hundredths

  // Switches.
  int switchCodeOffset;          // added to the input code read on the switches
  bool switchInputVoltOrCurrent;  // the input switch picks 10 V (bit 3 set) or 20 mA
  bool switchWires24;            // the wiring option reads "2/4w" (else "2w")
  bool switchTestThirdBank;      // the production test checks the third bank (4 switches) too
};

inline constexpr int kVariantCount = 10;

namespace traits_table {
// Starting point of every row: a model with nothing optional.
constexpr VariantTraits Plain(int variant, const char* family) {
  VariantTraits t{};
  t.variant = variant;
  t.family = family;
  t.fixedModel = -1;
  t.hasSwitches = true;
  t.outputBits = OutputBits::None;
  t.responseDelayFirmware = 0;
  t.tripDelayPerSecond = 1;
  t.measureTemplate = 9;
  t.measureLast = 7;
  t.showsSecondInput = true;
  t.mvTableExtraDecimal = true;
  t.tripSummary = true;
  t.mvSwitchOneDecimal = true;
  return t;
}

// The PLV7100 (variant 0; variant 1 is its other firmware line), the
// PLV7150 and the PLV3100: one input, a response delay word, the long frame.
constexpr VariantTraits SingleInput(int variant, const char* family) {
  VariantTraits t = Plain(variant, family);
  t.inputFromChannelA = true;
  t.inputByteTwice = true;
  t.wiringFromChannelA = true;
  t.programOwnsBit6 = true;
  t.outputBits = OutputBits::Full;
  t.offersEveryGroup = true;
  t.responseDelaySteps = 2;
  t.measureTemplate = 16;
  t.measureLast = 13;
  t.calibrationReversed = true;
  t.samples1 = 63;
  t.samples2 = 15;
  t.longSwitchReply = true;
  t.imageAfterSwitches = true;
  t.switchWires24 = true;
  t.switchMvTableTenths = true;
  t.switchTenVoltTableHundredths = true;
  t.mvSwitchOneDecimal = false;
  return t;
}

// The four lines of variants 2 to 6, told apart by memory byte 4.
constexpr VariantTraits Lines(int variant, const char* family) {
  VariantTraits t = Plain(variant, family);
  t.hasLines = true;
  t.tenVoltMin = 0.0;
  t.outputBits = OutputBits::Wiring;
  t.samples1 = 63;
  t.samples2 = 15;
  t.switchMvTableTenths = true;
  return t;
}

constexpr std::array<VariantTraits, kVariantCount> BuildTable() {
  VariantTraits v0 = SingleInput(0, "PLV7100");
  v0.fixedModel = 0;
  v0.tenVoltMin = -10.0;
  v0.noThermistors = true;
  v0.doublerShowsB = true;
  v0.alwaysBurnOut = true;
  v0.functionsInMemory = true;
  v0.noTank = true;
  v0.functionsOnMillivolt = true;
  v0.functionsOnVoltCurrent = true;
  v0.responseDelaySteps = 1;
  v0.responseDelayFirmware = 4;
  v0.trips = 1;
  v0.tripBase = 10;
  v0.tripDelayPerSecond = 7.5;
  v0.tripsInFahrenheit = true;
  v0.scaledVoltCurrent = true;
  v0.measureLast = 14;
  v0.statusAtEnd = true;
  v0.longSwitchReplyNeedsFamily12 = true;
  v0.mvTableExtraDecimal = false;
  v0.measureMvTableTenths = true;
  v0.switchTestThirdBank = true;

  // Variant 1: the PLV7100 of the other firmware line. Its output byte is
  // built as the PLV7100's, but bit 6 is still the device's own.
  VariantTraits v1 = Plain(1, "PLV7100");
  v1.fixedModel = 0;
  v1.outputBits = OutputBits::Full;
  v1.samples1 = 63;
  v1.samples2 = 15;
  v1.switchMvTableTenths = true;
  v1.switchTenVoltTableHundredths = true;

  VariantTraits v2 = Lines(2, "PLV7110A PLV7120A PLV7210A PLV7220A");
  v2.tcPairRule = true;
  VariantTraits v3 = Lines(3, "PLV7110B PLV7120B PLV7210B PLV7220B");
  v3.switchCodeOffset = 15;
  VariantTraits v4 = Lines(4, "PLV7110D PLV7120D PLV7210D PLV7220D");
  v4.extendedLists = true;
  v4.switchDoubler = true;
  v4.alwaysBurnOut = true;
  v4.functionsInMemory = true;
  v4.samples1 = 16;
  v4.samples2 = 16;
  v4.switchInputVoltOrCurrent = true;
  v4.mvSwitchOneDecimal = false;
  // Variant 5: the two-input PLV7220D (the line byte is read but not used).
  VariantTraits v5 = Lines(5, "PLV7220D");
  v5.fixedModel = 16;
  v5.algebraic = true;
  v5.alwaysBurnOut = true;
  v5.functionsInMemory = true;
  v5.functionsOnVoltCurrent = true;
  v5.inputGroupAs = 4;
  v5.extendedLists = true;
  v5.samples1 = 16;
  v5.samples2 = 16;
  v5.measureTemplate = 15;
  v5.measureLast = 13;
  v5.switchInputVoltOrCurrent = true;
  v5.mvSwitchOneDecimal = false;
  VariantTraits v6 = Lines(6, "PLV7110C PLV7120C PLV7210C PLV7220C");
  v6.res300KAs18 = true;
  v6.switchCodeOffset = 15;
  v6.noCodesFrom28 = true;

  VariantTraits v7 = Plain(7, "PLV7300");
  v7.fixedModel = 17;
  v7.inputFromChannelA = true;
  v7.frequencyInput = true;
  v7.programOwnsBit6 = true;
  v7.outputBits = OutputBits::Frequency;
  v7.trips = 2;
  v7.tripBase = 28;
  v7.namurAlarm = true;
  v7.measureTemplate = 16;
  v7.measureLast = 14;
  v7.statusAtEnd = true;
  v7.calibrationReversed = true;
  v7.samples1 = 63;
  v7.samples2 = 1;
  v7.longSwitchReply = true;
  v7.imageAfterSwitches = true;
  v7.mvSwitchOneDecimal = false;

  VariantTraits v8 = SingleInput(8, "PLV7150");
  v8.fixedModel = 18;
  v8.tenVoltMin = -10.0;
  v8.noThermistors = true;
  v8.onlyOutput = 1;
  v8.showsSecondInput = false;
  v8.tripSummary = false;
  v8.measureMvTableTenths = true;
  VariantTraits v9 = SingleInput(9, "PLV3100");
  v9.fixedModel = 19;
  v9.noThermistors = true;
  v9.noVoltCurrent = true;
  v9.onlyOutput = 2;
  v9.hasSwitches = false;
  v9.showsSecondInput = false;
  v9.tripSummary = false;
  v9.mvSwitchOneDecimal = true;
  return {v0, v1, v2, v3, v4, v5, v6, v7, v8, v9};
}

}  // namespace traits_table

// The table, one row per variant code.
inline constexpr std::array<VariantTraits, kVariantCount> kVariantTable = traits_table::BuildTable();
// Each row sits at its own variant code.
consteval bool RowsInOrder() {
  for (int i = 0; i < kVariantCount; ++i)
    if (kVariantTable[static_cast<std::size_t>(i)].variant != i) return false;
  return true;
}
static_assert(RowsInOrder());
// An unknown variant: nothing optional, and the switch tables left as
// they are.
inline constexpr VariantTraits kUnknownVariant = traits_table::Plain(-1, "");

// Whether the table has a row for the variant code.
constexpr bool KnownVariant(int variant) { return variant >= 0 && variant < kVariantCount; }

// The row of a variant; a variant outside the table gets a row that has
// nothing (no trips, no options written, frame of the short kind).
constexpr const VariantTraits& TraitsOf(int variant) {
  if (!KnownVariant(variant)) return kUnknownVariant;
  return kVariantTable[static_cast<std::size_t>(variant)];
}
template <class State>
  requires requires(const State& s) { s.CodVariante; }
constexpr const VariantTraits& TraitsOf(const State& s) {
  return TraitsOf(static_cast<int>(s.CodVariante));
}

// Writing sets bit 6 of the output byte from the trip mode buttons.
constexpr bool WritesTripMode(const VariantTraits& t) {
  return t.outputBits == OutputBits::Full || t.outputBits == OutputBits::Frequency;
}

// Rules that also depend on the product family or the firmware.
inline constexpr int kFamily = 12;
inline constexpr int kOlderFamily = 11;  // accepted by writing and by the measurement frame rules
template <class State>
bool Family12(const State& s) {
  return s.CodProdotto == kFamily;
}
// Writing accepts the older family too, and encodes it with this family's
// memory map; reading and measuring take family 12 only.
template <class State>
bool FamilyWritable(const State& s) {
  return s.CodProdotto == kFamily || s.CodProdotto == kOlderFamily;
}
// Writing builds bit 6 of the output byte itself (the trip mode); on other
// models the bit is the device's, read back and preserved.
template <class State>
bool ProgramOwnsBit6(const State& s) {
  return Family12(s) && TraitsOf(s).programOwnsBit6;
}
// "$D" answers with the long reply (four switch bytes).
constexpr bool LongSwitchReply(int product, int variant) {
  const VariantTraits& t = TraitsOf(variant);
  return t.longSwitchReply && (!t.longSwitchReplyNeedsFamily12 || product == kFamily);
}
// The response delay word at 28 exists (and its step factor when it does).
template <class State>
int ResponseDelaySteps(const State& s) {
  const VariantTraits& t = TraitsOf(s);
  return Family12(s) && t.responseDelaySteps > 0 && s.VerSw >= t.responseDelayFirmware ? t.responseDelaySteps : 0;
}
// The two-input model's operators and physical values.
template <class State>
bool Algebraic(const State& s) {
  return Family12(s) && TraitsOf(s).algebraic;
}
}  // namespace korventa
