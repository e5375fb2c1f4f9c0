// The serial transport against a bare pseudo-terminal: this test plays the
// device on the master side and checks line settings, wake-up latency,
// deadlines, discarding and the hang-up of a vanished port.
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
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

#include "qt/link/serial_transport.h"

namespace korventa::qt {
namespace {

using namespace std::chrono_literals;
using std::chrono::duration_cast;
using std::chrono::milliseconds;

// A pseudo-terminal whose slave side the transport opens. Like a device on
// the other end of a cable, the test writes and reads the master side.
class Pty {
 public:
  Pty() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) return;
    char name[128];
    if (::ptsname_r(master_, name, sizeof name) != 0) return;
    path_ = name;
    // Held open so the terminal settings can be inspected; the transport's
    // exclusive open comes later and is not disturbed by it.
    slave_ = ::open(name, O_RDWR | O_NOCTTY);
  }
  ~Pty() {
    CloseMaster();
    if (slave_ >= 0) ::close(slave_);
  }
  bool Ok() const { return master_ >= 0 && slave_ >= 0; }
  const std::string& Path() const { return path_; }
  int Slave() const { return slave_; }

  void Send(const std::string& bytes) const { ASSERT_EQ(::write(master_, bytes.data(), bytes.size()), ssize_t(bytes.size())); }
  // Everything the transport wrote, waiting up to a second for `count` bytes.
  std::string Receive(std::size_t count) const {
    std::string got;
    const auto deadline = Clock::now() + 1s;
    while (got.size() < count) {
      const int left = static_cast<int>(duration_cast<milliseconds>(deadline - Clock::now()).count());
      pollfd p{master_, POLLIN, 0};
      if (left <= 0 || ::poll(&p, 1, left) <= 0) break;
      char buf[64];
      const ssize_t n = ::read(master_, buf, sizeof buf);
      if (n > 0) got.append(buf, static_cast<std::size_t>(n));
    }
    return got;
  }
  // The device side goes away: the slave side is hung up.
  void CloseMaster() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
  }

 private:
  int master_ = -1;
  int slave_ = -1;
  std::string path_;
};

std::vector<std::uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }
std::string Text(const std::vector<std::uint8_t>& v) { return {v.begin(), v.end()}; }

// CPU time this process has used, in milliseconds.
long long CpuMilliseconds() {
  rusage u{};
  ::getrusage(RUSAGE_SELF, &u);
  return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1000LL + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1000;
}

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
  // Delivers bytes from the device side after a delay, noting when.
  void SendLater(std::string bytes, milliseconds after) {
    if (sender.joinable()) sender.join();
    sender = std::thread([this, bytes, after] {
      std::this_thread::sleep_for(after);
      sentAt = Clock::now();
      pty.Send(bytes);
    });
  }
  void TearDown() override {
    if (sender.joinable()) sender.join();
  }

  Pty pty;
  std::unique_ptr<SerialTransport> t;
  std::thread sender;
  Clock::time_point sentAt{};
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
void ExpectPromptWakeAndHonestDeadlines(SerialTransport& t, const std::function<void(std::string, milliseconds)>& sendLater,
                                        const Clock::time_point& sentAt) {
  // Woken by arriving bytes long before the deadline, and promptly.
  auto start = Clock::now();
  sendLater("*\x01\x02\x03\r\n", 60ms);
  t.Wait(start + 2s, true);
  const auto woke = Clock::now();
  std::vector<std::uint8_t> got;
  ASSERT_EQ(t.ReadAll(got), IoStatus::Ok);
  EXPECT_FALSE(got.empty());
  EXPECT_LT(duration_cast<milliseconds>(woke - sentAt).count(), 30) << "slow wake-up";

  // With nothing coming, it returns at the deadline: not before, barely after.
  start = Clock::now();
  t.Wait(start + 120ms, true);
  EXPECT_GE(Since(start), 120);
  EXPECT_LT(Since(start), 170);
}

TEST_F(SerialTransportPty, BlockingWaitWakesOnBytesAndKeepsDeadlines) {
  OpenIn(WaitMode::Blocking);
  ExpectPromptWakeAndHonestDeadlines(
      *t, [this](std::string b, milliseconds ms) { SendLater(std::move(b), ms); }, sentAt);
}

TEST_F(SerialTransportPty, EventLoopWaitWakesOnBytesAndServicesOtherEvents) {
  OpenIn(WaitMode::EventLoop);
  ExpectPromptWakeAndHonestDeadlines(
      *t, [this](std::string b, milliseconds ms) { SendLater(std::move(b), ms); }, sentAt);
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
  const auto cpu = CpuMilliseconds();
  auto start = Clock::now();
  t->Wait(start + 150ms, false);
  EXPECT_GE(Since(start), 150);
  EXPECT_LT(CpuMilliseconds() - cpu, 50) << "busy loop after quit";
  start = Clock::now();
  SendLater("OK\r\n", 30ms);
  t->Wait(start + 1s, true);
  EXPECT_LT(Since(start), 500);

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
  pty.Send("OK\r\n");
  t->Wait(Clock::now() + 1s, true);
  ASSERT_EQ(t->ReadAll(got), IoStatus::Ok);
  EXPECT_EQ(Text(got), "OK\r\n");
}

void ExpectVanishReported(Pty& pty, SerialTransport& t) {
  const auto start = Clock::now();
  std::thread unplug([&pty] {
    std::this_thread::sleep_for(50ms);
    pty.CloseMaster();
  });
  t.Wait(start + 2s, true);
  unplug.join();
  EXPECT_LT(Since(start), 500) << "a hung-up port must end the wait";

  std::vector<std::uint8_t> got;
  EXPECT_EQ(t.ReadAll(got), IoStatus::Vanished);
  EXPECT_EQ(t.Write(Bytes(std::string("$R\0\0\0\r", 6))), IoStatus::Vanished);

  // A hung-up terminal is always "readable"; waiting on it must not spin.
  const auto cpu = CpuMilliseconds();
  const auto pause = Clock::now();
  t.Wait(pause + 200ms, false);
  EXPECT_GE(Since(pause), 200);
  EXPECT_LT(CpuMilliseconds() - cpu, 60) << "busy loop on a vanished port";

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
