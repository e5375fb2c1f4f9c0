// Reading a configuration: memory images are laid out here from the memory
// map (addresses, bit fields, scalings), so a decoding that drifts from the
// map fails.
#include <gtest/gtest.h>

#include <bit>
#include <cstring>

#include "app/context.h"
#include "app/texts.h"
#include "config/read_config.h"
#include "config/write_config.h"
#include "link/protocol.h"
#include "support/scripted_dialogs.h"
#include "support/scripted_transport.h"

using namespace korventa;

namespace {

// Memory image under construction, addressed as the device addresses it.
struct Image {
  std::array<std::uint8_t, 256> m{};
  void Word(int a, long v) {  // low byte first, two's complement
    const auto u = static_cast<std::uint16_t>(v);
    m[a] = u & 0xFF;
    m[a + 1] = u >> 8;
  }
  void Float(int a, float v) {  // upper three bytes of the single, low first
    const auto u = std::bit_cast<std::uint32_t>(v);
    m[a] = (u >> 8) & 0xFF;
    m[a + 1] = (u >> 16) & 0xFF;
    m[a + 2] = u >> 24;
  }
  std::span<const std::uint8_t> Block0() const { return {m.data(), 65}; }
  std::span<const std::uint8_t> Block128() const { return {m.data() + 128, 26}; }
};

struct Decoding : ::testing::Test {
  ProgramState s;
  FrmProgram f;
  FrmOper oper;
  Image img;
  void SetUp() override { FrmProgram_Load(s, f); }
  void Identify(int variant, int firmware = 4) {
    s.CodVariante = static_cast<std::uint8_t>(variant);
    s.VerSw = static_cast<std::uint8_t>(firmware);
    RiempiListe(s, f);
  }
  void Decode() { DecodificaConfigurazione(s, f, oper, img.Block0()); }
};

// A PLV7100: "Tc K" -200 .. 1300 °C, 4-20 mA, 3 wires, internal CJC,
// burn-out down, high speed, trip A on the minimum at 800/700 °C.
void Plv7100(Image& img) {
  img.m[0] = img.m[1] = 8;             // "Tc K", copied to address 1
  img.m[3] = 0x80;                     // burn-out down, linear
  img.m[4] = 1 | (2 << 2) | 0x10 | 0x40 | 0x80;  // 4-20 mA, 3 wires, internal, trip MIN, HS
  img.m[7] = 0xFB;                     // CJC offset -0.5 °C
  img.m[8] = 15;                       // trip delay: 15 / 0.75 / 10 = 2 s
  img.m[9] = 1 | (2 << 2);             // ±2.5 % on A, ±5.0 % on B
  img.Float(10, 800);
  img.Float(13, 700);
  img.Word(20, 13000);
  img.Word(22, -2000);
  img.Word(24, 20000);
  img.Word(26, 4000);
  img.Word(28, 10);                    // response delay 10 * 0.058 + 0.2
}

}  // namespace

TEST_F(Decoding, Plv7100ChannelAInEngineeringTerms) {
  Identify(0);
  Plv7100(img);
  Decode();
  EXPECT_EQ(f.cmb_Prog_In[0].Text, "Tc K");
  EXPECT_EQ(f.txt_Input_max[0].Text, "1300");
  EXPECT_EQ(f.txt_Input_min[0].Text, "-200");
  EXPECT_EQ(f.cmb_Prog_Out[0].Text, "4-20 mA");
  EXPECT_EQ(f.txt_Output_max[0].Text, "20");
  EXPECT_TRUE(f.opt_Break[1].Value);
  EXPECT_TRUE(f.opt_Fili[2].Value);  // the middle, "3"-wire button
  EXPECT_TRUE(f.opt_CJC[1].Value);
  EXPECT_TRUE(f.chk_HS.Value);
  EXPECT_EQ(f.txt_offset[0].Text, "-0.5");
  EXPECT_EQ(f.cmb_OverRange[0].Text, "±2.5%");
  EXPECT_EQ(f.txt_soglia_Delay[0].Text, "2");
  EXPECT_EQ(f.txt_soglia_H[0].Text, "800");
  EXPECT_TRUE(f.optTrip[1].Value);
  EXPECT_EQ(s.Soglie[0].SogliaMin, -1);
  EXPECT_EQ(f.txt_Delay.Text, "0.78");  // to the 58 ms step, not "0.8" (which writes back as 11)
  EXPECT_EQ(f.lbl_limite_in[0].Caption, "-200 ÷  1300 °C");
  EXPECT_EQ(f.lbl_spanmin_in[0].Caption, "Span min.:  100 °C");
  EXPECT_EQ(f.lbl_limite_out[0].Caption, " 4 ÷  20 mA");
  // Channel B is decoded from block 12, whose first bytes are trip A's
  // threshold bytes 12 and 13.
  EXPECT_EQ(s.Canali[1].InMax, ((img.m[13] << 8) | img.m[12]) / 10.0);
}

