// Reading and writing a configuration, model family by model family, against
// what the line allows; and the processor time the program spends while the
// device streams measurements.
//
// For each variant family (0 to 9) the benchmark starts korventa-sim paced at
// 9600 baud and opens it through the serial transport in blocking mode (as
// korventa-cli does), then times:
//   read   ReadEprom, the whole configuration read the main window's read
//          command runs: identification, the model's own reads, the block of
//          addresses 0 to 64 (and 128 to 153 on the two-input model);
//   write  WriteBytes of the pairs WriteEprom builds for the model's factory
//          configuration (taken beforehand from the built-in simulated
//          converter on a virtual clock);
//   verify the read-back of the written addresses that follows every
//          configuration write;
//   measure  the measuring loop the measurement window and korventa-cli run
//          (preparation excluded), for a number of streamed readings.
//
// The floor of a read or write is worked out from the frames the program
// really sent, recorded on the way: every byte on the wire at 10 bits, both
// directions (the "OK" to "PR" arrives inside its pause and is not counted),
// plus the pauses the protocol mandates after "SM", "PR", "$FPxx" and each
// "$W". For a write that is the wire time plus 50 ms per byte plus the
// pauses of the transaction frame. A frame followed by a pause is on the
// wire while the pause runs, so the true minimum is lower: the pauses plus
// the wire time of the request-reply exchanges only. The benchmark prints
// the ratio to both.
//
//   bench_config_families [--runs N] [--variant V] [--readings N]
#include <sys/resource.h>

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "app/context.h"
#include "app/dialogs.h"
#include "app/startup.h"
#include "app/state.h"
#include "config/read_config.h"
#include "config/write_config.h"
#include "link/link.h"
#include "link/protocol.h"
#include "measure/frm_misura.h"
#include "qt/link/serial_transport.h"
#include "sim/options.h"
#include "sim_process.h"

namespace {

using namespace korventa;
namespace p = korventa::protocol;

constexpr int kBaud = 9600;
constexpr int kBitsPerByte = 10;  // start bit, 8 data bits, stop bit

struct Family {
  int variant;
  const char* model;  // catalogue model code the simulator is started with
  const char* note;
};

// One model per variant code; variants 1 and 5 are answered by a model of
// another code with --variant.
const Family kFamilies[] = {
    {0, "PLV7100", "PLV7100"},   {1, "PLV7100", "PLV7100, variant 1"}, {2, "PLV7110A", "PLV7110A"},
    {3, "PLV7110B", "PLV7110B"}, {4, "PLV7110D", "PLV7110D"},           {5, "PLV7220D", "PLV7220D, variant 5"},
    {6, "PLV7110C", "PLV7110C"}, {7, "PLV7300", "PLV7300"},             {8, "PLV7150", "PLV7150"},
    {9, "PLV3100", "PLV3100"},
};

// Answers OK to the limit warnings a factory configuration may raise and
// Cancel to a communication error: the benchmark times, it does not retry.
class BenchDialogs : public Dialogs {
 public:
  Answer MsgBox(const std::string& text, Buttons buttons, Icon, const std::string&) override {
    if (buttons == Buttons::RetryCancel || buttons == Buttons::AbortRetryIgnore) {
      std::fprintf(stderr, "bench_config_families: the link asked: %s\n", text.c_str());
      ++failures;
      return buttons == Buttons::RetryCancel ? Answer::Cancel : Answer::Abort;
    }
    return buttons == Buttons::YesNo || buttons == Buttons::YesNoCancel ? Answer::Yes : Answer::Ok;
  }
  std::optional<std::string> InputBox(const std::string&, const std::string&, const std::string& d) override {
    return d;
  }
  std::optional<std::string> OpenFileName(const FileDialogRequest&) override { return std::nullopt; }
  std::optional<std::string> SaveFileName(const FileDialogRequest&) override { return std::nullopt; }
  int failures = 0;
};

// The serial transport, keeping every frame written.
class RecordingTransport final : public Transport {
 public:
  explicit RecordingTransport(Transport& t) : t_(t) {}
  void SetPort(const std::string& name) override { t_.SetPort(name); }
  std::string Port() const override { return t_.Port(); }
  bool Open(std::string& error) override { return t_.Open(error); }
  void Close() override { t_.Close(); }
  bool IsOpen() const override { return t_.IsOpen(); }
  IoStatus Write(std::span<const std::uint8_t> bytes) override {
    frames.emplace_back(bytes.begin(), bytes.end());
    return t_.Write(bytes);
  }
  IoStatus ReadAll(std::vector<std::uint8_t>& out) override { return t_.ReadAll(out); }
  void Discard() override { t_.Discard(); }
  void Wait(Clock::time_point deadline, bool wakeOnBytes) override { t_.Wait(deadline, wakeOnBytes); }

