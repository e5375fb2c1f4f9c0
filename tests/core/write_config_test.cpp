// Writing against a scripted converter: the bytes that land at each address
// (checked against the memory map written out here), the warnings with their
// exact texts, and that every refusal sends nothing.
#include <gtest/gtest.h>

#include <map>

#include "app/context.h"
#include "app/numbers.h"
#include "app/texts.h"
#include "config/program_window.h"
#include "config/write_config.h"
#include "link/codecs.h"
#include "link/protocol.h"
#include "support/scripted_dialogs.h"
#include "support/scripted_transport.h"

using namespace korventa;
using test::ScriptedTransport;

namespace {

using Texts = std::vector<std::string>;

struct WriteFixture : ::testing::Test {
  ProgramState s;
  Windows w;
  ScriptedTransport transport;
  test::ScriptedDialogs dialogs;
  BusyObserver busy;
  Link link{s, transport, dialogs, busy};
  Context ctx{s, w, link, dialogs};
  FrmProgram& f = w.frm_program;
  // The converter: identity, memory, and every "$W" in order.
  std::array<std::uint8_t, 256> mem{};
  int variant = 0, firmware = 4, product = 12;
  bool silentReads = false;
  std::vector<std::pair<int, int>> writes;

  void SetUp() override {
    s.Lingua = 1;
    s.OffLingua = 300;
    transport.responder = [this](ScriptedTransport& t, const std::string& fr) {
      const auto a = static_cast<std::uint8_t>(fr.size() > 3 ? fr[3] : 0);
      if (fr == protocol::FrameEnterProgram()) t.Deliver("OK\r\n", 0.002);
      auto bytes = [](std::initializer_list<int> b) { return std::string(b.begin(), b.end()); };
      if (fr.rfind("$R", 0) == 0 && !silentReads) t.Deliver(test::Reply(bytes({0, a, mem[a]})), 0.002);
      if (fr.rfind("$V", 0) == 0) t.Deliver(test::Reply(bytes({variant, firmware, 0, product})), 0.002);
      if (fr.rfind("$W", 0) == 0) writes.emplace_back(a, mem[a] = static_cast<std::uint8_t>(fr[4]));
    };
  }

  // The device that was read: both channels hold a sane configuration.
  void Connected(int v, const std::string& input, const std::string& max, const std::string& min) {
    variant = v;
    s.CodProdotto = 12;
    s.CodVariante = static_cast<std::uint8_t>(v);
    s.VerSw = static_cast<std::uint8_t>(firmware);
    for (std::size_t ch = 0; ch < 2; ++ch) {
      f.cmb_Prog_In[ch].Text = input;
      f.txt_Input_max[ch].Text = max;
      f.txt_Input_min[ch].Text = min;
      f.cmb_Prog_Out[ch].Text = "4-20 mA";
      f.txt_Output_max[ch].Text = "20";
      f.txt_Output_min[ch].Text = "4";
      SelezionaOpzione(Gruppo(f.opt_CJC, 2 * ch, 2), 1);
      SelezionaOpzione(Gruppo(f.opt_Fili, 3 * ch, 3), 0);
      SelezionaOpzione(Gruppo(f.opt_funz, 3 * ch, 3), 0);
      SelezionaOpzione(Gruppo(f.opt_Break, 2 * ch, 2), 0);
      SelezionaOpzione(Gruppo(f.optTrip, 2 * ch, 2), 0);
      SelezionaOpzione(Gruppo(f.optRele, 2 * ch, 2), 0);
      f.cmb_OverRange[ch].Text = "±0%";
      f.cmb_OverRange[ch].ListIndex = 0;
      f.txt_offset[ch].Text = "0";
      f.txt_soglia_H[ch].Text = "100";
      f.txt_soglia_L[ch].Text = "50";
      f.txt_soglia_Delay[ch].Text = "1";
    }
    f.txt_Delay.Text = "0.2";
    s.GradiF = {false, false};
    writes.clear();
    dialogs.boxes.clear();
  }
  Texts Asked() const {
    Texts t;
    for (const auto& b : dialogs.boxes) t.push_back(b.text);
    return t;
  }
  int Word(int a) const { return static_cast<int>(JoinWord(mem[a + 1], mem[a], true)); }
  double Float(int a) const { return DecodeFloat(mem[a + 1], mem[a], mem[a + 2]); }
};

}  // namespace

