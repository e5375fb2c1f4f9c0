// Writing a configuration against a scripted converter: the bytes that land
// at each address (checked against the memory map written out here), the
// warnings with their exact texts, and that every refusal sends nothing.
#include <gtest/gtest.h>

#include <map>

#include "app/context.h"
#include "app/format.h"
#include "app/numbers.h"
#include "app/texts.h"
#include "config/write_config.h"
#include "link/codecs.h"
#include "link/protocol.h"
#include "support/scripted_dialogs.h"
#include "support/scripted_transport.h"

using namespace korventa;
using test::Reply;
using test::ScriptedDialogs;
using test::ScriptedTransport;

namespace {

std::string Bytes(std::initializer_list<int> b) {
  std::string s;
  for (int v : b) s.push_back(static_cast<char>(v));
  return s;
}

// A converter that acknowledges program mode, identifies itself, answers
// "$R" from its memory and stores "$W".
struct Converter {
  std::array<std::uint8_t, 256> memory{};
  int variant = 0, firmware = 4, extra = 0, product = 12;
  bool silentReads = false;
  // Every "$W" in order: (address, byte).
  std::vector<std::pair<int, int>> writes;

  void Attach(ScriptedTransport& t) {
    t.responder = [this](ScriptedTransport& tr, const std::string& f) {
      if (f == protocol::FrameEnterProgram()) {
        tr.Deliver("OK\r\n", 0.002);
      } else if (f.size() == 6 && f[0] == '$' && f[1] == 'R') {
        if (silentReads) return;
        const auto a = static_cast<std::uint8_t>(f[3]);
        tr.Deliver(Reply(Bytes({0, a, memory[a]})), 0.002);
      } else if (f.size() == 6 && f[0] == '$' && f[1] == 'W') {
        const auto a = static_cast<std::uint8_t>(f[3]);
        memory[a] = static_cast<std::uint8_t>(f[4]);
        writes.emplace_back(a, static_cast<std::uint8_t>(f[4]));
      } else if (f.size() == 6 && f[0] == '$' && f[1] == 'V') {
        tr.Deliver(Reply(Bytes({variant, firmware, extra, product})), 0.002);
      }
    };
  }
  int Word(int a) const { return static_cast<int>(JoinWord(memory[a + 1], memory[a], true)); }
  double Float(int a) const { return DecodeFloat(memory[a + 1], memory[a], memory[a + 2]); }
};

struct WriteFixture : ::testing::Test {
  ProgramState s;
  Windows w;
  ScriptedTransport transport;
  ScriptedDialogs dialogs;
  BusyObserver busy;
  Converter device;
  Link link{s, transport, dialogs, busy};
  Context ctx{s, w, link, dialogs};
  FrmProgram& f = w.frm_program;

  void SetUp() override {
    device.Attach(transport);
    s.Lingua = 1;
    s.OffLingua = 300;
  }

  // The device that was read: identity known, both channels a sane
  // configuration of the given input type.
  void Connected(int variant, const std::string& input, const std::string& max, const std::string& min) {
    device.variant = variant;
    s.CodProdotto = 12;
    s.CodVariante = static_cast<std::uint8_t>(variant);
    s.VerSw = static_cast<std::uint8_t>(device.firmware);
    for (std::size_t ch = 0; ch < 2; ++ch) {
      f.cmb_Prog_In[ch].Text = input;
      f.txt_Input_max[ch].Text = max;
      f.txt_Input_min[ch].Text = min;
      f.cmb_Prog_Out[ch].Text = "4-20 mA";
      f.txt_Output_max[ch].Text = "20";
      f.txt_Output_min[ch].Text = "4";
      f.opt_CJC[2 * ch + 1].Value = true;
      f.txt_offset[ch].Text = "0";
      f.opt_Fili[3 * ch].Value = true;
      f.opt_funz[3 * ch].Value = true;
      f.opt_Break[2 * ch].Value = true;
      f.cmb_OverRange[ch].List = {"±0%", "±2.5%", "±5.0%", "±10%"};
      f.cmb_OverRange[ch].Select(0);
      f.txt_soglia_H[ch].Text = "100";
      f.txt_soglia_L[ch].Text = "50";
      f.txt_soglia_Delay[ch].Text = "1";
      f.optTrip[2 * ch].Value = true;
    }
    f.txt_Delay.Text = "0.2";
  }

