// One streamed reading worked out for the measurement window: output from
// the calibration constants, input back through the ranges, masks, units,
// lamps, bar and marks, and the CSV rows made from it.
#include <gtest/gtest.h>

#include <optional>
#include <utility>

#include "app/main_window.h"
#include "measure/frm_misura.h"
#include "measure/lettura.h"
#include "measure/registro.h"
#include "sim/measure.h"

using namespace korventa;

namespace {

using Frame = std::array<std::uint8_t, 15>;

// An "A" frame as ReadMeasure returns it, with the four values and, when
// given, the status byte where the variant carries it (on most models that
// is the first byte of channel B's value).
Frame Make(std::array<double, 4> values, int variant, std::optional<std::uint8_t> status = std::nullopt) {
  Frame m{};
  for (std::size_t k = 0; k < 4; ++k) {
    const auto b = sim::EncodeMeasureFloat(values[k]);
    for (std::size_t i = 0; i < 3; ++i) m[2 + 3 * k + i] = b[i];
  }
  if (status) m[variant == 0 || variant == 7 ? 14 : 5] = *status;
  return m;
}

// A PLV7110A-like channel: Tc K 0..1000 °C on 4..20 mA, with the current
// stage calibrated at 4 and 20 mA.
MisuraPreparata Preparata(int variant) {
  MisuraPreparata p;
  p.CodVariante = variant;
  for (auto& k : p.Canali) {
    k.TipoIn = 8;
    k.DecIn = 1;
    k.InMin = 0;
    k.InMax = 1000;
    k.OutMin = 4;
    k.OutMax = 20;
    k.CalOut0 = 4;
    k.CalOut1 = 20;
    k.UMis = "°C";
    k.UMisF = "°F";
    k.UnitaUscita = "mA";
  }
  return p;
}

// The raw count that gives output o on a 4..20 mA stage calibrated at 4 and 20.
double Raw(double o) { return 800 + 2700 * (o - 4) / 16; }

}  // namespace

TEST(MeasureReading, CalibrationPointsInBothConstantOrders) {
  // Most models: CalOut0 at 800 counts, CalOut1 at 3500.
  MisuraPreparata p = Preparata(2);
  p.Canali[0].CalOut0 = 3.998;
  p.Canali[0].CalOut1 = 20.004;
  Lettura l = DecodificaLettura(Make({800, 3500, 0, 0}, 2), p);
  EXPECT_EQ(l.Canali[0].TestoUscita, "3.998 mA");
  l = DecodificaLettura(Make({3500, 0, 0, 0}, 2), p);
  EXPECT_EQ(l.Canali[0].TestoUscita, "20.004 mA");

  // The trip, frequency and 4-wire models keep them the other way round.
  for (int v : {0, 7, 8, 9}) {
    MisuraPreparata q = Preparata(v);
    q.Canali[0].CalOut0 = 20.004;
    q.Canali[0].CalOut1 = 3.998;
    l = DecodificaLettura(Make({800, 0, 0, 0}, v), q);
    EXPECT_EQ(l.Canali[0].TestoUscita, "3.998 mA") << "variant " << v;
    l = DecodificaLettura(Make({3500, 0, 0, 0}, v), q);
    EXPECT_EQ(l.Canali[0].TestoUscita, "20.004 mA") << "variant " << v;
  }
  // Family 11 has no such exception.
  MisuraPreparata f11 = Preparata(0);
  f11.CodProdotto = 11;
  l = DecodificaLettura(Make({800, 0, 0, 0}, 0), f11);
  EXPECT_EQ(l.Canali[0].TestoUscita, "4.000 mA");
}

TEST(MeasureReading, InputWorkedBackThroughTheRangesAndTheBar) {
  MisuraPreparata p = Preparata(2);
  // 12 mA is mid-range: 500 °C, half the bar. Without a rule that gives a
  // unit, nothing follows the space.
  Lettura l = DecodificaLettura(Make({Raw(12), Raw(12), 0, 0}, 2), p);
  EXPECT_EQ(l.Canali[0].TestoIngresso, "500.0 ");
  EXPECT_EQ(l.Canali[0].UnitaTecnica, "°C");
  EXPECT_NEAR(*l.Canali[0].Quota, 0.5, 1e-4);
  EXPECT_EQ(l.Canali[0].ColoreSotto, kColoreGrigio);

  // A reversed range (start above end) still draws between the smaller and
  // the larger end: 8 mA on 100..0 is 75, three quarters of the bar.
  p.Canali[0].InMin = 100;
  p.Canali[0].InMax = 0;
  l = DecodificaLettura(Make({Raw(8), 0, 0, 0}, 2), p);
  EXPECT_EQ(l.Canali[0].TestoIngresso, "75.0 ");
  EXPECT_NEAR(*l.Canali[0].Quota, 0.75, 1e-4);
  // Beyond the ends: 22 mA is below 0 here, 2 mA above 100.
  l = DecodificaLettura(Make({Raw(22), 0, 0, 0}, 2), p);
  EXPECT_EQ(*l.Canali[0].Quota, 0.0);
  EXPECT_EQ(l.Canali[0].ColoreSotto, kColoreRosso);
  EXPECT_EQ(l.Canali[0].ColoreSopra, kColoreGrigio);
  l = DecodificaLettura(Make({Raw(2), 0, 0, 0}, 2), p);
  EXPECT_EQ(*l.Canali[0].Quota, 1.0);
  EXPECT_EQ(l.Canali[0].ColoreSotto, kColoreGrigio);
  EXPECT_EQ(l.Canali[0].ColoreSopra, kColoreRosso);
}

