// How quickly the serial transport and the link react, and how little they
// spend while they wait.
//
// On a bare pseudo-terminal, with this program playing the device:
//   - wake-up: from the moment a reply's bytes are written to the moment a
//     wait for them returns, in blocking and in event-loop mode;
//   - deadline overshoot: how late a wait with nothing coming returns;
//   - processor time of a 150 ms pause after the application was told to
//     quit, and of a 200 ms pause on a port that was hung up;
//   - how soon a hang-up ends a wait for bytes.
// Against korventa-sim:
//   - the longest wait for a streamed measurement frame (one every 20 ms);
//   - how soon a block read ends once the port vanishes in its middle;
// and against the virtual converter on its virtual clock, the real time an
// identification, a block read and a write take (their pauses pass on the
// virtual clock only).
//
// Every figure is printed with its target; the exit status is 1 when a
// target is missed.
//
//   bench_transport_latency [--runs N]
#include <sys/resource.h>

#include <QCoreApplication>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "app/dialogs.h"
#include "app/state.h"
#include "link/link.h"
#include "pty_pair.h"
#include "qt/link/serial_transport.h"
#include "sim/options.h"
#include "sim/sim_transport.h"
#include "sim_process.h"

namespace {

using namespace korventa;
using namespace std::chrono_literals;
using std::chrono::duration;
using qt::SerialTransport;
using qt::WaitMode;

// Nobody to ask: a question is a failed figure.
class NoDialogs : public Dialogs {
 public:
  Answer MsgBox(const std::string& text, Buttons, Icon, const std::string&) override {
    std::fprintf(stderr, "bench_transport_latency: the link asked: %s\n", text.c_str());
    ++asked;
    return Answer::Cancel;
  }
  std::optional<std::string> InputBox(const std::string&, const std::string&, const std::string&) override {
    return std::nullopt;
  }
  std::optional<std::string> OpenFileName(const FileDialogRequest&) override { return std::nullopt; }
  std::optional<std::string> SaveFileName(const FileDialogRequest&) override { return std::nullopt; }
  int asked = 0;
};

double Ms(Clock::duration d) { return duration<double, std::milli>(d).count(); }

double CpuMs() {
  rusage u{};
  ::getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}
double Worst(const std::vector<double>& v) { return v.empty() ? 0 : *std::max_element(v.begin(), v.end()); }

int missed = 0;

// One line per figure: the value, its target, met or not.
void Report(const std::string& what, double value, double target, const char* unit) {
  const bool ok = value < target;
  if (!ok) ++missed;
  std::printf("%-58s %8.2f %-3s (target < %g %s) %s\n", what.c_str(), value, unit, target, unit,
              ok ? "met" : "MISSED");
}

bool Open(SerialTransport& t, const test::PtyPair& pty) {
  std::string error;
  t.SetPort(pty.Path());
  if (pty.Ok() && t.Open(error)) return true;
  std::fprintf(stderr, "bench_transport_latency: cannot open a pseudo-terminal: %s\n", error.c_str());
  return false;
}

// Wake-up latency and deadline overshoot of one wait mode, `runs` times each.
bool WakeAndDeadline(WaitMode mode, const char* name, int runs) {
  test::PtyPair pty;
  SerialTransport t(mode);
  if (!Open(t, pty)) return false;
  std::vector<double> wake, overshoot;
  for (int i = 0; i < runs; ++i) {
    std::atomic<Clock::rep> sentAt{0};
    std::thread device([&] {
      std::this_thread::sleep_for(30ms);
      sentAt = Clock::now().time_since_epoch().count();
      pty.Send("*\x01\x02\x03\r\n");
    });
    t.Wait(Clock::now() + 2s, true);
    const auto woke = Clock::now();
    device.join();
    std::vector<std::uint8_t> got;
    if (t.ReadAll(got) != IoStatus::Ok || got.empty()) {
      std::fprintf(stderr, "bench_transport_latency: %s: the reply was not read\n", name);
      return false;
    }
    wake.push_back(Ms(woke - Clock::time_point(Clock::duration(sentAt.load()))));

    const auto start = Clock::now();
    t.Wait(start + 120ms, true);
    overshoot.push_back(Ms(Clock::now() - start) - 120.0);
  }
  Report(std::string(name) + ": wake-up after the bytes, median", Median(wake), 30, "ms");
  std::printf("%-58s %8.2f ms\n", (std::string(name) + ": wake-up after the bytes, worst").c_str(), Worst(wake));
  Report(std::string(name) + ": a 120 ms wait returns late by, median", Median(overshoot), 50, "ms");
  std::printf("%-58s %8.2f ms\n", (std::string(name) + ": a 120 ms wait returns late by, worst").c_str(),
              Worst(overshoot));
  return true;
}

// The user closed the program in the middle of a transaction: the local
// event loop must still sleep, not spin.
bool PauseAfterQuit() {
  test::PtyPair pty;
  SerialTransport t(WaitMode::EventLoop);
  if (!Open(t, pty)) return false;
  QCoreApplication::exit(0);
  const double cpu = CpuMs();
  t.Wait(Clock::now() + 150ms, false);
  Report("event loop: CPU of a 150 ms pause after quit", CpuMs() - cpu, 50, "ms");
  // Let a main loop run and end, which clears the quit again.
  QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
  QCoreApplication::exec();
  return true;
}

// A hung-up terminal is always "readable": the hang-up must end a wait for
// bytes at once, and a pause on it must not spin.
bool Vanished(WaitMode mode, const char* name) {
  test::PtyPair pty;
  SerialTransport t(mode);
  if (!Open(t, pty)) return false;
  std::atomic<Clock::rep> hungUpAt{0};
  std::thread unplug([&] {
    std::this_thread::sleep_for(50ms);
    hungUpAt = Clock::now().time_since_epoch().count();
    pty.CloseMaster();
  });
  t.Wait(Clock::now() + 2s, true);
  const auto woke = Clock::now();
  unplug.join();
  Report(std::string(name) + ": a hang-up ends a wait for bytes after",
         Ms(woke - Clock::time_point(Clock::duration(hungUpAt.load()))), 450, "ms");
  const double cpu = CpuMs();
  t.Wait(Clock::now() + 200ms, false);
  Report(std::string(name) + ": CPU of a 200 ms pause on a vanished port", CpuMs() - cpu, 60, "ms");
  return true;
}

// The link over the serial transport in blocking mode, to a korventa-sim
// started with the given options.
struct LinkToSim {
  bool Start(const std::vector<std::string>& args) {
    std::string error;
    if (sim.Start(args, error) && link.OpenPort(sim.SlavePath(), error)) return true;
    std::fprintf(stderr, "bench_transport_latency: %s\n", error.c_str());
    return false;
  }
  test::SimProcess sim;
  ProgramState state;
  NoDialogs dialogs;
  BusyObserver busy;
  SerialTransport transport{WaitMode::Blocking};
  Link link{state, transport, dialogs, busy};
};

// Streamed measurement frames come every 20 ms: none may be waited for long.
bool MeasurementFrames(int frames) {
  LinkToSim to;
  if (!to.Start({"--model", "PLV7110A", "--rate", "50"}) || to.link.ReadProduct()[0] != 0) return false;
  to.link.StartMeasure();
  std::vector<double> waits;
  for (int i = 0; i < frames; ++i) {
    const auto start = Clock::now();
    if (to.link.ReadMeasure()[0] != 0) {
      std::fprintf(stderr, "bench_transport_latency: measurement frame %d failed\n", i + 1);
      return false;
    }
    waits.push_back(Ms(Clock::now() - start));
  }
  to.link.StopMeasure();
  to.link.ClosePort();
  std::printf("%-58s %8.2f ms\n", "link: wait for a measurement frame (every 20 ms), median", Median(waits));
  Report("link: wait for a measurement frame (every 20 ms), worst", Worst(waits), 300, "ms");
  return to.dialogs.asked == 0;
}

// The port vanishes in the middle of a block read: no time-out is waited out.
bool VanishDuringRead() {
  LinkToSim to;
  if (!to.Start({"--model", "PLV7100", "--vanish-after", "12"})) return false;
  const auto start = Clock::now();
  const auto bytes = to.link.ReadBytes(0, 0, 65);
  Report("link: a block read whose port vanishes ends after", Ms(Clock::now() - start) / 1e3, 2, "s");
  return bytes[0] == 1 && to.link.LastFailureWasPort();
}

// The virtual converter keeps a virtual clock: its pauses cost no real time.
bool VirtualClock() {
  sim::SimOptions o;
  o.model = "PLV7210C";
  std::string error;
  auto port = sim::MakeSimTransport(o, error);
  if (!port || !port->Open(error)) {
    std::fprintf(stderr, "bench_transport_latency: virtual converter: %s\n", error.c_str());
    return false;
  }
  ProgramState state;
  NoDialogs dialogs;
  BusyObserver busy;
  Link link(state, *port, dialogs, busy);
  const auto start = Clock::now();
  link.ReadProduct();
  link.ReadBytes(0, 0, 65);
  state.BufIndirizzi = {40, 41};
  state.BufDati = {0x12, 0x34};
  const bool written = link.WriteBytes(0, 2);
  const double wall = Ms(Clock::now() - start);
  std::printf("%-58s %8.2f ms\n", "virtual converter: identify, read, write on its clock",
              port->ElapsedSeconds() * 1e3);
  Report("virtual converter: the same in real time", wall, 500, "ms");
  return written && state.ErroreCom == 0;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);  // QSerialPort and the event-loop mode want one
  int runs = 20;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--runs" && i + 1 < argc) {
      runs = std::max(1, std::atoi(argv[++i]));
    } else {
      std::fprintf(stderr, "usage: bench_transport_latency [--runs N]\n");
      return 2;
    }
  }
  const std::vector<std::function<bool()>> parts = {
      [runs] { return WakeAndDeadline(WaitMode::Blocking, "blocking", runs); },
      [runs] { return WakeAndDeadline(WaitMode::EventLoop, "event loop", runs); },
      [] { return PauseAfterQuit(); },
      [] { return Vanished(WaitMode::Blocking, "blocking"); },
      [] { return Vanished(WaitMode::EventLoop, "event loop"); },
      [runs] { return MeasurementFrames(std::max(runs, 3)); },
      [] { return VanishDuringRead(); },
      [] { return VirtualClock(); },
  };
  for (const auto& part : parts) {
    if (!part()) {
      std::fprintf(stderr, "bench_transport_latency: a measurement could not be taken\n");
      return 1;
    }
  }
  std::printf("%s\n", missed == 0 ? "all targets met" : "targets MISSED");
  return missed == 0 ? 0 : 1;
}