TEST_F(Decoding, FahrenheitShowsConvertedValuesWhileRecordsKeepCelsius) {
  Identify(0);
  Plv7100(img);
  s.GradiF[0] = true;
  SelezionaOpzione(std::span<OptionButton>(&f.opt_gradi[0], 1), -1);
  f.opt_gradi_far[0].Value = true;
  Decode();
  EXPECT_EQ(f.txt_Input_max[0].Text, "2372.0");
  EXPECT_EQ(f.txt_offset[0].Text, "-0.9");  // a difference: no 32
  EXPECT_EQ(f.txt_soglia_H[0].Text, "1472.0");
  EXPECT_EQ(f.lbl_uMisIn[0].Caption, "°F");
  EXPECT_EQ(f.lbl_spanmin_in[0].Caption, "Span min.:  180 °F");
  EXPECT_EQ(s.Canali[0].InMin, -200);
  EXPECT_FLOAT_EQ(s.Soglie[0].SogliaH, 800);
}

TEST_F(Decoding, ResponseDelayNeedsFirmwareFourOnThePlv7100AndCountsDoubleOn7150) {
  Plv7100(img);
  Identify(0, 3);
  Decode();
  EXPECT_EQ(f.txt_Delay.Text, "");
  Identify(8, 3);
  Decode();
  EXPECT_EQ(f.txt_Delay.Text, "1.36");  // 10 * 0.058 * 2 + 0.2
}

TEST_F(Decoding, VoltageTripsAreScaledLikeTheRangeAndTenVoltMinimumFollowsTheVariant) {
  Identify(0);
  img.m[0] = img.m[1] = 4;  // "10 V", three decimals
  img.Word(20, 10000);
  img.Word(22, -10000);
  img.Float(10, 5000);      // 5.000 V
  Decode();
  EXPECT_EQ(f.txt_Input_min[0].Text, "-10");
  EXPECT_EQ(f.txt_soglia_H[0].Text, "5");
  EXPECT_EQ(f.lbl_limite_in[0].Caption, "-10 ÷  10 V");
  Identify(2);
  img.m[4] = 0x60;
  Decode();
  EXPECT_EQ(s.TipiIngresso[kCod10V].Min, 0);
  EXPECT_EQ(f.lbl_limite_in[0].Caption, " 0 ÷  10 V");
}

TEST_F(Decoding, Res300KOnVariantSixCarriesOneDecimalMore) {
  Identify(6, 2);
  img.m[0] = 18;  // the device's code for "Res300K"
  img.Word(20, 25000);
  img.Word(22, 150);
  Decode();
  EXPECT_EQ(f.cmb_Prog_In[0].Text, "Res300K");
  EXPECT_EQ(f.txt_Input_max[0].Text, "250");
  EXPECT_EQ(f.lbl_uMisIn[0].Caption, "KOhm");
}

// The thermistors 29 and 30 have no scale buttons and writing takes their
// boxes as Celsius: a channel left in °F must still show (and label) them in
// °C, or a read followed by a write would store the °F figures.
TEST_F(Decoding, ThermistorsWithoutScaleButtonsStayInCelsius) {
  Identify(6);
  s.GradiF[0] = true;
  f.opt_gradi[0].Value = false;
  f.opt_gradi_far[0].Value = true;
  img.m[0] = 29;  // "Vish10K"
  img.Word(20, 1000);
  img.Word(22, 200);
  img.m[7] = 10;
  Decode();
  EXPECT_EQ(f.cmb_Prog_In[0].Text, "Vish10K");
  EXPECT_FALSE(f.opt_gradi_far[0].Visible);
  EXPECT_EQ(f.txt_Input_max[0].Text, "100");
  EXPECT_EQ(f.txt_Input_min[0].Text, "20");
  EXPECT_EQ(f.txt_offset[0].Text, "1.0");
  EXPECT_EQ(f.lbl_uMisIn[0].Caption, "°C");
  EXPECT_EQ(f.lbl_limite_in[0].Caption, "-40 ÷  120 °C");
}

