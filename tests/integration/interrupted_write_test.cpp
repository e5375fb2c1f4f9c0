// A write to the converter that does not go through, from the main window
// and from korventa-cli, over the pseudo-terminal: cut short half-way it is
// reported as interrupted (the device may hold part of the new bytes);
// refused before the first byte it is a plain communication error with
// nothing written.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <unistd.h>

#include <gtest/gtest.h>

#include "app/context.h"
#include "app/main_window.h"
#include "app/startup.h"
#include "app/texts.h"
#include "cli/app.h"
#include "qt/link/serial_transport.h"
#include "sim_process.h"
#include "support/scripted_dialogs.h"

namespace korventa {
namespace {

constexpr const char* kInterrupted = "Writing interrupted: the device may hold a partial configuration.";
constexpr const char* kCommError = "Communication error";

// Frames the converter takes while "Open Com" reads it (two reads of
// identification and the configuration block) and the write identifies it
// again: 2 x (5 + 68) + 5.
constexpr long kFramesBeforeWriting = 151;

std::string Slurp(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

class WriteOverPty : public ::testing::Test {
 protected:
  WriteOverPty()
      : transport(qt::WaitMode::EventLoop), spia(s, w.communication), link(s, transport, dialogs, spia),
        c{s, w, link, dialogs} {
    Main(c);
    s.Lingua = 1;  // English texts
    s.OffLingua = kOffsetInglese;
  }
  void SetUp() override {
    dir = std::filesystem::temp_directory_path() /
          ("korventa-iw-" + std::to_string(::getpid()) + "-" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir);
    memory = dir / "memory.bin";
  }
  void TearDown() override {
    mnu_Exit_Click(c);
    sim.Stop();
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }

  // Opens the converter as "Open Com" does, then changes a value so that
  // the write has something to change.
  void OpenWith(const std::vector<std::string>& faults) {
    std::vector<std::string> args = {"--model", "PLV7100", "--memory", memory.string()};
    args.insert(args.end(), faults.begin(), faults.end());
    std::string error;
    ASSERT_TRUE(sim.Start(args, error)) << error;
    w.communication.cmb_Porta.SetText(sim.SlavePath());
    w.communication.Check1.Value = true;
    Check1_Click(c);
    ASSERT_TRUE(link.PortOpen());
    ASSERT_TRUE(dialogs.boxes.empty()) << dialogs.boxes.front().text;
    w.frm_program.txt_Input_max[0].Text = "900";
  }

  std::vector<std::string> Texts() const {
    std::vector<std::string> t;
    for (const auto& b : dialogs.boxes) t.push_back(b.text);
    return t;
  }

  ProgramState s;
  Windows w;
  test::ScriptedDialogs dialogs;
  qt::SerialTransport transport;
  SpiaComunicazione spia;
  Link link;
  Context c;
  test::SimProcess sim;
  std::filesystem::path dir, memory;
};

TEST_F(WriteOverPty, CutShortHalfWayIsReportedAsInterrupted) {
  // "SM", "PR" and ten of the "$W" frames reach the converter, then its
  // port vanishes.
  ASSERT_NO_FATAL_FAILURE(OpenWith({"--vanish-after", std::to_string(kFramesBeforeWriting + 12)}));
  cmd_write_Click(c);
  ASSERT_EQ(Texts().size(), 1u);
  EXPECT_EQ(Texts()[0].rfind(kInterrupted, 0), 0u) << Texts()[0];
  EXPECT_EQ(dialogs.boxes[0].icon, Icon::Error);
  EXPECT_GT(link.PairsSent(), 0);
  // The port is shown closed, ready to be opened again.
  EXPECT_FALSE(w.communication.Check1.Value);
  EXPECT_FALSE(w.communication.Occupato);
}

TEST_F(WriteOverPty, RefusedProgramModeWritesNothingAndSaysCommunicationError) {
  // The converter still identifies itself, then answers nothing more: "PR"
  // goes unacknowledged three times.
  ASSERT_NO_FATAL_FAILURE(OpenWith({"--silent-after", std::to_string(kFramesBeforeWriting)}));
  const std::string before = Slurp(memory);
  cmd_write_Click(c);
  EXPECT_EQ(Texts(), std::vector<std::string>{kCommError});
  EXPECT_EQ(link.PairsSent(), 0);
  EXPECT_EQ(Slurp(memory), before);
}

std::unique_ptr<Transport> PtyTransport(const cli::GlobalOptions&, std::string&) {
  return std::make_unique<qt::SerialTransport>(qt::WaitMode::Blocking);
}

TEST(WriteCliOverPty, RefusedProgramModeSaysNothingWasWritten) {
  const auto dir = std::filesystem::temp_directory_path() / ("korventa-iwc-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const std::string dst = (dir / "factory.DST").string();
  std::ostringstream out, err;
  ASSERT_EQ(cli::RunCli({"--simulate", "PLV7100", "read", "--save", dst}, out, err, &cli::VirtualSimulatedTransport),
            cli::kExitOk)
      << err.str();

  // The write's read (5 + 68 frames) and identification (5) are answered,
  // "PR" before the bytes is not.
  test::SimProcess sim;
  std::string error;
  ASSERT_TRUE(sim.Start({"--model", "PLV7100", "--silent-after", "78"}, error)) << error;
  std::ostringstream wout, werr;
  const int rc = cli::RunCli({"--port", sim.SlavePath(), "--lang", "en", "--yes", "write", dst}, wout, werr,
                             &PtyTransport);
  EXPECT_EQ(rc, cli::kExitComm);
  EXPECT_NE(werr.str().find("communication failed before writing; nothing written"), std::string::npos)
      << werr.str();
  EXPECT_EQ(werr.str().find("partial configuration"), std::string::npos) << werr.str();
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
}

}  // namespace
}  // namespace korventa
