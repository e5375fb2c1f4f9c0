// The instrument layer with its real transports (QSerialPort, the TCP
// socket channel) against the simulated bench on pseudo-terminals and on
// 127.0.0.1; the USBTMC channel against a FIFO.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QTimer>

#include <chrono>
#include <fstream>
#include <thread>

#include "instruments/strumenti.h"
#include "qt/link/instrument_channels.h"
#include "qt/link/serial_transport.h"
#include "sim/bench/bench_server.h"
#include "sim/identity.h"
#include "support/files.h"
#include "support/scripted_dialogs.h"

namespace korventa {
namespace {

using sim::BenchRole;

class BenchOverPty : public ::testing::Test {
 protected:
  BenchOverPty() : bench(*sim::IdentityForModel("PLV7100")), server(bench) {}

  void Start() {
    std::string error;
    ASSERT_TRUE(server.Open(0, error)) << error;
    const auto& p = server.Paths();
    sel.txt_comAlim = p.at(BenchRole::Supply);
    sel.txt_comSwitch = p.at(BenchRole::Switch);
    sel.txt_comMult = p.at(BenchRole::Mult);
    sel.txt_comMult1 = p.at(BenchRole::Mult1);
    sel.txt_comCal = p.at(BenchRole::Cal);
    sel.risorsaUsb = "TCPIP0::127.0.0.1::" + std::to_string(server.TcpPort()) + "::SOCKET";
    thread = std::thread([this] { server.Run(); });
  }
  // Stops the server; its state may be read afterwards.
  void Stop() {
    if (thread.joinable()) {
      server.Stop();
      thread.join();
    }
  }
  ~BenchOverPty() override { Stop(); }

  ProgramState state;
  SelettoriStrumenti sel;
  test::ScriptedDialogs dialogs;
  sim::VirtualBench bench;
  sim::BenchServer server;
  qt::SerialPortFactory ports{qt::WaitMode::Blocking};
  qt::InstrumentChannelFactory channels{qt::WaitMode::Blocking};
  Strumenti strumenti{state, sel, ports, channels, dialogs};
  std::thread thread;
};

TEST_F(BenchOverPty, EveryInstrumentAnswersThroughTheSerialTransport) {
  Start();
  ASSERT_TRUE(strumenti.ApriPorte()) << strumenti.Errore();
  EXPECT_TRUE(strumenti.ImpostaCal(-1));
  const auto t = strumenti.LeggiTempAmbiente();
  ASSERT_TRUE(t) << strumenti.Errore();
  EXPECT_DOUBLE_EQ(*t, 23.4);
  EXPECT_TRUE(strumenti.ImpostaSwitch("109A110A111C112C"));
  EXPECT_TRUE(strumenti.ImpostaMult(1, "REM", "CURR"));
  const auto reading = strumenti.LeggiMult(1);
  ASSERT_TRUE(reading) << strumenti.Errore();
  EXPECT_EQ(*reading, 0);  // no converter on this bench
  EXPECT_TRUE(strumenti.BeepMult());
  EXPECT_TRUE(strumenti.ImpostaAlim(true, "30.00"));
  EXPECT_DOUBLE_EQ(strumenti.LeggiCorrAlim(), 21.0);
  Stop();
  EXPECT_EQ(bench.State().calValue, -1);
  EXPECT_EQ(bench.State().closed, (std::set<int>{111, 112}));
  EXPECT_EQ(bench.State().multFunction[1], "CURR");
  EXPECT_EQ(bench.State().beeps, 1);
  EXPECT_TRUE(bench.State().supplyOn);
}

TEST_F(BenchOverPty, FunctionGeneratorOverTcp) {
  Start();
  auto io = strumenti.ApriCanaleUsb();
  ASSERT_TRUE(io) << strumenti.Errore();
  std::string error;
  for (const char* c : {"*RST", "FUNCtion SQUARE", "VOLTage 5", "FREQuency 1234.5", "OUTPut ON", "FREQ?"})
    ASSERT_TRUE(io->WriteString(c, error)) << error;
  const auto reply = io->ReadString(error);
  ASSERT_TRUE(reply) << error;
  EXPECT_EQ(NumeroDaTesto(*reply), 1234.5);
  io->Close();
  Stop();
  EXPECT_TRUE(bench.State().genOutput);
  EXPECT_EQ(bench.State().genFunction, "SQUARE");
}

TEST_F(BenchOverPty, SwitchedOffInstrumentsFailNamingRoleAndPort) {
  bench.State().off = {BenchRole::Cal, BenchRole::Generator};
  Start();
  EXPECT_FALSE(strumenti.ImpostaCal(1000));
  EXPECT_EQ(strumenti.Errore(), "Il calibratore (Cal, " + sel.txt_comCal +
                                    ") non risponde. Controllare che sia acceso e collegato.");
  sel.txt_comMult = "Usb1";
  EXPECT_FALSE(strumenti.LeggiMult(0));
  EXPECT_NE(strumenti.Errore().find("(Mult, Usb1 = TCPIP0::127.0.0.1::"), std::string::npos) << strumenti.Errore();
  sel.txt_comAlim = "/dev/korventa-no-such-port";
  EXPECT_EQ(strumenti.LeggiCorrAlim(), -1);
  EXPECT_NE(strumenti.Errore().find("/dev/korventa-no-such-port"), std::string::npos);
}

// A USB instrument answers through a read that blocks in the kernel: in the
// desktop program the windows go on repainting meanwhile. A FIFO stands in
// for the device file, its answer written 300 ms after the read began.
TEST(UsbtmcChannel, ReadKeepsTheEventLoopTurning) {
  const test::TempDir dir("usbtmc");
  const std::string path = dir / "usbtmc0";
  ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
  qt::InstrumentChannelFactory channels{qt::WaitMode::EventLoop};
  std::string error;
  auto io = channels.Make(path, error);
  ASSERT_TRUE(io && io->Open(error)) << error;
  int turns = 0;
  QTimer tick;
  QObject::connect(&tick, &QTimer::timeout, [&turns] { ++turns; });
  tick.start(10);
  std::thread answer([&path] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    std::ofstream(path) << "1.25\n";
  });
  const auto reply = io->ReadString(error);
  answer.join();
  EXPECT_EQ(reply.value_or(error), "1.25");
  EXPECT_GT(turns, 5);
}

}  // namespace
}  // namespace korventa