  std::vector<std::string> Texts() const {
    std::vector<std::string> t;
    for (const auto& b : dialogs.boxes) t.push_back(b.text);
    return t;
  }
  // The last byte written to each address.
  std::map<int, int> Written() const {
    std::map<int, int> m;
    for (auto [a, b] : device.writes) m[a] = b;
    return m;
  }
};

}  // namespace

// ---------------------------------------------------------------- encoding

TEST_F(WriteFixture, ThermocoupleRangeLandsAsScaledWordsLowByteFirst) {
  Connected(0, "Tc K", "1300", "-200");
  ASSERT_EQ(WriteEprom(ctx), WriteResult::Written);
  EXPECT_TRUE(dialogs.boxes.empty());
  auto m = Written();
  EXPECT_EQ(m[20], 0xC8);
  EXPECT_EQ(m[21], 0x32);
  EXPECT_EQ(m[22], 0x30);
  EXPECT_EQ(m[23], 0xF8);
  EXPECT_EQ(device.Word(24), 20000);  // 20 mA in thousandths
  EXPECT_EQ(device.Word(26), 4000);
  // A single-input model: the input byte goes to both channel addresses.
  EXPECT_EQ(m[0], 8);
  EXPECT_EQ(m[1], 8);
  // Output byte: 4-20 mA (1), internal compensation (16).
  EXPECT_EQ(m[4], 1 | 16);
  // The records follow what was encoded.
  EXPECT_EQ(s.Canali[0].DecIn, 1);
  EXPECT_DOUBLE_EQ(s.Canali[0].InMax, 1300);
  EXPECT_EQ(s.Canali[0].TipoIn, 8);
}

TEST_F(WriteFixture, TripsComeLastAndPrevailOverChannelBOnSingleInputModels) {
  Connected(0, "Tc J", "1200", "0");
  f.txt_soglia_Delay[0].Text = "2";
  ASSERT_EQ(WriteEprom(ctx), WriteResult::Written);
  auto m = Written();
  EXPECT_EQ(m[8], 15);  // 2 s on the PLV7100: seconds * 7.5
  EXPECT_NEAR(device.Float(10), 100, 100.0 / 32768);
  EXPECT_NEAR(device.Float(13), 50, 50.0 / 32768);
  // The pairs for 8 and 10..15 written by channel B come before the trips.
  std::size_t channelB = 0, trip = 0;
  for (std::size_t i = 0; i < device.writes.size(); ++i) {
    if (device.writes[i].first == 12 && channelB == 0) channelB = i;
    if (device.writes[i].first == 10) trip = i;
  }
  EXPECT_LT(channelB, trip);
}

TEST_F(WriteFixture, OptionAndOutputBitsOfTheTripModels) {
  Connected(0, "Pt 100", "100", "0");
  f.opt_Break[1].Value = true;  // down
  f.opt_funz[0].Value = false;
  f.opt_funz[2].Value = true;  // SQRT
  f.optRele[1].Value = true;
  f.opt_Fili[0].Value = false;
  f.opt_Fili[2].Value = true;  // 3 wires: value 2
  f.chk_HS.Value = true;
  f.optTrip[1].Value = true;  // MIN
  f.cmb_OverRange[0].Select(2);
  f.cmb_OverRange[1].Select(1);
  ASSERT_EQ(WriteEprom(ctx), WriteResult::Written);
  auto m = Written();
  EXPECT_EQ(m[3], 128 | 64 | 2);
  EXPECT_EQ(m[4], 1 | 8 | 16 | 64 | 128);
  EXPECT_EQ(m[9], 2 + 4 * 1);
  // Channel B's wiring and compensation follow A on the PLV7100.
  EXPECT_TRUE(f.opt_Fili[5].Value);
  EXPECT_FALSE(f.opt_Fili[3].Value);
}

TEST_F(WriteFixture, ColdJunctionOffsetIsASignedByteInTenths) {
  Connected(0, "Tc K", "1300", "-200");
  f.txt_offset[0].Text = "-12.5";
  ASSERT_EQ(WriteEprom(ctx), WriteResult::Written);
  EXPECT_EQ(Written()[7], 131);
  EXPECT_TRUE(dialogs.boxes.empty());
}

TEST_F(WriteFixture, FahrenheitRangesAreCheckedInFahrenheitAndStoredInCelsius) {
  Connected(0, "Pt 100", "122", "32");  // 50 °C .. 0 °C: the minimum span, 90 °F
  s.GradiF[0] = true;
  f.txt_offset[0].Text = "1.8";  // a difference: 1 °C
  ASSERT_EQ(WriteEprom(ctx), WriteResult::Written);
  EXPECT_TRUE(dialogs.boxes.empty()) << dialogs.boxes[0].text;
  EXPECT_EQ(device.Word(20), 500);
  EXPECT_EQ(device.Word(22), 0);
  EXPECT_EQ(Written()[7], 10);
}