TEST_F(WriteFixture, TripModelEncoding) {
  Connected(0, "Tc K", "1300", "-200");
  f.txt_offset[0].Text = "-12.5";
  f.txt_soglia_Delay[0].Text = "2";
  f.txt_Delay.Text = "1.36";  // 20 steps of 58 ms above 0.2 s
  f.opt_Break[1].Value = f.optRele[1].Value = f.chk_HS.Value = f.optTrip[1].Value = true;
  f.opt_Break[0].Value = f.optRele[0].Value = f.optTrip[0].Value = false;
  f.opt_funz[0].Value = false;
  f.opt_funz[2].Value = true;
  f.opt_Fili[0].Value = false;
  f.opt_Fili[2].Value = true;
  f.cmb_OverRange[0].Text = "±5.0%";
  f.cmb_OverRange[1].Text = "±2.5%";
  ASSERT_EQ(WriteEprom(ctx), WriteResult::Written);
  EXPECT_TRUE(dialogs.boxes.empty());
  EXPECT_EQ((std::array<int, 4>{mem[20], mem[21], mem[22], mem[23]}),
            (std::array<int, 4>{0xC8, 0x32, 0x30, 0xF8}));
  EXPECT_EQ(Word(24), 20000);
  EXPECT_EQ(Word(26), 4000);
  EXPECT_EQ(mem[1], 8);  // single input: the code goes to both channels
  EXPECT_EQ(mem[3], 128 | 64 | 2);
  EXPECT_EQ(mem[4], 1 | 8 | 16 | 64 | 128);
  EXPECT_EQ(mem[7], 131);
  EXPECT_EQ(mem[8], 15);
  EXPECT_EQ(mem[9], 2 + 4 * 1);
  EXPECT_EQ(Word(28), 20);
  EXPECT_NEAR(Float(10), 100, 0.01);
  EXPECT_NEAR(Float(13), 50, 0.01);
  EXPECT_TRUE(f.opt_Fili[5].Value);  // channel B follows A's wiring
  EXPECT_EQ(s.Canali[0].DecIn, 1);
  // The trips overlap channel B's block and must be sent after it.
  auto at = [&](int a) {
    return std::find_if(writes.begin(), writes.end(), [a](auto p) { return p.first == a; });
  };
  EXPECT_LT(at(12), at(10));

  firmware = 3;  // no response delay before firmware 4
  Connected(0, "Tc K", "1300", "-200");
  ASSERT_EQ(WriteEprom(ctx), WriteResult::Written);
  EXPECT_EQ(at(28), writes.end());
}

