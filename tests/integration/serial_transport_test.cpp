// The serial transport against a bare pseudo-terminal: this test plays the
// device on the master side and checks line settings, what wakes a wait,
// deadlines, discarding and the hang-up of a vanished port. How fast it
// wakes and how little processor time it takes are measured by
// bench_transport_latency.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QTimer>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "pty_pair.h"
#include "qt/link/serial_transport.h"

namespace korventa::qt {
namespace {

using namespace std::chrono_literals;
using std::chrono::duration_cast;
using std::chrono::milliseconds;

using Pty = test::PtyPair;

std::vector<std::uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }
std::string Text(const std::vector<std::uint8_t>& v) { return {v.begin(), v.end()}; }

// Milliseconds from `from` to now.
long long Since(Clock::time_point from) { return duration_cast<milliseconds>(Clock::now() - from).count(); }

TEST(SystemPortName, MapsTheSelectorEntriesAndLeavesPathsAlone) {
  EXPECT_EQ(SystemPortName("COM1"), "/dev/ttyS0");
  EXPECT_EQ(SystemPortName("COM16"), "/dev/ttyS15");
  EXPECT_EQ(SystemPortName("com3"), "/dev/ttyS2");
  // Outside the selector's range, or not a port number: used as given.
  for (const char* name : {"COM0", "COM17", "COM01", "COM", "COM1a", "COMX", "/dev/ttyUSB0", "/dev/pts/7", ""})
    EXPECT_EQ(SystemPortName(name), name);
}

TEST(SerialTransportOpen, ExplainsWhyAPortCannotBeOpened) {
  SerialTransport t(WaitMode::Blocking);
  std::string error;
  EXPECT_FALSE(t.Open(error));
  EXPECT_EQ(error, "No serial port chosen.");

  t.SetPort("/dev/ttyKORVENTA-missing");
  EXPECT_FALSE(t.Open(error));
  EXPECT_NE(error.find("does not exist"), std::string::npos) << error;
  EXPECT_FALSE(t.IsOpen());

  // Everything on a closed port says so instead of failing obscurely.
  std::vector<std::uint8_t> got;
  EXPECT_EQ(t.Write(Bytes("SM\r")), IoStatus::NotOpen);
  EXPECT_EQ(t.ReadAll(got), IoStatus::NotOpen);
  t.Discard();

  Pty pty;
  ASSERT_TRUE(pty.Ok());
  SerialTransport first(WaitMode::Blocking), second(WaitMode::Blocking);
  first.SetPort(pty.Path());
  second.SetPort(pty.Path());
  ASSERT_TRUE(first.Open(error)) << error;
  EXPECT_FALSE(second.Open(error));
  EXPECT_NE(error.find("in use"), std::string::npos) << error;
  first.Close();
  EXPECT_TRUE(second.Open(error)) << error;
}

TEST(SerialTransportOpen, PointsToTheDialoutGroupWhenAccessIsDenied) {
  Pty pty;
  ASSERT_TRUE(pty.Ok());
  // Root may open anything, so the refused user is played by a child
  // process that gives up root; anyone else refuses the node to themselves.
  const bool root = ::geteuid() == 0;
  if (!root) {
    ASSERT_EQ(::chmod(pty.Path().c_str(), 0), 0);
  }
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (root && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(3);
    SerialTransport t(WaitMode::Blocking);
    t.SetPort(pty.Path());
    std::string error;
    const bool opened = t.Open(error);
    ::_exit(opened ? 2 : error.find("dialout group") != std::string::npos ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "1: no dialout hint, 2: opened anyway, 3: could not drop root";
}

class SerialTransportPty : public ::testing::Test {
 protected:
  void OpenIn(WaitMode mode) {
    ASSERT_TRUE(pty.Ok());
    t = std::make_unique<SerialTransport>(mode);
    t->SetPort(pty.Path());
    std::string error;
    ASSERT_TRUE(t->Open(error)) << error;
  }
  // Delivers bytes from the device side after a delay.
  void SendLater(std::string bytes, milliseconds after) {
    if (sender.joinable()) sender.join();
    sender = std::thread([this, bytes, after] {
      std::this_thread::sleep_for(after);
      EXPECT_TRUE(pty.Send(bytes));
    });
  }
  void TearDown() override {
    if (sender.joinable()) sender.join();
  }

  Pty pty;
  std::unique_ptr<SerialTransport> t;
  std::thread sender;
};

TEST_F(SerialTransportPty, OpensWithTheDeviceLineSettingsAndWritesBinaryFrames) {
  OpenIn(WaitMode::Blocking);
  termios tio{};
  ASSERT_EQ(::tcgetattr(pty.Slave(), &tio), 0);
  EXPECT_EQ(::cfgetospeed(&tio), speed_t(B9600));
  EXPECT_EQ(::cfgetispeed(&tio), speed_t(B9600));
  EXPECT_EQ(tio.c_cflag & CSIZE, tcflag_t(CS8));
  EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
  EXPECT_EQ(tio.c_iflag & (IXON | IXOFF | ICRNL | INLCR | ISTRIP), 0u);  // binary bytes pass untouched
  EXPECT_EQ(tio.c_lflag & (ICANON | ECHO), 0u);
  EXPECT_EQ(tio.c_oflag & OPOST, 0u);

  // XON, XOFF, CR and LF as data reach the device untouched.
  const std::string frame("$W\x00\x11\x13\r\n", 7);
  ASSERT_EQ(t->Write(Bytes(frame)), IoStatus::Ok);
  EXPECT_EQ(pty.Receive(frame.size()), frame);
}

// Blocking and event-loop waits must behave alike towards the link.
void ExpectWakeOnBytesAndHonestDeadlines(SerialTransport& t,
                                         const std::function<void(std::string, milliseconds)>& sendLater) {
  // Woken by the arriving bytes before the deadline, with the bytes there
  // to read.
  const std::string reply("*\x01\x02\x03\r\n", 6);
  const auto deadline = Clock::now() + 2s;
  sendLater(reply, 60ms);
  t.Wait(deadline, true);
  EXPECT_LT(Clock::now(), deadline) << "the bytes did not end the wait";
  std::vector<std::uint8_t> got;
  ASSERT_EQ(t.ReadAll(got), IoStatus::Ok);
  EXPECT_FALSE(got.empty());

  // With nothing coming, it returns at the deadline and not before.
  const auto start = Clock::now();
  t.Wait(start + 120ms, true);
  EXPECT_GE(Since(start), 120);
}

TEST_F(SerialTransportPty, BlockingWaitWakesOnBytesAndKeepsDeadlines) {
  OpenIn(WaitMode::Blocking);
  ExpectWakeOnBytesAndHonestDeadlines(
      *t, [this](std::string b, milliseconds ms) { SendLater(std::move(b), ms); });
}

TEST_F(SerialTransportPty, EventLoopWaitWakesOnBytesAndServicesOtherEvents) {
  OpenIn(WaitMode::EventLoop);
  ExpectWakeOnBytesAndHonestDeadlines(
      *t, [this](std::string b, milliseconds ms) { SendLater(std::move(b), ms); });
  sender.join();

  // A pause keeps the program alive: timers (repaints, clicks) run meanwhile.
  bool ran = false;
  QTimer::singleShot(20, [&ran] { ran = true; });
  const auto start = Clock::now();
  t->Wait(start + 100ms, false);
  EXPECT_TRUE(ran);
  EXPECT_GE(Since(start), 100);
}

TEST_F(SerialTransportPty, EventLoopWaitAfterQuitStillWaitsQuietly) {
  OpenIn(WaitMode::EventLoop);
  // The user closed the program in the middle of a transaction.
  QCoreApplication::exit(0);
  const auto start = Clock::now();
  t->Wait(start + 150ms, false);
  EXPECT_GE(Since(start), 150);
  // Bytes still end a wait, before its deadline, and can be read.
  const auto deadline = Clock::now() + 2s;
  SendLater("OK\r\n", 30ms);
  t->Wait(deadline, true);
  EXPECT_LT(Clock::now(), deadline) << "the bytes did not end the wait";
  sender.join();
  std::vector<std::uint8_t> got;
  ASSERT_EQ(t->ReadAll(got), IoStatus::Ok);
  EXPECT_EQ(Text(got), "OK\r\n");

  // Let a main loop run and end, which clears the quit for the next tests.
  QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
  QCoreApplication::exec();
}

TEST_F(SerialTransportPty, PauseIgnoresArrivingBytesAndDiscardDropsThem) {
  OpenIn(WaitMode::Blocking);
  const auto start = Clock::now();
  SendLater("stale reply\r\n", 20ms);
  t->Wait(start + 150ms, false);
  EXPECT_GE(Since(start), 150);
  sender.join();

  t->Discard();
  std::vector<std::uint8_t> got;
  ASSERT_EQ(t->ReadAll(got), IoStatus::Ok);
  EXPECT_TRUE(got.empty()) << Text(got);

  // Later bytes still come through.
  ASSERT_TRUE(pty.Send("OK\r\n"));
  t->Wait(Clock::now() + 1s, true);
  ASSERT_EQ(t->ReadAll(got), IoStatus::Ok);
  EXPECT_EQ(Text(got), "OK\r\n");
}

void ExpectVanishReported(Pty& pty, SerialTransport& t) {
  const auto deadline = Clock::now() + 2s;
  std::thread unplug([&pty] {
    std::this_thread::sleep_for(50ms);
    pty.CloseMaster();
  });
  t.Wait(deadline, true);
  unplug.join();
  EXPECT_LT(Clock::now(), deadline) << "a hung-up port must end the wait";

  std::vector<std::uint8_t> got;
  EXPECT_EQ(t.ReadAll(got), IoStatus::Vanished);
  EXPECT_EQ(t.Write(Bytes(std::string("$R\0\0\0\r", 6))), IoStatus::Vanished);

  // A hung-up terminal is always "readable"; a pause on it still lasts
  // until its deadline.
  const auto pause = Clock::now();
  t.Wait(pause + 200ms, false);
  EXPECT_GE(Since(pause), 200);
  EXPECT_EQ(t.ReadAll(got), IoStatus::Vanished);

  // The link closes the port after a vanish; closed is then what it is.
  t.Close();
  EXPECT_FALSE(t.IsOpen());
  EXPECT_EQ(t.ReadAll(got), IoStatus::NotOpen);
}

TEST_F(SerialTransportPty, VanishedDeviceEndsTheWaitAndIsReported) {
  OpenIn(WaitMode::Blocking);
  ExpectVanishReported(pty, *t);
}

TEST_F(SerialTransportPty, VanishedDeviceIsReportedInTheEventLoopToo) {
  OpenIn(WaitMode::EventLoop);
  ExpectVanishReported(pty, *t);
}

TEST_F(SerialTransportPty, WaitOnAClosedPortStillTakesItsTime) {
  SerialTransport closed(WaitMode::Blocking);
  const auto start = Clock::now();
  closed.Wait(start + 80ms, true);  // the link's loops rely on this not spinning
  EXPECT_GE(Since(start), 80);
}

}  // namespace
}  // namespace korventa::qt