TEST_F(WriteFixture, AStaleFahrenheitFlagDoesNotConvertANonTemperatureInput) {
  // Switched to °F on a thermocouple, then changed to a mV input: the boxes
  // hold millivolts, which must reach the device unchanged.
  Connected(0, "90 mV", "50", "10");
  s.GradiF[0] = true;
  f.txt_offset[0].Text = "0";
  ASSERT_EQ(WriteEprom(ctx), WriteResult::Written);
  EXPECT_EQ(device.Word(20), 5000);
  EXPECT_EQ(device.Word(22), 1000);
}

TEST_F(WriteFixture, TwoInputModelSendsPhysicalValuesAndOperators) {
  Connected(5, "10 V", "10", "0");
  s.Canali[0].Operatore = 2;  // A+B
  f.txt_Fisico_max[2].Text = "250";
  f.txt_Fisico_min[2].Text = "-1.5";
  f.txt_FisicoOut_max[1].Text = "1000";
  w.frm_Oper.txt_Opzione.Text = "1.5";
  ASSERT_EQ(WriteEprom(ctx), WriteResult::Written);
  auto m = Written();
  EXPECT_EQ(m[3], 2 << 3);
  EXPECT_NEAR(device.Float(128), 250, 250.0 / 32768);
  EXPECT_NEAR(device.Float(131), -1.5, 1.5 / 32768);
  EXPECT_NEAR(device.Float(147), 1000, 1000.0 / 32768);
  EXPECT_EQ(m[146], 20);  // 1.5 s in steps of 75 ms
  EXPECT_DOUBLE_EQ(s.Canali[1].FisicoOutMax, 1000);
  // "10 V" on a variant 2..6 model starts at 0 V: 0 is no warning.
  EXPECT_TRUE(dialogs.boxes.empty());
}

TEST_F(WriteFixture, DeviceOwnedBitSixIsReadAndHandedBack) {
  Connected(3, "Pt 100", "100", "0");
  device.memory[4] = 0x40 | 3;
  device.memory[6] = 0x00;
  ASSERT_EQ(WriteEprom(ctx), WriteResult::Written);
  auto m = Written();
  EXPECT_EQ(m[4], 64 | 1 | 16);
  EXPECT_EQ(m[6], 1 | 16);
  EXPECT_EQ(transport.Count("$R"), 2);
}

TEST_F(WriteFixture, VariantOneKeepsBitSixOnceInsteadOfCarryingIntoHighSpeed) {
  Connected(1, "Tc K", "1300", "-200");
  device.memory[4] = 0x40;
  f.optTrip[0].Value = false;
  f.optTrip[1].Value = true;
  ASSERT_EQ(WriteEprom(ctx), WriteResult::Written);
  EXPECT_EQ(Written()[4], 64 | 16 | 1);  // not 128
}

TEST_F(WriteFixture, DoublerCopiesChannelAOptionsIntoB) {
  Connected(2, "Tc J", "500", "0");
  f.chk_Doubler.Value = true;
  f.cmb_Prog_In[1].Text = "DOUBLER";
  f.txt_Input_max[1].Text = "";
  f.opt_CJC[2].Value = true;
  f.opt_CJC[3].Value = false;
  ASSERT_EQ(WriteEprom(ctx), WriteResult::Written);
  auto m = Written();
  EXPECT_EQ(m[1], 7);  // channel A's code
  EXPECT_EQ(device.Word(12), 5000);
  EXPECT_EQ(m[6], 32 | 16 | 1);
  EXPECT_EQ(f.txt_Input_max[1].Text, "500");
  EXPECT_TRUE(f.opt_CJC[3].Value);
}

TEST_F(WriteFixture, Res300KIsStoredAsCode18WithOneMoreDecimal) {
  Connected(6, "Res300K", "250", "0");
  ASSERT_EQ(WriteEprom(ctx), WriteResult::Written);
  auto m = Written();
  EXPECT_EQ(m[0], 18);
  EXPECT_EQ(device.Word(20), 25000);
  EXPECT_EQ(s.Canali[0].DecIn, 1);
}