  std::vector<std::string> frames;

 private:
  Transport& t_;
};

struct Floor {
  std::size_t bytes = 0;         // every byte sent and received
  std::size_t exchanged = 0;     // the bytes of request-reply exchanges
  double pauses = 0;             // seconds
  static double Wire(std::size_t n) { return static_cast<double>(n) * kBitsPerByte / kBaud; }
  // Wire time plus pauses, as if nothing overlapped.
  double Seconds() const { return Wire(bytes) + pauses; }
  // What the line cannot go below: a frame followed by a pause goes out
  // while the pause runs, so only the exchanges add their wire time.
  double Minimum() const { return Wire(exchanged) + pauses; }
};

// The floor of the frames sent, with the replies they get.
Floor FloorOf(const std::vector<std::string>& frames) {
  Floor f;
  for (const std::string& fr : frames) {
    f.bytes += fr.size();
    std::size_t reply = 0;
    if (fr == p::FrameStopMeasure() || fr == p::FrameStartMeasure()) {
      f.pauses += p::kPauseAfterMeasure;
    } else if (fr == p::FrameEnterProgram() || fr == p::FrameExitProgram()) {
      f.pauses += p::kPauseAfterProgram;
    } else if (fr.rfind("$W", 0) == 0) {
      f.pauses += p::kPauseAfterWrite;
    } else if (fr.rfind("$R", 0) == 0) {
      reply = p::kTemplateRead.size();
    } else if (fr.rfind("$V", 0) == 0) {
      reply = p::kTemplateProduct.size();
    }
    f.bytes += reply;
    if (reply) f.exchanged += fr.size() + reply;
  }
  return f;
}

double Seconds(const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; }

// Processor time of this process so far: user and system (the kernel's
// work on our behalf: the pseudo-terminal's reads and writes, the waits).
struct Cpu {
  double user = 0, system = 0;
  double Total() const { return user + system; }
  Cpu operator-(const Cpu& o) const { return {user - o.user, system - o.system}; }
};

Cpu CpuNow() {
  rusage u{};
  ::getrusage(RUSAGE_SELF, &u);
  return {Seconds(u.ru_utime), Seconds(u.ru_stime)};
}

struct Timing {
  double wall = 0;
  Cpu cpu;
  double floor = 0, minimum = 0;
  std::size_t frames = 0;  // frames sent
};

Timing Median(std::vector<Timing> runs) {
  std::sort(runs.begin(), runs.end(), [](const Timing& a, const Timing& b) { return a.wall < b.wall; });
  return runs[runs.size() / 2];
}

std::vector<std::string> SimArgs(const Family& f) {
  std::vector<std::string> a = {"--model", f.model};
  if (f.variant == 1 || f.variant == 5) a.insert(a.end(), {"--variant", std::to_string(f.variant)});
  return a;
}

// The program's side of one device: state, windows, link and dialogs.
struct Program {
  explicit Program(Transport& t) : link(s, t, dialogs, busy), c{s, w, link, dialogs} { Main(c); }
  ProgramState s;
  Windows w;
  BenchDialogs dialogs;
  BusyObserver busy;
  Link link;
  Context c;
};

// The pairs WriteEprom sends for the model's factory configuration, from the
// built-in simulated converter on a virtual clock.
std::optional<std::pair<std::vector<std::uint8_t>, std::vector<std::uint8_t>>> TypicalPairs(const Family& f) {
  sim::SimOptions o;
  std::string error;
  if (!sim::ParseSimArgs(SimArgs(f), o, error)) return std::nullopt;
  o.clock = sim::ClockMode::Virtual;
  auto t = sim::MakeSimTransport(o, error);
  if (!t) return std::nullopt;
  Program prog(*t);
  if (!prog.link.OpenPort("SIM", error)) return std::nullopt;
  if (ReadEprom(prog.c) != kLetturaOk || WriteEprom(prog.c) != WriteResult::Written) return std::nullopt;
  return std::make_pair(prog.s.BufIndirizzi, prog.s.BufDati);
}

void Row(const char* what, const Timing& t) {
  std::printf("  %-6s wall %7.1f ms  floor %7.1f ms (ratio %.3f)  minimum %7.1f ms (ratio %.3f)  "
              "cpu %5.1f ms = %.1f user + %.1f system (%.2f %% of wall)\n",
              what, t.wall * 1e3, t.floor * 1e3, t.wall / t.floor, t.minimum * 1e3, t.wall / t.minimum,
              t.cpu.Total() * 1e3, t.cpu.user * 1e3, t.cpu.system * 1e3, 100.0 * t.cpu.Total() / t.wall);
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);  // QSerialPort wants one, even when blocking
  int runs = 3;
  int readings = 20;
  std::optional<int> only;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--runs" && i + 1 < argc) {
      runs = std::max(1, std::atoi(argv[++i]));
    } else if (a == "--variant" && i + 1 < argc) {
      only = std::atoi(argv[++i]);
    } else if (a == "--readings" && i + 1 < argc) {
      readings = std::max(2, std::atoi(argv[++i]));
    } else {
      std::fprintf(stderr, "usage: bench_config_families [--runs N] [--variant V] [--readings N]\n");
      return 2;
    }
  }

  std::printf("korventa-sim --baud %d, serial transport in blocking mode, %d runs (median shown), "
              "%d measurement readings\n",
              kBaud, runs, readings);
  int status = 0;
  for (const Family& f : kFamilies) {
    if (only && *only != f.variant) continue;
    const auto pairs = TypicalPairs(f);
    if (!pairs) {
      std::fprintf(stderr, "bench_config_families: variant %d: no write pairs from the simulated device\n",
                   f.variant);
      status = 1;
      continue;
    }
    test::SimProcess sim;
    std::string error;
    std::vector<std::string> args = SimArgs(f);
    args.insert(args.end(), {"--baud", std::to_string(kBaud)});
    if (!sim.Start(args, error)) {
      std::fprintf(stderr, "bench_config_families: %s\n", error.c_str());
      return 1;
    }
    qt::SerialTransport serial(qt::WaitMode::Blocking);
    RecordingTransport transport(serial);
    Program prog(transport);
    if (!prog.link.OpenPort(sim.SlavePath(), error)) {
      std::fprintf(stderr, "bench_config_families: %s\n", error.c_str());
      return 1;
    }

    auto timed = [&](auto&& op) {
      transport.frames.clear();
      const Cpu cpu0 = CpuNow();
      const auto t0 = std::chrono::steady_clock::now();
      const bool ok = op();
      const auto t1 = std::chrono::steady_clock::now();
      const Floor floor = FloorOf(transport.frames);
      Timing t{std::chrono::duration<double>(t1 - t0).count(), CpuNow() - cpu0, floor.Seconds(), floor.Minimum(),
               transport.frames.size()};
      return ok ? std::optional<Timing>(t) : std::nullopt;
    };

    std::vector<Timing> reads, writes, verifies;
    for (int i = 0; i < runs; ++i) {
      auto r = timed([&] { return ReadEprom(prog.c) == kLetturaOk; });
      auto w = timed([&] {
        prog.s.BufIndirizzi = pairs->first;
        prog.s.BufDati = pairs->second;
        return prog.link.WriteBytes(0, static_cast<int>(pairs->first.size()));
      });
      // The read-back every configuration write ends with.
      auto v = timed([&] { return VerificaScrittura(prog.c).Ok(); });
      if (!r || !w || !v) {
        std::fprintf(stderr, "bench_config_families: variant %d: run %d failed\n", f.variant, i + 1);
        return 1;
      }
      reads.push_back(*r);
      writes.push_back(*w);
      verifies.push_back(*v);
    }

    // Measurement: the loop from its first reading to the last, so the
    // preparation's exchanges stay out of the share.
    std::optional<Cpu> cpuFirst, cpuLast;
    std::chrono::steady_clock::time_point wallFirst, wallLast;
    FrmMisura& fm = prog.w.frm_misura;
    fm.Aggiornato = [&] {
      if (fm.Letture == 1 && !cpuFirst) {
        cpuFirst = CpuNow();
        wallFirst = std::chrono::steady_clock::now();
      }
      if (fm.Letture >= readings && prog.s.InMisura) {
        cpuLast = CpuNow();
        wallLast = std::chrono::steady_clock::now();
        prog.s.InMisura = false;
      }
    };
    const EsitoMisura esito = Cmd_StartRead_Click(prog.c);
    fm.Aggiornato = nullptr;
    prog.link.ClosePort();

    const Timing read = Median(reads), write = Median(writes);
    std::printf("variant %d (%s): read %zu frames, write %zu pairs\n", f.variant, f.note, read.frames,
                pairs->first.size());
    Row("read", read);
    Row("write", write);
    Row("verify", Median(verifies));
    if (esito == EsitoMisura::Fermata && cpuFirst && cpuLast) {
      const double wall = std::chrono::duration<double>(wallLast - wallFirst).count();
      const Cpu cpu = *cpuLast - *cpuFirst;
      std::printf("  measure %d readings in %.1f s (%.1f per second), cpu %.1f ms = %.1f user + %.1f system "
                  "(%.2f %% of wall)\n",
                  readings - 1, wall, (readings - 1) / wall, cpu.Total() * 1e3, cpu.user * 1e3, cpu.system * 1e3,
                  100.0 * cpu.Total() / wall);
    } else {
      std::printf("  measure: did not run to the end (%d)\n", static_cast<int>(esito));
      status = 1;
    }
    if (prog.dialogs.failures) status = 1;
  }
  return status;
}
