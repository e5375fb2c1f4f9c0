// An adapter unplugged and plugged in again, seen from the main window and
// from korventa-cli: the program says so, shows the port closed, and opens
// it again once the adapter is back. The adapter is korventa-sim's terminal,
// which goes away when the simulator vanishes its port or is killed.
#include <QtCore/QString>
#include <QtCore/QtGlobal>

#include <mutex>
#include <sstream>
#include <string>
#include <vector>

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

constexpr int kTestoApriCom = 38;
constexpr int kTestoChiudiCom = 39;
constexpr int kTestoErroreDati = 71;  // "Error: check configuration data"
constexpr int kTestoErroreCom = 68;   // "Communication error": a time-out waited out
constexpr int kTestoPortaOccupata = 67;  // what opening a missing port says
constexpr const char* kPortaChiusa = "COM Port not open";
constexpr const char* kNoAdapter = "/dev/korventa-no-adapter";

// Qt's own complaints while a test runs: using a port that is already gone
// must not provoke any ("device not open" and the like).
std::mutex warningsMutex;
std::vector<std::string> warnings;

void CollectWarning(QtMsgType type, const QMessageLogContext&, const QString& text) {
  if (type == QtDebugMsg || type == QtInfoMsg) return;
  std::lock_guard<std::mutex> lock(warningsMutex);
  warnings.push_back(text.toStdString());
}

// The main window's logic as the desktop program drives it, on the serial
// transport in event-loop mode.
class MainWindowOverPty : public ::testing::Test {
 protected:
  MainWindowOverPty()
      : transport(qt::WaitMode::EventLoop), spia(s, w.communication), link(s, transport, dialogs, spia),
        c{s, w, link, dialogs} {
    Main(c);
  }
  void SetUp() override {
    warnings.clear();
    previousHandler_ = qInstallMessageHandler(&CollectWarning);
  }
  void TearDown() override {
    mnu_Exit_Click(c);
    qInstallMessageHandler(previousHandler_);
    std::lock_guard<std::mutex> lock(warningsMutex);
    for (const auto& text : warnings) ADD_FAILURE() << "Qt warned: " << text;
  }

  // Ticks or unticks "Open Com" with the port named.
  void Tick(bool value, const std::string& port = {}) {
    if (!port.empty()) m.cmb_Porta.SetText(port);
    m.Check1.Value = value;
    Check1_Click(c);
  }

  bool Asked(const std::string& text) const {
    for (const auto& b : dialogs.boxes)
      if (b.text == text) return true;
    return false;
  }

  // Idle: lamp green, window enabled, nothing running.
  void ExpectIdle() const {
    EXPECT_FALSE(m.Occupato);
    EXPECT_EQ(m.SpiaColor, kColoreVerde);
    EXPECT_TRUE(m.finestre[Schermo::communication].Enabled);
  }

  void ExpectShownClosed() const {
    EXPECT_FALSE(m.Check1.Value);
    EXPECT_EQ(m.Check1.Caption, Testo(s, kTestoApriCom));
    EXPECT_FALSE(link.PortOpen());
  }

  // The adapter back (a new terminal): "Open Com" opens it and reads the
  // device as on the first day.
  void ExpectReopens() {
    test::SimProcess back;
    std::string error;
    ASSERT_TRUE(back.Start({"--model", "PLV7100"}, error)) << error;
    dialogs.boxes.clear();
    Tick(true, back.SlavePath());
    EXPECT_TRUE(m.Check1.Value);
    EXPECT_EQ(m.Check1.Caption, Testo(s, kTestoChiudiCom));
    EXPECT_TRUE(link.PortOpen());
    EXPECT_TRUE(dialogs.boxes.empty()) << dialogs.boxes.front().text;
    EXPECT_EQ(s.CodProdotto, 12);
    EXPECT_EQ(s.CodVariante, 0);
    EXPECT_EQ(w.frm_program.cmb_Prog_In[0].Text, "Tc K");  // the factory configuration
    ExpectIdle();
    Tick(false);
  }

  ProgramState s;
  Windows w;
  Communication& m = w.communication;
  test::ScriptedDialogs dialogs;
  qt::SerialTransport transport;
  SpiaComunicazione spia;
  Link link;
  Context c;

 private:
  QtMessageHandler previousHandler_ = nullptr;
};