TEST_F(Decoding, FrequencyConverterReadsUnsignedWordsWithTheirOwnDecimals) {
  Identify(7);
  img.m[0] = 6 | 8;               // "Volt" sensor, 50 Hz filter on
  img.m[4] = 1 | (1 << 2);        // 4-20 mA, one decimal
  img.Word(20, 50000);            // 5000.0 Hz: above 32767, so unsigned
  img.Word(22, 100);
  img.Word(53, 40000);
  img.m[64] = 100;
  img.m[8] = 5;
  img.Float(28, 4500);
  img.Float(31, 200);
  img.Float(34, 60);
  img.Float(37, 30);
  Decode();
  EXPECT_EQ(f.cmb_Prog_In[0].Text, "Freq");
  EXPECT_EQ(f.txt_Input_max[0].Text, "5000");
  EXPECT_EQ(f.cmb_Freq_Type.Text, "Volt");
  EXPECT_TRUE(f.lbl_aux.Visible);
  EXPECT_TRUE(f.chk_50hz.Value);
  EXPECT_EQ(f.txt_filter.Text, "40000");
  EXPECT_EQ(f.txt_Trig.Text, "2.902");  // 100 * 0.0278 + 0.122
  EXPECT_EQ(f.txt_soglia_Delay[0].Text, "5");
  EXPECT_EQ(f.txt_soglia_H[0].Text, "4500");
  EXPECT_EQ(f.txt_soglia_L[1].Text, "30");
  EXPECT_EQ(f.lbl_uMisIn[0].Caption, "Hz");
}

// Each trip's relay contact comes from its channel's options byte, never
// from the trip mode bit of channel A's output byte.
TEST_F(Decoding, FrequencyConverterTripModesAndRelaysPerChannel) {
  Identify(7);
  img.m[3] = 0x40;  // relay A: NC
  img.m[4] = 0x40;  // trip A on the minimum
  img.m[5] = 0x00;  // relay B: NO
  img.m[6] = 0x00;  // trip B on the maximum
  Decode();
  EXPECT_TRUE(f.optTrip[1].Value);
  EXPECT_TRUE(f.optRele[1].Value);
  EXPECT_TRUE(f.optTrip[2].Value);
  EXPECT_TRUE(f.optRele[2].Value);
  EXPECT_FALSE(f.optRele[3].Value);
  EXPECT_EQ(s.Soglie[1].SogliaMin, 0);
}

TEST_F(Decoding, TwoInputModelOperatorsAndPhysicalValues) {
  Identify(5);
  img.m[0] = img.m[1] = 5;   // "20 mA"
  img.m[3] = 3 << 3;         // A-B
  img.m[5] = 6 << 3;         // MAX
  img.Float(128, 100);
  img.Float(131, -50);
  img.Float(134, 2.5f);
  img.Float(150, 0.5f);
  img.m[146] = 40;           // 40 * 0.75 / 10 = 3 s
  Decode();
  DecodificaFisici(s, f, oper, img.Block128());
  EXPECT_EQ(f.cmd_Operatore[0].Caption, "A-B");
  EXPECT_EQ(f.cmd_Operatore[1].Caption, "MAX");
  EXPECT_EQ(s.Canali[1].Operatore, 6);
  EXPECT_TRUE(oper.opt_Oper[6].Value);
  EXPECT_EQ(f.txt_Fisico_max[2].Text, "100");
  EXPECT_EQ(f.txt_Fisico_min[2].Text, "-50");
  EXPECT_EQ(f.txt_Fisico_max[3].Text, "2.5");
  EXPECT_EQ(f.txt_FisicoOut_min[1].Text, "0.5");
  EXPECT_EQ(oper.txt_Opzione.Text, "3");
}