TEST_F(WriteFixture, ModelsWithoutTrips) {
  Connected(3, "Pt 100", "100", "0");  // bit 6 of the output bytes is the device's
  mem[4] = 0x40 | 3;
  ASSERT_EQ(WriteEprom(ctx), WriteResult::Written);
  EXPECT_EQ(mem[4], 64 | 16 | 1);
  EXPECT_EQ(mem[6], 16 | 1);

  Connected(1, "Tc K", "1300", "-200");  // kept bit 6 and trip MIN: bit 6 once, no carry
  mem[4] = 0x40;
  f.optTrip[1].Value = true;
  f.optTrip[0].Value = false;
  ASSERT_EQ(WriteEprom(ctx), WriteResult::Written);
  EXPECT_EQ(mem[4], 64 | 16 | 1);

  Connected(2, "Tc J", "500", "0");  // doubler: channel B takes A's input and options
  f.chk_Doubler.Value = true;
  f.cmb_Prog_In[1].Text = "DOUBLER";
  f.opt_CJC[3].Value = false;
  ASSERT_EQ(WriteEprom(ctx), WriteResult::Written);
  EXPECT_EQ(mem[1], 7);
  EXPECT_EQ(mem[6], 32 | 16 | 1);

  Connected(6, "Res300K", "250", "0");
  ASSERT_EQ(WriteEprom(ctx), WriteResult::Written);
  EXPECT_EQ(mem[0], 18);
  EXPECT_EQ(Word(20), 25000);  // one decimal more than the catalogue's

  Connected(5, "10 V", "10", "0");
  s.Canali[0].Operatore = 2;
  f.txt_Fisico_min[2].Text = "-1.5";
  f.txt_FisicoOut_max[1].Text = "1000";
  w.frm_Oper.txt_Opzione.Text = "1.5";
  ASSERT_EQ(WriteEprom(ctx), WriteResult::Written);
  EXPECT_TRUE(dialogs.boxes.empty());  // 0 V is the "10 V" minimum here
  EXPECT_EQ(mem[3], 2 << 3);
  EXPECT_NEAR(Float(131), -1.5, 0.001);
  EXPECT_NEAR(Float(147), 1000, 0.1);
  EXPECT_EQ(mem[146], 20);
}

TEST_F(WriteFixture, FrequencyModel) {
  for (auto [max, d] : std::vector<std::pair<double, int>>{
           {20000, 0}, {6500.01, 0}, {6500, 1}, {650, 2}, {65, 3}, {6.5, 3}, {0.5, 3}})
    EXPECT_EQ(DecimaliFrequenza(max), d) << max;

  Connected(7, "Freq", "6000", "100");
  f.cmb_Freq_Type.Text = s.TipiFrequenza[6].Nome;  // "Volt" without the 50 Hz filter
  f.txt_aux_freq.Text = "24";
  f.txt_filter.Text = "300";
  f.txt_soglia_H[1].Text = "3000";
  f.txt_soglia_Delay[0].Text = "7";
  // The level a read shows (byte * 0.0278 + 0.122) goes back to its byte.
  for (int b = 0; b < 256; ++b) {
    f.txt_Trig.Text = PlainNumber(b * 0.0278 + 0.122);
    ASSERT_EQ(WriteEprom(ctx), WriteResult::Written);
    ASSERT_EQ(mem[64], b) << f.txt_Trig.Text;
  }
  EXPECT_EQ(mem[0], 6);
  EXPECT_EQ(mem[20] | mem[21] << 8, 60000);  // unsigned
  EXPECT_EQ(mem[4] >> 2 & 3, 1);
  EXPECT_EQ(mem[63], 24);
  EXPECT_EQ(mem[53] | mem[54] << 8, 300);
  EXPECT_NEAR(Float(34), 3000, 0.1);
  EXPECT_EQ(mem[8], 7);

  // A Fahrenheit choice left over from a thermocouple read before: the
  // PLV7300 shows no scale, its thresholds stay hertz.
  s.GradiF = {true, true};
  ASSERT_EQ(WriteEprom(ctx), WriteResult::Written);
  EXPECT_NEAR(Float(28), 100, 0.01);
  EXPECT_NEAR(Float(34), 3000, 0.1);
}

