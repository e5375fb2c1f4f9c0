// The instrument layer: packet and command building, the connection rule,
// waits that end, manual mode, and every instrument against its simulated
// twin in-process.
#include <gtest/gtest.h>

#include <map>

#include "instruments/strumenti.h"
#include "sim/bench/bench.h"
#include "sim/identity.h"
#include "support/scripted_dialogs.h"
#include "support/scripted_transport.h"

namespace korventa {
namespace {

using sim::BenchRole;

TEST(StrumentiPackets, CalibratorValuesChecksAndRelayStrings) {
  using B = std::array<std::uint8_t, 4>;
  EXPECT_EQ(ByteValoreCal(-1), (B{255, 255, 255, 255}));
  EXPECT_EQ(ByteValoreCal(1000), (B{0, 0, 3, 232}));
  EXPECT_EQ(ByteValoreCal(-2000), (B{255, 255, 248, 48}));
  EXPECT_EQ(PacchettoCal(1, 128, {8, 1, 0, 192})[6], 73);

  using V = std::vector<std::string>;
  EXPECT_EQ(ComandiSwitch("109A110A111C112C"),
            (V{"rout:open (@109)", "rout:open (@110)", "rout:close (@111)", "rout:close (@112)"}));
  EXPECT_EQ(ComandiSwitch("101A102103C"), (V{"rout:open (@101)", "rout:close (@103)"}));
  EXPECT_TRUE(ComandiSwitch("").empty());
}

TEST(StrumentiSelectors, ConnectionRuleAndPortNames) {
  EXPECT_EQ(ModoConnessione(Ruolo::Mult, "Usb2"), Connessione::Usb);
  EXPECT_EQ(ModoConnessione(Ruolo::Alim, "Usb2"), Connessione::Com);
  EXPECT_EQ(PortaDaSelettore("Usb2"), "COM2");
  EXPECT_EQ(ModoConnessione(Ruolo::Mult, "Manuale"), Connessione::Manuale);
  EXPECT_EQ(ModoConnessione(Ruolo::Mult, "xyz"), Connessione::Nessuna);
  EXPECT_EQ(ModoConnessione(Ruolo::Mult, "/dev/ttyUSB2"), Connessione::Com);
  EXPECT_EQ(ModoConnessione(Ruolo::Mult, "TCPIP0::10.0.0.5::5025::SOCKET"), Connessione::Usb);
  EXPECT_EQ(ModoConnessione(Ruolo::Cal, "Manual"), Connessione::Com);
  EXPECT_EQ(PortaDaSelettore("Com6"), "COM6");
  EXPECT_EQ(PortaDaSelettore("/dev/ttyUSB2"), "/dev/ttyUSB2");
  EXPECT_EQ(LineaDi(Ruolo::Alim).baud, 2400);
  EXPECT_EQ(LineaDi(Ruolo::Cal).baud, 9600);

  auto tcp = RisorsaSocket("TCPIP0::127.0.0.1::5025::SOCKET");
  ASSERT_TRUE(tcp);
  EXPECT_EQ(tcp->host, "127.0.0.1");
  EXPECT_EQ(tcp->port, 5025);
  for (const char* bad : {"TCPIP0::host::0::SOCKET", "TCPIP0::host::5025::INSTR", "USB0::1::2", "/dev/usbtmc0"})
    EXPECT_FALSE(RisorsaSocket(bad)) << bad;
}

class MapSettings : public Impostazioni {
 public:
  std::map<std::string, std::string> values;
  std::optional<std::string> Leggi(const std::string& k) const override {
    auto it = values.find(k);
    if (it == values.end()) return std::nullopt;
    return it->second;
  }
  void Scrivi(const std::string& k, const std::string& v) override { values[k] = v; }
};

TEST(StrumentiSelectors, KeptBetweenRunsAndDefaultsWhereNothingIsStored) {
  MapSettings settings;
  SelettoriStrumenti a;
  a.txt_comCal = "/dev/ttyUSB2";
  a.txt_comMult = "Usb1";
  a.risorsaUsb = "TCPIP0::bench::5025::SOCKET";
  SalvaSelettori(a, settings);
  SelettoriStrumenti b;
  CaricaSelettori(b, settings);
  EXPECT_EQ(b.txt_comCal, "/dev/ttyUSB2");
  EXPECT_EQ(b.txt_comMult, "Usb1");
  EXPECT_EQ(b.risorsaUsb, "TCPIP0::bench::5025::SOCKET");
  SelettoriStrumenti c;
  CaricaSelettori(c, MapSettings{});
  EXPECT_EQ(c.txt_comAlim, "Com4");
}

// The instrument layer over the in-process bench, with every role on the
// port its default selector names.
struct BenchFixture : ::testing::Test {
  BenchFixture()
      : bench(*sim::IdentityForModel("PLV7100")),
        ports(bench.Ports({{"COM4", BenchRole::Supply},
                           {"COM5", BenchRole::Switch},
                           {"COM3", BenchRole::Mult},
                           {"COM2", BenchRole::Mult1},
                           {"COM6", BenchRole::Cal}})),
        usb(bench.Channels({{"/dev/usbtmc0", BenchRole::Mult}})),
        strumenti(state, sel, *ports, *usb, dialogs) {}