TEST(FrequencyDecimals, OneMoreForEachThresholdNotExceededUpToThree) {
  EXPECT_EQ(DecimaliFrequenza(20000), 0);
  EXPECT_EQ(DecimaliFrequenza(6500.01), 0);
  EXPECT_EQ(DecimaliFrequenza(6500), 1);
  EXPECT_EQ(DecimaliFrequenza(650.5), 1);
  EXPECT_EQ(DecimaliFrequenza(650), 2);
  EXPECT_EQ(DecimaliFrequenza(65), 3);
  // Four or five decimals do not fit the two bits of the output byte.
  EXPECT_EQ(DecimaliFrequenza(6.5), 3);
  EXPECT_EQ(DecimaliFrequenza(0.5), 3);
}

TEST_F(WriteFixture, FrequencyModelStoresUnsignedWordsAndItsDecimals) {
  Connected(7, "Freq", "5000", "100");
  f.cmb_Freq_Type.List = {"NAMUR", "Tacho", "TTL", "PNP", "NPN", "---", "Volt"};
  f.cmb_Freq_Type.Select(2);
  f.chk_50hz.Value = true;
  f.txt_soglia_H[0].Text = "4000";
  f.txt_soglia_L[0].Text = "200";
  f.txt_soglia_H[1].Text = "3000";
  f.txt_soglia_L[1].Text = "100";
  f.txt_soglia_Delay[0].Text = "7";
  f.txt_Input_max[0].Text = "6000";
  ASSERT_EQ(WriteEprom(ctx), WriteResult::Written) << (dialogs.boxes.empty() ? "" : dialogs.boxes[0].text);
  auto m = Written();
  EXPECT_EQ(m[0], 2 + 8);
  EXPECT_EQ(m[20] | (m[21] << 8), 60000);  // above 32767: unsigned
  EXPECT_EQ((m[4] >> 2) & 3, 1);
  EXPECT_NEAR(device.Float(28), 4000, 4000.0 / 32768);
  EXPECT_NEAR(device.Float(34), 3000, 3000.0 / 32768);
  EXPECT_EQ(m[8], 7);
}

TEST_F(WriteFixture, TriggerLevelShownAfterAReadGoesBackToTheSameByte) {
  Connected(7, "Freq", "5000", "100");
  f.cmb_Freq_Type.List = {"NAMUR", "Tacho", "TTL", "PNP", "NPN", "---", "Volt"};
  f.cmb_Freq_Type.Select(6);
  f.txt_aux_freq.Text = "24";
  f.txt_filter.Text = "300";
  f.txt_soglia_H[1].Text = "100";
  f.txt_soglia_L[1].Text = "50";
  for (int b = 0; b < 256; ++b) {
    device.writes.clear();
    f.txt_Trig.Text = PlainNumber(b * 0.0278 + 0.122);
    ASSERT_EQ(WriteEprom(ctx), WriteResult::Written);
    ASSERT_EQ(Written()[64], b) << f.txt_Trig.Text;
  }
  auto m = Written();
  EXPECT_EQ(m[63], 24);
  EXPECT_EQ(m[53] | (m[54] << 8), 300);
}

TEST_F(WriteFixture, ResponseDelayFollowsFirmwareAndVariant) {
  Connected(0, "Tc K", "1300", "-200");
  f.txt_Delay.Text = "1.36";  // 1.16 s above the base: 20 steps of 58 ms
  ASSERT_EQ(WriteEprom(ctx), WriteResult::Written);
  EXPECT_EQ(device.Word(28), 20);
  EXPECT_EQ(s.RitardoRaw, 20);

  device.writes.clear();
  Connected(9, "Tc K", "1300", "-200");
  f.txt_Delay.Text = "1.36";
  f.cmb_Prog_Out[0].Text = "0-10 V";
  f.txt_Output_max[0].Text = "10";
  f.txt_Output_min[0].Text = "0";
  ASSERT_EQ(WriteEprom(ctx), WriteResult::Written);
  EXPECT_EQ(device.Word(28), 10);  // double steps

  device.writes.clear();
  device.firmware = 3;
  Connected(0, "Tc K", "1300", "-200");
  ASSERT_EQ(WriteEprom(ctx), WriteResult::Written);
  EXPECT_EQ(Written().count(28), 0u);
}

// ---------------------------------------------------------------- warnings

