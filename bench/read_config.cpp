// How close reading a configuration comes to what the line allows.
//
// Starts korventa-sim paced at 9600 baud, opens it through the serial
// transport in blocking mode (as korventa-cli does) and times
// Link::ReadBytes(0, 0, 65), the block a configuration read takes. The
// floor is the wire time of every byte exchanged plus the pauses the
// protocol mandates; whatever the read takes beyond it is ours (waking up,
// flushing, handing bytes over) or the pseudo-terminal's.
//
//   bench_read_config [--runs N] [--model CODE]
#include <sys/resource.h>

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/dialogs.h"
#include "app/state.h"
#include "link/link.h"
#include "link/protocol.h"
#include "qt/link/serial_transport.h"
#include "sim_process.h"

namespace {

using namespace korventa;
namespace p = korventa::protocol;

constexpr int kBaud = 9600;
constexpr int kBitsPerByte = 10;  // start bit, 8 data bits, stop bit
constexpr int kFirst = 0;
constexpr int kCount = 65;

// Nobody to ask: a failed read is reported, not retried.
class NoDialogs : public Dialogs {
 public:
  Answer MsgBox(const std::string& text, Buttons, Icon, const std::string&) override {
    std::fprintf(stderr, "bench_read_config: the link asked: %s\n", text.c_str());
    return Answer::Cancel;
  }
  std::optional<std::string> InputBox(const std::string&, const std::string&, const std::string&) override {
    return std::nullopt;
  }
  std::optional<std::string> OpenFileName(const FileDialogRequest&) override { return std::nullopt; }
  std::optional<std::string> SaveFileName(const FileDialogRequest&) override { return std::nullopt; }
};

struct Floor {
  std::size_t bytes = 0;
  double pauses = 0;  // seconds
  double Seconds() const { return static_cast<double>(bytes) * kBitsPerByte / kBaud + pauses; }
};

// Every byte of the transaction on the wire, and the pauses that cannot
// overlap anything: "SM" + 0.2 s, "PR" + 0.1 s (its "OK" comes within the
// pause), one "$R" frame and its reply per address, "$FPxx" + 0.1 s.
Floor ReadFloor(int count) {
  Floor f;
  f.bytes += p::FrameStopMeasure().size();
  f.pauses += p::kPauseAfterMeasure;
  f.bytes += p::FrameEnterProgram().size();
  f.pauses += p::kPauseAfterProgram;
  f.bytes += static_cast<std::size_t>(count) * (p::FrameRead(0, 0).size() + p::kTemplateRead.size());
  f.bytes += p::FrameExitProgram().size();
  f.pauses += p::kPauseAfterProgram;
  return f;
}

double CpuSeconds() {
  rusage u{};
  ::getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

struct Run {
  double wall = 0;  // seconds
  double cpu = 0;
};

void Print(const char* label, const Run& r, double floor) {
  std::printf("%-7s wall %8.1f ms   wall/floor %.3f   cpu %6.1f ms (%.1f %% of wall)\n", label, r.wall * 1e3,
              r.wall / floor, r.cpu * 1e3, 100.0 * r.cpu / r.wall);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);  // QSerialPort wants one, even when blocking
  int runs = 5;
  std::string model = "PLV7100";
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--runs" && i + 1 < argc) {
      runs = std::max(1, std::atoi(argv[++i]));
    } else if (a == "--model" && i + 1 < argc) {
      model = argv[++i];
    } else {
      std::fprintf(stderr, "usage: bench_read_config [--runs N] [--model CODE]\n");
      return 2;
    }
  }

  test::SimProcess sim;
  std::string error;
  if (!sim.Start({"--model", model, "--baud", std::to_string(kBaud)}, error)) {
    std::fprintf(stderr, "bench_read_config: %s\n", error.c_str());
    return 1;
  }
  ProgramState state;
  NoDialogs dialogs;
  BusyObserver busy;
  qt::SerialTransport transport(qt::WaitMode::Blocking);
  Link link(state, transport, dialogs, busy);
  if (!link.OpenPort(sim.SlavePath(), error)) {
    std::fprintf(stderr, "bench_read_config: %s\n", error.c_str());
    return 1;
  }

  const Floor floor = ReadFloor(kCount);
  std::printf("ReadBytes(%d, %d, %d) from korventa-sim --model %s --baud %d, %d runs\n", 0, kFirst, kCount,
              model.c_str(), kBaud, runs);
  std::printf("floor   %8.1f ms = %zu bytes x %d bits at %d baud (%.1f ms) + pauses %.1f ms\n",
              floor.Seconds() * 1e3, floor.bytes, kBitsPerByte, kBaud,
              static_cast<double>(floor.bytes) * kBitsPerByte / kBaud * 1e3, floor.pauses * 1e3);

  std::vector<Run> results;
  for (int i = 0; i < runs; ++i) {
    const double cpu0 = CpuSeconds();
    const auto t0 = std::chrono::steady_clock::now();
    link.ReadBytes(0, kFirst, kCount);
    const auto t1 = std::chrono::steady_clock::now();
    const double cpu1 = CpuSeconds();
    if (state.ErroreCom != 0) {
      std::fprintf(stderr, "bench_read_config: run %d failed\n", i + 1);
      return 1;
    }
    Run r{std::chrono::duration<double>(t1 - t0).count(), cpu1 - cpu0};
    results.push_back(r);
    Print(("run " + std::to_string(i + 1)).c_str(), r, floor.Seconds());
  }
  // Where the time beyond the floor goes: single "$R" exchanges, each of
  // which the line needs 12 byte times for.
  const double exchangeFloor =
      static_cast<double>(p::FrameRead(0, 0).size() + p::kTemplateRead.size()) * kBitsPerByte / kBaud;
  std::vector<double> excess;
  link.StopMeasure();
  link.EnterProgram();
  for (int a = kFirst; a < kFirst + kCount; ++a) {
    link.Flush();
    const auto t0 = std::chrono::steady_clock::now();
    const std::string r = link.SendAndWait(p::FrameRead(0, static_cast<std::uint8_t>(a)), p::kTemplateRead,
                                           p::kReplyTimeout, p::kModeCrLf);
    const auto t1 = std::chrono::steady_clock::now();
    if (r.size() != p::kTemplateRead.size()) {
      std::fprintf(stderr, "bench_read_config: exchange %d failed (%s)\n", a, r.c_str());
      return 1;
    }
    excess.push_back(std::chrono::duration<double>(t1 - t0).count() - exchangeFloor);
  }
  link.ExitProgram();
  link.ClosePort();
  std::sort(excess.begin(), excess.end());
  std::printf("exchange beyond its %.1f ms on the line: median %.2f ms, 90th percentile %.2f ms, max %.2f ms\n",
              exchangeFloor * 1e3, excess[excess.size() / 2] * 1e3, excess[excess.size() * 9 / 10] * 1e3,
              excess.back() * 1e3);

  std::vector<Run> byWall = results;
  std::sort(byWall.begin(), byWall.end(), [](const Run& a, const Run& b) { return a.wall < b.wall; });
  const Run best = byWall.front();
  const Run median = byWall[byWall.size() / 2];
  Print("best", best, floor.Seconds());
  Print("median", median, floor.Seconds());
  const bool ratioOk = median.wall / floor.Seconds() <= 1.05;
  const bool cpuOk = median.cpu / median.wall <= 0.05;
  std::printf("targets (median): wall/floor <= 1.05 %s, cpu <= 5 %% of wall %s\n", ratioOk ? "met" : "MISSED",
              cpuOk ? "met" : "MISSED");
  return 0;
}