  ProgramState state;
  SelettoriStrumenti sel;
  sim::VirtualBench bench;
  std::unique_ptr<PortFactory> ports;
  std::unique_ptr<InstrumentIoFactory> usb;
  test::ScriptedDialogs dialogs;
  Strumenti strumenti;
};

TEST_F(BenchFixture, EachInstrumentDoesWhatItIsTold) {
  ASSERT_TRUE(strumenti.ApriPorte()) << strumenti.Errore();
  ASSERT_TRUE(strumenti.ImpostaCal(-1500));
  EXPECT_EQ(bench.State().calValue, -1500);
  const auto t = strumenti.LeggiTempAmbiente();
  ASSERT_TRUE(t) << strumenti.Errore();
  EXPECT_DOUBLE_EQ(*t, 23.4);
  EXPECT_FALSE(bench.State().calRemote);  // remote only for the reading

  ASSERT_TRUE(strumenti.ImpostaSwitch("101C102C103A"));
  EXPECT_EQ(bench.State().closed, (std::set<int>{101, 102}));

  ASSERT_TRUE(strumenti.ImpostaMult(0, "REM", "CURR"));
  EXPECT_EQ(bench.State().multFunction[0], "CURR");
  EXPECT_TRUE(bench.State().multRemote[0]);
  ASSERT_TRUE(strumenti.BeepMult());
  EXPECT_EQ(bench.State().beeps, 1);

  ASSERT_TRUE(strumenti.cmd_On());
  EXPECT_TRUE(bench.State().supplyOn);
  EXPECT_DOUBLE_EQ(bench.State().supplyVolts, 24.0);
  EXPECT_DOUBLE_EQ(strumenti.LeggiCorrAlim(), 24.0);  // 23.5 mA, shown to the milliampere
  ASSERT_TRUE(strumenti.cmd_Off());
  EXPECT_FALSE(bench.State().supplyOn);
}

TEST_F(BenchFixture, UsbMultimeterSpeaksItsOwnDialect) {
  sel.txt_comMult = "Usb1";
  ASSERT_TRUE(strumenti.ImpostaMult(0, "REM", "CURR")) << strumenti.Errore();
  EXPECT_EQ(bench.State().multFunction[0], "CURR");
  EXPECT_FALSE(bench.State().multRemote[0]);  // the mode is not sent over USB
  EXPECT_TRUE(strumenti.LeggiMult(0).has_value()) << strumenti.Errore();
}

TEST_F(BenchFixture, SilentInstrumentsFailByRoleAndPortWithoutAReading) {
  for (BenchRole r : {BenchRole::Cal, BenchRole::Mult, BenchRole::Supply}) bench.State().off.insert(r);
  EXPECT_FALSE(strumenti.ImpostaCal(1000));
  EXPECT_EQ(strumenti.Errore(),
            "Il calibratore (Cal, Com6) non risponde. Controllare che sia acceso e collegato.");
  EXPECT_FALSE(strumenti.LeggiTempAmbiente());
  EXPECT_FALSE(strumenti.LeggiMult(0));
  EXPECT_NE(strumenti.Errore().find("multimetro (Mult, Com3"), std::string::npos);
  EXPECT_EQ(strumenti.LeggiCorrAlim(), -1);
  EXPECT_NE(strumenti.Errore().find("alimentatore (Alim, Com4"), std::string::npos);

  sel.txt_comMult = "Usb1";
  EXPECT_FALSE(strumenti.LeggiMult(0));
  EXPECT_NE(strumenti.Errore().find("Usb1 = /dev/usbtmc0"), std::string::npos);

  state.Lingua = 1;
  state.OffLingua = 300;
  sel.txt_comCal = "Com7";  // nothing there
  EXPECT_FALSE(strumenti.ImpostaCal(0));
  EXPECT_NE(strumenti.Errore().find("The calibrator (Cal, Com7)"), std::string::npos);
}

TEST_F(BenchFixture, PowerSupplyAtTheWrongSpeedIsSilent) {
  // The supply talks at 2400 baud only; the selector's port is opened at it.
  auto wrong = ports->MakePort("COM4", kDeviceLine);
  std::string e;
  ASSERT_TRUE(wrong->Open(e));
  const std::string a = "A\r";
  wrong->Write({reinterpret_cast<const std::uint8_t*>(a.data()), a.size()});
  std::vector<std::uint8_t> got;
  wrong->ReadAll(got);
  EXPECT_TRUE(got.empty());
  EXPECT_TRUE(strumenti.ImpostaAlim(true, "20.00"));
  EXPECT_DOUBLE_EQ(strumenti.LeggiCorrAlim(), 26.0);
}

TEST_F(BenchFixture, ManualModeAsksWithTheExactPrompts) {
  for (Ruolo r : {Ruolo::Alim, Ruolo::Switch, Ruolo::Mult, Ruolo::Cal}) sel.Testo(r) = "Manuale";
  dialogs.inputs = {std::string("21.5"), std::string("1.25"), std::string("17"), std::string("abc"), std::nullopt};
  EXPECT_TRUE(strumenti.ImpostaCal(50000));
  EXPECT_TRUE(strumenti.ImpostaMult(0, "REM", "VOLT"));
  EXPECT_TRUE(strumenti.ImpostaSwitch("101A102C"));
  EXPECT_TRUE(strumenti.ImpostaAlim(true, "24.00"));
  EXPECT_TRUE(strumenti.cmd_Off());
  EXPECT_EQ(strumenti.LeggiTempAmbiente(), 21.5);
  EXPECT_EQ(strumenti.LeggiMult(0), 1250);
  EXPECT_EQ(strumenti.LeggiCorrAlim(), 17);
  EXPECT_FALSE(strumenti.LeggiMult(0));  // "abc" is no reading
  EXPECT_EQ(strumenti.LeggiCorrAlim(), -1);  // cancelled
  std::vector<std::string> texts;
  for (const auto& b : dialogs.boxes) texts.push_back(b.text);
  EXPECT_EQ(texts, (std::vector<std::string>{"Cal = 50000", "Mult = VOLT", "Switch = 101A102C",
                                             "Alim = True Volt = 24.00", "Togliere Alimentazione"}));
}

// A port factory handing out one scripted port.
struct OnePort : PortFactory {
  test::ScriptedTransport* last = nullptr;
  test::ScriptedTransport::Responder responder;
  std::unique_ptr<Transport> MakePort(const std::string& name, const LineSettings&) override {
    auto t = std::make_unique<test::ScriptedTransport>();
    t->SetPort(name);
    t->responder = responder;
    last = t.get();
    return t;
  }
};

TEST(StrumentiReplies, ShortSupplyAnswerAndNonNumericMultimeterFail) {
  ProgramState state;
  SelettoriStrumenti sel;
  OnePort ports;
  test::ScriptedDialogs dialogs;
  sim::VirtualBench bench(*sim::IdentityForModel("PLV7100"));
  auto usb = bench.Channels({});
  Strumenti strumenti(state, sel, ports, *usb, dialogs);

  // Seven characters, then nothing more: after a second the reading is -1.
  ports.responder = [](test::ScriptedTransport& t, const std::string&) { t.Deliver("I0.024A", 0.1); };
  EXPECT_EQ(strumenti.LeggiCorrAlim(), -1);
  EXPECT_GE(ports.last->ElapsedSeconds(), 1.5);
  // The rest arriving in time completes it.
  ports.responder = [](test::ScriptedTransport& t, const std::string&) {
    t.Deliver("I0.02", 0.1);
    t.Deliver("4A\r\n", 0.9);
  };
  strumenti.ChiudiPorta(Ruolo::Alim);
  EXPECT_EQ(strumenti.LeggiCorrAlim(), 24);

  ports.responder = [](test::ScriptedTransport& t, const std::string& f) {
    if (f == ":READ?\r\n") t.Deliver("OVLD\r\n", 0.2);
  };
  EXPECT_FALSE(strumenti.LeggiMult(0));
  EXPECT_NE(strumenti.Errore().find("\"OVLD\""), std::string::npos);
  ports.responder = [](test::ScriptedTransport& t, const std::string& f) {
    if (f == ":READ?\r\n") t.Deliver("+4.00213000E-03\r\n", 0.2);
  };
  strumenti.ChiudiPorta(Ruolo::Mult);
  EXPECT_NEAR(*strumenti.LeggiMult(0), 4.00213, 1e-9);

  // A port that fails is closed, and the next operation opens it again.
  ports.responder = nullptr;
  ASSERT_TRUE(strumenti.ImpostaSwitch("101C"));
  ports.last->failWrites = true;
  EXPECT_FALSE(strumenti.ImpostaSwitch("101A"));
  EXPECT_EQ(strumenti.Errore(), "L'unità switch (Switch, Com5): la porta non accetta i dati.");
  EXPECT_FALSE(ports.last->open);
  ports.last->failWrites = false;
  EXPECT_TRUE(strumenti.ImpostaSwitch("101A"));
  EXPECT_EQ(ports.last->written.back(), "rout:open (@101)\r\n");
}

}  // namespace
}  // namespace korventa