TEST_F(MainWindowOverPty, UnpluggedDuringTheFirstReadIsShownAndTheAdapterReopens) {
  // Identification (5 frames), "SM", "PR", then the port goes at the 24th
  // address of the configuration block.
  test::SimProcess sim;
  std::string error;
  ASSERT_TRUE(sim.Start({"--model", "PLV7100", "--vanish-after", "30"}, error)) << error;
  Tick(true, sim.SlavePath());

  // No time-out is waited out for a port that is gone (its tries would end
  // in the communication-error question): the block ends at once, the
  // second read finds the port closed and says so.
  EXPECT_FALSE(Asked(Testo(s, kTestoErroreCom)));
  ExpectShownClosed();
  EXPECT_TRUE(Asked(Testo(s, kTestoErroreDati)));
  EXPECT_TRUE(Asked(kPortaChiusa));
  ExpectIdle();

  // Ticking the box again before the adapter is back only says the port
  // cannot be opened. (Not the vanished terminal's own path: another
  // program may have been given that number meanwhile.)
  sim.Stop();
  dialogs.boxes.clear();
  Tick(true, kNoAdapter);
  ExpectShownClosed();
  ASSERT_EQ(dialogs.boxes.size(), 1u);
  // The usual text, and why on a second line.
  EXPECT_EQ(dialogs.boxes[0].text.rfind(Testo(s, kTestoPortaOccupata) + "\n", 0), 0u);
  EXPECT_NE(dialogs.boxes[0].text.find("does not exist"), std::string::npos);

  ExpectReopens();
}

TEST_F(MainWindowOverPty, UnpluggedWhileIdleIsFoundByTheNextCommand) {
  test::SimProcess sim;
  std::string error;
  ASSERT_TRUE(sim.Start({"--model", "PLV7100"}, error)) << error;
  Tick(true, sim.SlavePath());
  ASSERT_TRUE(m.Check1.Value);
  ASSERT_TRUE(dialogs.boxes.empty());

  sim.Stop();  // the adapter is pulled out while nothing runs
  cmd_read_Click(c);
  EXPECT_FALSE(Asked(Testo(s, kTestoErroreCom)));
  ExpectShownClosed();
  ASSERT_FALSE(dialogs.boxes.empty());
  EXPECT_EQ(dialogs.boxes[0].text, kPortaChiusa);
  EXPECT_EQ(dialogs.boxes[0].buttons, Buttons::RetryCancel);
  ExpectIdle();

  ExpectReopens();
}

// korventa-cli on a port whose adapter is gone, or goes during the command.
std::unique_ptr<Transport> PtyTransport(const cli::GlobalOptions&, std::string&) {
  return std::make_unique<qt::SerialTransport>(qt::WaitMode::Blocking);
}

struct CliResult {
  int rc;
  std::string out, err;
};

CliResult Cli(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  const int rc = cli::RunCli(args, out, err, &PtyTransport);
  return {rc, out.str(), err.str()};
}

TEST(CliOverPty, AVanishedPortEndsWithACommunicationExitAndSaysWhy) {
  test::SimProcess sim;
  std::string error;
  ASSERT_TRUE(sim.Start({"--model", "PLV7100", "--vanish-after", "30"}, error)) << error;
  const auto r = Cli({"--port", sim.SlavePath(), "--lang", "en", "read"});
  EXPECT_EQ(r.rc, cli::kExitComm);
  EXPECT_EQ(r.err.find("Communication error"), std::string::npos) << "a time-out was waited out: " << r.err;
  EXPECT_TRUE(r.out.empty()) << "nothing shown from a read that failed";
  EXPECT_NE(r.err.find("the configuration could not be read"), std::string::npos) << r.err;

  // The same for the memory listing.
  test::SimProcess again;
  ASSERT_TRUE(again.Start({"--model", "PLV7100", "--vanish-after", "30"}, error)) << error;
  const auto dump = Cli({"--port", again.SlavePath(), "--lang", "en", "dump"});
  EXPECT_EQ(dump.rc, cli::kExitComm);
  EXPECT_TRUE(dump.out.empty());
  EXPECT_NE(dump.err.find("dump: bank 0 could not be read"), std::string::npos) << dump.err;

  // While the adapter is out, the port cannot even be opened.
  const auto missing = Cli({"--port", kNoAdapter, "--lang", "en", "identify"});
  EXPECT_EQ(missing.rc, cli::kExitComm);
  EXPECT_NE(missing.err.find(std::string("cannot open port ") + kNoAdapter), std::string::npos) << missing.err;
}

}  // namespace
}  // namespace korventa
