#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "sim/options.h"
#include "sim/pty_server.h"
#include "sim_util.h"

extern char** environ;

using namespace korventa;
using namespace korventa::sim;
using namespace korventa::sim::test;
namespace p = korventa::protocol;

namespace {

int OpenRaw(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return fd;
  termios tio{};
  ::tcgetattr(fd, &tio);
  ::cfmakeraw(&tio);
  ::tcsetattr(fd, TCSANOW, &tio);
  return fd;
}

// Reads until `want` bytes came or two seconds passed.
std::string ReadReply(int fd, std::size_t want) {
  std::string got;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  while (got.size() < want) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) break;
    pollfd pfd{fd, POLLIN, 0};
    if (::poll(&pfd, 1, static_cast<int>(left.count())) <= 0) break;
    char buf[512];
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n <= 0) break;
    got.append(buf, static_cast<std::size_t>(n));
  }
  return got;
}

std::string Ask(int fd, const std::string& frame, std::size_t want) {
  EXPECT_EQ(::write(fd, frame.data(), frame.size()), static_cast<ssize_t>(frame.size()));
  return ReadReply(fd, want);
}

struct ServerThread {
  explicit ServerThread(ConverterConfig cfg, int baud = 0) : server(std::move(cfg), FaultOptions{}, baud) {
    std::string error;
    opened = server.Open(error);
    EXPECT_TRUE(opened) << error;
    if (opened) thread = std::thread([this] { result = server.Run({}); });
  }
  ~ServerThread() {
    server.Stop();
    if (thread.joinable()) thread.join();
  }
  PtyServer server;
  bool opened = false;
  int result = -1;
  std::thread thread;
};

}  // namespace

TEST(Pty, ServesARawTerminalAcrossReopens) {
  ServerThread s(ConfigFor("PLV7110A"), 9600);
  ASSERT_TRUE(s.opened);
  {
    // The terminal is raw before any client touches its settings: no CR
    // translation, no echo, no line editing.
    const int plain = ::open(s.server.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(plain, 0);
    termios tio{};
    ASSERT_EQ(::tcgetattr(plain, &tio), 0);
    EXPECT_EQ(tio.c_iflag & (ICRNL | INLCR | IGNCR), 0u);
    EXPECT_EQ(tio.c_oflag & OPOST, 0u);
    EXPECT_EQ(tio.c_lflag & (ECHO | ICANON | ISIG), 0u);
    ::close(plain);
  }
  int fd = OpenRaw(s.server.SlavePath());
  ASSERT_GE(fd, 0);
  EXPECT_EQ(Ask(fd, p::FrameEnterProgram(), 4), "OK\r\n");
  EXPECT_EQ(Ask(fd, p::FrameProduct(), 7), Bytes({'*', 2, 4, 0, 12, 13, 10}));
  // CR as data must cross the terminal untranslated both ways.
  Ask(fd, p::FrameWrite(0, 13, 13), 0);
  EXPECT_EQ(Ask(fd, p::FrameRead(0, 13), 6), Bytes({'*', 0, 13, 13, 13, 10}));
  ::close(fd);

  // The client closes and comes back: the converter is still there.
  fd = OpenRaw(s.server.SlavePath());
  ASSERT_GE(fd, 0);
  EXPECT_EQ(Ask(fd, p::FrameProduct(), 7).size(), 7u);
  ::close(fd);
}

TEST(Pty, VanishingPortHangsUpOnTheClient) {
  ConverterConfig cfg = ConfigFor("PLV7100");
  cfg.vanishAfter = 1;
  ServerThread s(cfg);
  ASSERT_TRUE(s.opened);
  const int fd = OpenRaw(s.server.SlavePath());
  ASSERT_GE(fd, 0);
  EXPECT_EQ(Ask(fd, p::FrameEnterProgram(), 4), "OK\r\n");
  ASSERT_EQ(::write(fd, p::FrameProduct().data(), 6), 6);
  pollfd pfd{fd, POLLIN, 0};
  ASSERT_EQ(::poll(&pfd, 1, 2000), 1);
  char c;
  EXPECT_LE(::read(fd, &c, 1), 0) << "the terminal should be gone";
  ::close(fd);
  EXPECT_FALSE(std::filesystem::exists(s.server.SlavePath()));
}

TEST(Pty, KorventaSimPrintsThePathAndEndsWithItsInput) {
  std::string exe;
  if (const char* dir = std::getenv("KORVENTA_BUILD_DIR")) exe = std::string(dir) + "/src/sim/korventa-sim";
  else exe = (std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path() / "src/sim/korventa-sim").string();
  if (!std::filesystem::exists(exe)) GTEST_SKIP() << "korventa-sim not built at " << exe;

  int in[2], out[2];
  ASSERT_EQ(::pipe(in), 0);
  ASSERT_EQ(::pipe(out), 0);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, in[1]);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  std::vector<std::string> args = {exe, "--model", "PLV7300", "--baud", "9600", "--stdin-exit"};
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  ASSERT_EQ(posix_spawn(&pid, exe.c_str(), &actions, nullptr, argv.data(), environ), 0);
  posix_spawn_file_actions_destroy(&actions);
  ::close(in[0]);
  ::close(out[1]);

  const std::string line = ReadReply(out[0], 1);  // the path comes as one line
  std::string path = line.substr(0, line.find('\n'));
  ASSERT_FALSE(path.empty());
  const int fd = OpenRaw(path);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(Ask(fd, p::FrameEnterProgram(), 4), "OK\r\n");
  EXPECT_EQ(Ask(fd, p::FrameProduct(), 7), Bytes({'*', 7, 4, 0, 12, 13, 10}));
  ::close(fd);

  ::close(in[1]);  // end of input: the simulator stops
  int status = -1;
  for (int i = 0; i < 200 && ::waitpid(pid, &status, WNOHANG) == 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  if (!WIFEXITED(status)) {
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &status, 0);
    FAIL() << "korventa-sim did not stop at the end of its input";
  }
  EXPECT_EQ(WEXITSTATUS(status), 0);
  ::close(out[0]);
}