TEST_F(WriteFixture, FahrenheitOnlyForTemperatures) {
  Connected(0, "Pt 100", "122", "32");  // 50 °C .. 0 °C: exactly the minimum span
  s.GradiF = {true, true};
  f.txt_offset[0].Text = "1.8";
  ASSERT_EQ(WriteEprom(ctx), WriteResult::Written);
  EXPECT_EQ(Asked(), Texts{});
  EXPECT_EQ(Word(20), 500);
  EXPECT_EQ(mem[7], 10);

  // Channel A in °F on a single-input model: channel B is given A's texts,
  // so they are °F too, though B's own (hidden) choice is still °C. B's
  // offset box is its own, in °C (on this model it lands at 8).
  Connected(8, "Tc J", "2000", "32");
  s.GradiF = {true, false};
  f.txt_offset[1].Text = "-1.5";
  ASSERT_EQ(WriteEprom(ctx), WriteResult::Written);
  EXPECT_EQ(Asked(), Texts{});
  EXPECT_EQ(Word(20), 10933);
  EXPECT_NEAR(s.Canali[1].InMax, 1093.33, 0.01);
  EXPECT_EQ(mem[8], 256 - 15);

  // Switched to °F on a thermocouple, then changed to mV: the boxes hold mV,
  // the trip thresholds too.
  Connected(0, "90 mV", "50", "10");
  s.GradiF = {true, true};
  f.txt_soglia_H[0].Text = "50";
  f.txt_soglia_L[0].Text = "20";
  ASSERT_EQ(WriteEprom(ctx), WriteResult::Written);
  EXPECT_EQ(Asked(), Texts{});
  EXPECT_EQ(Word(20), 5000);
  EXPECT_NEAR(Float(10), 50, 0.01);
  EXPECT_NEAR(Float(13), 20, 0.01);
}

TEST_F(WriteFixture, LimitWarnings) {
  Connected(0, "Tc K", "1400", "-200");
  dialogs.answers = {Answer::Ok, Answer::Ok};
  ASSERT_EQ(WriteEprom(ctx), WriteResult::Written);
  EXPECT_EQ(Asked(),
            (Texts{"Channel A: input value (MAX > 1300) exceeds limits", "Channel B: input value (MAX > 1300) exceeds limits"}));
  EXPECT_EQ(dialogs.boxes[0].buttons, Buttons::OkCancel);
  EXPECT_EQ(dialogs.boxes[0].caption, TitoloApplicazione(s));
  EXPECT_EQ(mem[20], 0xB0);
  EXPECT_EQ(mem[21], 0x36);

  Connected(2, "Tc K", "1350", "1300");
  f.txt_Output_max[1].Text = "25";
  f.txt_Output_min[1].Text = "3";
  dialogs.answers = {Answer::Ok, Answer::Ok, Answer::Cancel};
  EXPECT_EQ(WriteEprom(ctx), WriteResult::Cancelled);
  EXPECT_EQ(Asked(), (Texts{"Channel A: input value (MAX > 1300) (SPAN < 100) exceeds limits",
                            "Channel B: input value (MAX > 1300) (SPAN < 100) exceeds limits",
                            "Channel B: output value (MAX > 20) (MIN < 4) exceeds limits"}));

  Connected(0, "Tc K", "1300", "-200");
  f.txt_offset[0].Text = "-12.6";
  EXPECT_EQ(WriteEprom(ctx), WriteResult::Cancelled);
  EXPECT_EQ(Asked(), Texts{"Channel A: CJC Offset (-12.5 ... 12.5) exceeds limits"});

  Connected(0, "Tc K", "2372", "-328");
  s.GradiF = {true, true};
  f.txt_soglia_H[0].Text = "2400";
  f.txt_soglia_L[0].Text = "2399.5";
  f.txt_soglia_Delay[0].Text = "300";
  EXPECT_EQ(WriteEprom(ctx), WriteResult::Cancelled);
  EXPECT_EQ(Asked(), Texts{"Channel A: Trips (Hi>2372) (Lo>2372) (Diff<1.8) (Delay) exceeds limits"});
  EXPECT_TRUE(writes.empty());

  s.Lingua = 0;
  s.OffLingua = 0;
  Connected(2, "Tc K", "1300", "-200");
  f.txt_offset[1].Text = "-12.6";
  EXPECT_EQ(WriteEprom(ctx), WriteResult::Cancelled);
  EXPECT_EQ(Asked(), Texts{"Canale B: Offset CJC (-12.5 ... 12.5) oltre i limiti"});
  EXPECT_TRUE(writes.empty());
}