TEST_F(WriteFixture, InputAboveTheCatalogueAsksAndOkWritesItAnyway) {
  Connected(0, "Tc K", "1400", "-200");
  dialogs.answers = {Answer::Ok, Answer::Ok};
  ASSERT_EQ(WriteEprom(ctx), WriteResult::Written);
  ASSERT_EQ(dialogs.boxes.size(), 2u);  // channel B carries A's range on this model
  EXPECT_EQ(dialogs.boxes[0].text, "Channel A: input value (MAX) exceeds limits");
  EXPECT_EQ(dialogs.boxes[1].text, "Channel B: input value (MAX) exceeds limits");
  EXPECT_EQ(dialogs.boxes[0].buttons, Buttons::OkCancel);
  auto m = Written();
  EXPECT_EQ(m[20], 0xB0);
  EXPECT_EQ(m[21], 0x36);
}

TEST_F(WriteFixture, TagsCombineInOneMessage) {
  Connected(2, "Tc K", "1350", "1300");
  f.txt_Output_max[1].Text = "25";
  f.txt_Output_min[1].Text = "3";
  dialogs.answers = {Answer::Ok, Answer::Ok, Answer::Ok};
  ASSERT_EQ(WriteEprom(ctx), WriteResult::Written);
  EXPECT_EQ(Texts(), (std::vector<std::string>{"Channel A: input value (MAX) (SPAN) exceeds limits",
                                               "Channel B: input value (MAX) (SPAN) exceeds limits",
                                               "Channel B: output value (MAX) (MIN) exceeds limits"}));
}

TEST_F(WriteFixture, ItalianTextsAndTheBrandTitle) {
  s.Lingua = 0;
  s.OffLingua = 0;
  Connected(2, "Tc K", "1300", "-200");
  f.txt_offset[1].Text = "-12.6";
  ASSERT_EQ(WriteEprom(ctx), WriteResult::Cancelled);
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].text, "Channel B: Offset CJC oltre i limiti");
  EXPECT_EQ(dialogs.boxes[0].caption, TitoloApplicazione(s));
}

TEST_F(WriteFixture, CancelAtAnyWarningSendsNothing) {
  Connected(0, "Tc K", "1300", "-200");
  f.txt_offset[0].Text = "-12.6";
  ASSERT_EQ(WriteEprom(ctx), WriteResult::Cancelled);
  EXPECT_EQ(Texts(), std::vector<std::string>{"Channel A: CJC Offset exceeds limits"});
  EXPECT_EQ(transport.Count("$W"), 0);

  dialogs.boxes.clear();
  f.txt_offset[0].Text = "0";
  f.txt_soglia_H[0].Text = "1400";
  f.txt_soglia_L[0].Text = "-250";
  f.txt_soglia_Delay[0].Text = "300";
  ASSERT_EQ(WriteEprom(ctx), WriteResult::Cancelled);
  EXPECT_EQ(Texts(), std::vector<std::string>{"Channel A: Trips (Hi>1300) (Lo<-200) (Delay) exceeds limits"});
  EXPECT_EQ(transport.Count("$W"), 0);
}

TEST_F(WriteFixture, TripDifferenceAndFahrenheitLimits) {
  Connected(0, "Tc K", "2372", "-328");
  s.GradiF = {true, true};
  f.txt_soglia_H[0].Text = "500";
  f.txt_soglia_L[0].Text = "499";  // 1 °F apart, less than 1 °C
  ASSERT_EQ(WriteEprom(ctx), WriteResult::Cancelled);
  EXPECT_EQ(Texts(), std::vector<std::string>{"Channel A: Trips (Diff<1.8) exceeds limits"});
}

// ---------------------------------------------------------------- refusals

TEST_F(WriteFixture, AnExchangedDeviceIsRefusedAndTheReadIdentityKept) {
  Connected(0, "Tc K", "1300", "-200");
  device.variant = 3;
  device.firmware = 9;
  ASSERT_EQ(WriteEprom(ctx), WriteResult::Refused);
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  EXPECT_EQ(dialogs.boxes[0].text, "Device Changed");
  EXPECT_EQ(dialogs.boxes[0].buttons, Buttons::Ok);
  EXPECT_EQ(dialogs.boxes[0].icon, Icon::None);
  EXPECT_EQ(s.CodVariante, 0);
  EXPECT_EQ(s.VerSw, 4);
  EXPECT_EQ(transport.Count("$W"), 0);
}