TEST(MeasureReading, AFailedDisplayUpdateKeepsOnlyThatField) {
  FrmMisura f;
  MisuraPreparata p = Preparata(2);
  // (The status byte of this model is the first byte of channel B's value.)
  MostraLettura(f, DecodificaLettura(Make({Raw(12), Raw(12), 0, 0}, 2), p));
  ASSERT_EQ(f.txt_misura_in[0].Caption, "500.0 ");
  ASSERT_EQ(f.Led[0].FillColor, kColoreVerde);
  // A zero-width output range gives no input: the input field and the bar
  // stay, the output and the lamps still follow the reading.
  p.Canali[0].OutMax = p.Canali[0].OutMin;
  const Lettura l = DecodificaLettura(Make({Raw(8), Raw(8), 0, 0}, 2), p);
  EXPECT_FALSE(l.Canali[0].Ingresso);
  MostraLettura(f, l);
  EXPECT_EQ(f.txt_misura_out[0].Caption, "8.000 mA");
  EXPECT_EQ(f.txt_misura_in[0].Caption, "500.0 ");
  EXPECT_NEAR(f.progress[0].Quota, 0.5, 1e-4);
  EXPECT_EQ(f.Led[0].FillColor, kColoreGiallo);
  // The other channel is not held back.
  EXPECT_EQ(f.txt_misura_in[1].Caption, "250.0 ");

  // A zero-width input range: the input shows, the bar stays.
  p = Preparata(2);
  p.Canali[0].InMax = p.Canali[0].InMin = 300;
  MostraLettura(f, DecodificaLettura(Make({Raw(12), 0, 0, 0}, 2), p));
  EXPECT_EQ(f.txt_misura_in[0].Caption, "300.0 ");
  EXPECT_NEAR(f.progress[0].Quota, 0.5, 1e-4);
}

TEST(MeasureReading, MasksByDecimalsAndByFrequencySize) {
  // The PLV7100 sends its input itself (value 3) with the type's unit.
  MisuraPreparata p = Preparata(0);
  p.Canali[0].DecIn = 0;
  EXPECT_EQ(DecodificaLettura(Make({Raw(12), 0, 0, 12.25}, 0), p).Canali[0].TestoIngresso, "12 °C");
  p.Canali[0].DecIn = 2;
  EXPECT_EQ(DecodificaLettura(Make({Raw(12), 0, 0, 12.25}, 0), p).Canali[0].TestoIngresso, "12.25 °C");

  // Its 10 V and 20 mA inputs come in thousandths.
  p.Canali[0].TipoIn = 4;
  p.Canali[0].DecIn = 3;
  p.Canali[0].UMis = "V";
  EXPECT_EQ(DecodificaLettura(Make({Raw(12), 0, 0, 2500}, 0), p).Canali[0].TestoIngresso, "2.500 V");

  // The PLV7300 picks the decimals by size.
  MisuraPreparata f = Preparata(7);
  f.Canali[0].UMis = "Hz";
  const auto shown = [&](double x) { return DecodificaLettura(Make({800, 0, 0, x}, 7), f).Canali[0].TestoIngresso; };
  EXPECT_EQ(shown(9.5), "9.5000 Hz");
  EXPECT_EQ(shown(150), "150.00 Hz");
  EXPECT_EQ(shown(12288), "12288 Hz");

  // Switch-set millivolt inputs with a zero from the table get one decimal
  // more, on both channels.
  MisuraPreparata mv = Preparata(2);
  mv.Dip0 = 0x21;
  mv.Canali[0].TipoIn = 1;
  mv.Canali[0].DecIn = 1;
  mv.Canali[1].DecIn = 1;
  EXPECT_EQ(MascheraIngresso(mv, 1, 1, 0), "##0.00");
}