TEST_F(Decoding, FieldValuesWithoutAButtonSelectNothingAndClearBitsClearBoxes) {
  Identify(2);
  img.m[3] = 5;                 // function code 5: no such button
  img.m[4] = 0x60 | (3 << 2);   // wiring value 3: no such button; HS clear
  img.m[6] = 1 << 2;            // channel B: 4 wires
  f.chk_HS.Value = true;        // left from an earlier device
  Decode();
  for (int i = 0; i < 3; ++i) {
    EXPECT_FALSE(f.opt_funz[i].Value);
    EXPECT_FALSE(f.opt_Fili[i].Value);
  }
  // A's value 3 does not spill into channel B's first button.
  EXPECT_FALSE(f.opt_Fili[3].Value);
  EXPECT_TRUE(f.opt_Fili[4].Value);
  EXPECT_FALSE(f.chk_HS.Value);
}

// ReadEprom against a scripted device answering from an image.
namespace {

struct Reading : ::testing::Test {
  ProgramState s;
  Windows w;
  test::ScriptedTransport t;
  test::ScriptedDialogs d;
  BusyObserver busy;
  Link link{s, t, d, busy};
  Context c{s, w, link, d};
  Image img;
  std::string identity;  // variant, firmware, extra, product
  int failFrom = 1000;   // "$R" of this address and above go unanswered
  void SetUp() override {
    t.responder = [this](test::ScriptedTransport& tr, const std::string& fr) {
      if (fr == protocol::FrameEnterProgram()) tr.Deliver("OK\r\n", 0.001);
      const auto a = static_cast<std::uint8_t>(fr.size() == 6 ? fr[3] : 0);
      if (fr.size() == 6 && fr[1] == 'V') tr.Deliver(test::Reply(identity), 0.001);
      if (fr.size() == 6 && fr[1] == 'R' && a < failFrom)
        tr.Deliver(test::Reply(std::string{0, char(a), char(img.m[a])}), 0.001);
      if (fr.size() == 6 && fr[1] == 'W') img.m[a] = static_cast<std::uint8_t>(fr[4]);
    };
  }
};

}  // namespace

TEST_F(Reading, FailedBlockReadShowsTheDataErrorAndStops) {
  identity = {0, 4, 0, 12};
  failFrom = 30;
  d.answers = {Answer::Cancel};
  EXPECT_EQ(ReadEprom(c), kLetturaErrore);
  ASSERT_EQ(d.boxes.size(), 2u);  // the link's Retry/Cancel, then the data error
  EXPECT_EQ(d.boxes[1].text, "Errore: controllare i dati di programmazione");
  EXPECT_EQ(d.boxes[1].icon, Icon::Error);
  EXPECT_EQ(d.boxes[1].caption, "KORVENTA v.2.7");
}

// A °F choice left from a thermocouple device must not reach a PLV7300,
// whose window has no scale buttons: reading and writing its trips back
// leaves the thresholds in hertz as they were.
TEST_F(Reading, StaleFahrenheitDoesNotConvertAFrequencyConvertersTrips) {
  identity = {7, 4, 0, 12};
  img.m[0] = 2;               // TTL
  img.m[4] = 1 | (1 << 2);    // 4-20 mA, one decimal
  img.Word(20, 50000);        // 5000.0 Hz
  img.Word(22, 100);
  img.Word(24, 20000);
  img.Word(26, 4000);
  img.Word(53, 10);
  img.m[8] = 2;
  img.Float(28, 4500);
  img.Float(31, 200);
  img.Float(34, 3000);
  img.Float(37, 1000);
  const auto before = img.m;
  FrmProgram_Load(s, w.frm_program);
  s.GradiF = {true, true};
  w.frm_program.opt_gradi[0].Value = false;
  w.frm_program.opt_gradi_far[0].Value = true;
  ASSERT_EQ(ReadEprom(c), kLetturaOk);
  EXPECT_FALSE(s.GradiF[0]);
  EXPECT_EQ(w.frm_program.txt_soglia_H[0].Text, "4500");
  d.answers.assign(10, Answer::Ok);
  ASSERT_EQ(WriteEprom(c), WriteResult::Written);
  for (int a = 28; a < 40; ++a) EXPECT_EQ(img.m[a], before[a]) << "address " << a;
}