TEST_F(WriteFixture, RefusalsSendNothing) {
  Connected(0, "Tc K", "1300", "-200");
  variant = 3;  // another device plugged in since the read
  EXPECT_EQ(WriteEprom(ctx), WriteResult::Refused);
  EXPECT_EQ(Asked(), Texts{"Device Changed"});
  EXPECT_EQ(s.CodVariante, 0);
  EXPECT_TRUE(writes.empty());

  Connected(0, "Tc K", "1300", "-200");
  product = s.CodProdotto = 13;
  EXPECT_EQ(WriteEprom(ctx), WriteResult::Refused);
  EXPECT_EQ(Asked(), Texts{"Device not compatible with this software version"});
  product = s.CodProdotto = 11;  // family 11 is written with the same map
  EXPECT_EQ(WriteEprom(ctx), WriteResult::Written);
  EXPECT_EQ(Word(20), 13000);
  product = 12;

  Connected(2, "Tc K", "1300", "-200");
  f.cmb_Prog_In[0].Text = "200 mV";
  EXPECT_EQ(WriteEprom(ctx), WriteResult::Refused);
  EXPECT_EQ(Asked(), Texts{"Wrong configuration: Channel A input must be a Thermocouple with Internal CJC"});

  Connected(3, "Pt 100", "100", "0");
  silentReads = true;  // the preserved bit cannot be read
  EXPECT_EQ(WriteEprom(ctx), WriteResult::CommFailure);
  EXPECT_EQ(dialogs.boxes.back().text, "Error: check configuration data");
  silentReads = false;

  // Values whose stored form does not fit would wrap to another value.
  Connected(0, "Tc K", "4000", "-200");
  dialogs.answers = {Answer::Ok};
  EXPECT_EQ(WriteEprom(ctx), WriteResult::Refused);
  EXPECT_EQ(dialogs.boxes.back().text,
            "Channel A: input value: 4000 cannot be stored in the device (it holds -3276.8 to 3276.7)");
  Connected(0, "Tc K", "1300", "-200");
  f.txt_soglia_Delay[0].Text = "40";
  EXPECT_EQ(WriteEprom(ctx), WriteResult::Refused);
  EXPECT_EQ(Asked(), Texts{"Channel A: Trips (Delay): 40 cannot be stored in the device (it holds 0 to 34)"});
  EXPECT_TRUE(writes.empty());
  for (const auto& b : dialogs.boxes) EXPECT_EQ(b.icon, Icon::Error);
}

TEST_F(WriteFixture, AWriteCutShortIsInterrupted) {
  Connected(0, "Tc K", "1300", "-200");
  auto device = transport.responder;
  transport.responder = [&](ScriptedTransport& t, const std::string& fr) {
    device(t, fr);
    if (writes.size() == 3) t.failWrites = true;
  };
  EXPECT_EQ(WriteEprom(ctx), WriteResult::Interrupted);
}

// Variant 6 with channel A in °F and channel B in °C: each channel's range
// and offset are converted by the scale that channel shows, and channel B
// keeps showing °C afterwards.
TEST_F(WriteFixture, EachChannelIsConvertedByItsOwnScale) {
  Connected(6, "KTY81-220", "212", "32");
  s.GradiF = {true, false};
  f.txt_Input_max[1].Text = "40";
  f.txt_Input_min[1].Text = "-30";
  f.txt_offset[1].Text = "1.0";
  ASSERT_EQ(WriteEprom(ctx), WriteResult::Written) << (Asked().empty() ? "" : Asked()[0]);
  EXPECT_DOUBLE_EQ(s.Canali[0].InMax, 100);  // 212 °F
  EXPECT_DOUBLE_EQ(s.Canali[1].InMax, 40);
  EXPECT_DOUBLE_EQ(s.Canali[1].InMin, -30);
  EXPECT_EQ(mem[8], 10);
  EXPECT_FALSE(s.GradiF[1]);
}