TEST(MeasureReading, FunctionsShowPercentAndFahrenheitConvertsTheShownValue) {
  // Square root and tank show ten times the linear value, in percent.
  MisuraPreparata p = Preparata(2);
  p.Canali[0].InMax = 100;
  p.Canali[0].Funzione = 2;
  Lettura l = DecodificaLettura(Make({Raw(12), 0, 0, 0}, 2), p);
  EXPECT_EQ(l.Canali[0].TestoIngresso, "500.0 %");
  EXPECT_EQ(*l.Canali[0].Ingresso, 500.0);
  // A percentage stays a percentage on a channel shown in Fahrenheit.
  p.Canali[0].Fahrenheit = true;
  EXPECT_EQ(DecodificaLettura(Make({Raw(12), 0, 0, 0}, 2), p).Canali[0].TestoIngresso, "500.0 %");
  // The two-input model shows its percentages with one decimal.
  MisuraPreparata v5 = Preparata(5);
  v5.Canali[1].Funzione = 1;
  v5.Canali[1].DecIn = 3;
  EXPECT_EQ(DecodificaLettura(Make({0, 0, 1, 4.5}, 5), v5).Canali[1].TestoIngresso, "45.0 %");

  // 100 °C on a Fahrenheit channel shows 212.0 °F; the bar stays in °C.
  MisuraPreparata t = Preparata(0);
  t.Canali[0].Fahrenheit = true;
  l = DecodificaLettura(Make({Raw(12), 0, 0, 100}, 0), t);
  EXPECT_EQ(l.Canali[0].TestoIngresso, "212.0 °F");
  EXPECT_EQ(l.Canali[0].UnitaTecnica, "°F");
  EXPECT_NEAR(*l.Canali[0].Quota, 0.1, 1e-4);
}

TEST(MeasureReading, LampsFollowTheStatusBitsWithPendingFirst) {
  const MisuraPreparata p = Preparata(0);
  auto leds = [&](std::uint8_t s) { return DecodificaLettura(Make({800, 800, 0, 0}, 0, s), p).Led; };
  EXPECT_EQ(leds(0x00), (std::array<int, 3>{kColoreVerde, kColoreVerde, kColoreVerde}));
  EXPECT_EQ(leds(0x11), (std::array<int, 3>{kColoreGiallo, kColoreVerde, kColoreVerde}));
  EXPECT_EQ(leds(0x01), (std::array<int, 3>{kColoreRosso, kColoreVerde, kColoreVerde}));
  EXPECT_EQ(leds(0x26), (std::array<int, 3>{kColoreVerde, kColoreGiallo, kColoreRosso}));
  // The other models carry the status byte in m(5).
  EXPECT_EQ(DecodificaLettura(Make({800, 800, 0, 0}, 2, 0x02), Preparata(2)).Led[1], kColoreRosso);
  // So does the older family on every variant: its short frame has no m(14).
  MisuraPreparata f11 = Preparata(0);
  f11.CodProdotto = 11;
  EXPECT_EQ(DecodificaLettura(Make({800, 0, 0, 0}, 2, 0x01), f11).Led[0], kColoreRosso);
}

TEST(MeasureRecording, RowsCarryTheShownValuesAndTheirUnits) {
  using namespace std::chrono;
  const auto t = sys_days{year{2024} / 5 / 1} + hours{9} + minutes{30} + seconds{12} + milliseconds{250};
  EXPECT_EQ(TimbroIso(t), "2024-05-01T09:30:12.250Z");

  MisuraPreparata p = Preparata(0);
  for (auto& k : p.Canali) std::swap(k.CalOut0, k.CalOut1);  // the PLV7100's order
  p.Canali[1].Fahrenheit = true;
  const Lettura l = DecodificaLettura(Make({Raw(12), Raw(4), 0, 100}, 0, 0x11), p);
  const auto rows = RigheCsv("T", l, {true, true});
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0], "T,A,12.000,mA,100.0,°C,17");
  EXPECT_EQ(rows[1], "T,B,4.000,mA,212.0,°F,17");
  EXPECT_EQ(RigheCsv("T", l, {true, false}).size(), 1u);
  // No input worked out: empty fields, not a stale or made-up number.
  MisuraPreparata piatta = Preparata(2);
  piatta.Canali[0].OutMax = piatta.Canali[0].OutMin;
  const Lettura senza = DecodificaLettura(Make({Raw(12), 0, 0, 0}, 2), piatta);
  EXPECT_EQ(RigaCsv("T", 0, senza.Canali[0], 0), "T,A,12.000,mA,,,0");
  EXPECT_EQ(IntestazioneCsv(), "timestamp,channel,output,output_unit,input,input_unit,status");
}