TEST_F(WriteFixture, FamilyElevenIsWrittenOtherFamiliesRefused) {
  Connected(0, "Tc K", "1300", "-200");
  device.product = 11;
  s.CodProdotto = 11;
  EXPECT_EQ(WriteEprom(ctx), WriteResult::Written);
  EXPECT_EQ(device.Word(20), 13000);  // catalogue decimals, as on family 12

  device.writes.clear();
  device.product = 13;
  s.CodProdotto = 13;
  w.communication.Caption = "GN - main";
  ASSERT_EQ(WriteEprom(ctx), WriteResult::Refused);
  EXPECT_EQ(dialogs.boxes.back().text, "Device not compatible with this software version");
  EXPECT_EQ(dialogs.boxes.back().icon, Icon::Error);
  EXPECT_EQ(dialogs.boxes.back().caption, "GN - main");
  EXPECT_TRUE(device.writes.empty());
}

TEST_F(WriteFixture, SharedColdJunctionRuleOfVariantTwo) {
  Connected(2, "Tc K", "1300", "-200");
  f.cmb_Prog_In[0].Text = "200 mV";
  ASSERT_EQ(WriteEprom(ctx), WriteResult::Refused);
  EXPECT_EQ(Texts(), std::vector<std::string>{
                         "Wrong configuration: Channel A input must be a Thermocouple with Internal CJC"});
  EXPECT_EQ(dialogs.boxes[0].icon, Icon::Error);
  EXPECT_EQ(transport.Count("$W"), 0);

  // External compensation on channel B needs nothing of channel A.
  f.opt_CJC[3].Value = false;
  f.opt_CJC[2].Value = true;
  f.txt_Input_max[0].Text = "200";
  f.txt_Input_min[0].Text = "0";
  EXPECT_EQ(WriteEprom(ctx), WriteResult::Written);
}

TEST_F(WriteFixture, FailedReadOfThePreservedBitSendsNothing) {
  Connected(3, "Pt 100", "100", "0");
  device.silentReads = true;
  ASSERT_EQ(WriteEprom(ctx), WriteResult::CommFailure);
  EXPECT_EQ(dialogs.boxes.back().text, "Error: check configuration data");
  EXPECT_EQ(dialogs.boxes.back().icon, Icon::Error);
  EXPECT_EQ(transport.Count("$W"), 0);
}

TEST_F(WriteFixture, ValuesThatDoNotFitTheirFieldAreRefusedNotWrapped) {
  Connected(0, "Tc K", "4000", "-200");  // 40000 tenths: beyond a signed word
  dialogs.answers = {Answer::Ok, Answer::Ok};
  ASSERT_EQ(WriteEprom(ctx), WriteResult::Refused);
  EXPECT_EQ(dialogs.boxes.back().text,
            "Channel A: input value: 4000 cannot be stored in the device (it holds -3276.8 to 3276.7)");
  EXPECT_EQ(transport.Count("$W"), 0);

  dialogs.boxes.clear();
  Connected(0, "Tc K", "1300", "-200");
  f.txt_offset[0].Text = "20";
  dialogs.answers = {Answer::Ok};
  ASSERT_EQ(WriteEprom(ctx), WriteResult::Refused);
  EXPECT_EQ(dialogs.boxes.back().text,
            "Channel A: CJC Offset: 20 cannot be stored in the device (it holds -12.8 to 12.7)");

  dialogs.boxes.clear();
  f.txt_offset[0].Text = "0";
  f.txt_soglia_Delay[0].Text = "40";  // 300 steps: no byte holds that
  ASSERT_EQ(WriteEprom(ctx), WriteResult::Refused);
  EXPECT_EQ(dialogs.boxes.back().text,
            "Channel A: Trips (Delay): 40 cannot be stored in the device (it holds 0 to 34)");
  EXPECT_EQ(transport.Count("$W"), 0);
}

TEST_F(WriteFixture, CommunicationErrorWhileWritingIsReported) {
  Connected(0, "Tc K", "1300", "-200");
  transport.responder = [this, inner = transport.responder](ScriptedTransport& t, const std::string& fr) {
    if (fr.rfind("$W", 0) == 0 && device.writes.size() == 3) t.failWrites = true;
    inner(t, fr);
  };
  EXPECT_EQ(WriteEprom(ctx), WriteResult::Interrupted);
  EXPECT_EQ(s.ErroreCom, 1);
}

TEST_F(WriteFixture, RunningMeasurementIsStoppedFirst) {
  Connected(0, "Tc K", "1300", "-200");
  s.InMisura = true;
  ASSERT_EQ(WriteEprom(ctx), WriteResult::Written);
  EXPECT_FALSE(s.InMisura);
}
