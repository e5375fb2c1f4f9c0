// korventa-sim: a virtual converter behind a pseudo-terminal.
#include <signal.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "sim/bench/bench_server.h"
#include "sim/options.h"
#include "sim/pty_server.h"

namespace {

// Only interrupts the wait; the server sees the interruption and stops.
extern "C" void OnStopSignal(int) {}

}  // namespace

int main(int argc, char** argv) {
  using namespace korventa::sim;
  std::vector<std::string> args(argv + 1, argv + argc);
  SimOptions options;
  std::string error;
  if (!ParseSimArgs(args, options, error)) {
    std::fprintf(stderr, "korventa-sim: %s\n%s", error.c_str(), "Try korventa-sim --help.\n");
    return 2;
  }
  if (options.help) {
    std::fputs(SimUsage().c_str(), stdout);
    return 0;
  }
  options.log = [](const std::string& message) { std::fprintf(stderr, "korventa-sim: %s\n", message.c_str()); };

  ConverterConfig config;
  if (!MakeConverterConfig(options, config, error)) {
    std::fprintf(stderr, "korventa-sim: %s\n", error.c_str());
    return 2;
  }

  // SIGINT and SIGTERM are held back except while the server waits, so
  // they end the wait instead of the process.
  sigset_t stopSignals, waitMask;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  sigprocmask(SIG_BLOCK, &stopSignals, &waitMask);
  sigdelset(&waitMask, SIGINT);
  sigdelset(&waitMask, SIGTERM);
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  signal(SIGPIPE, SIG_IGN);

  const DeviceIdentity id = config.identity;
  // The bench is wired to the converter through its measurement model.
  std::unique_ptr<VirtualBench> bench;
  if (options.bench) {
    BenchOptions benchOptions;
    benchOptions.seed = options.unit;
    benchOptions.idleSignals = options.inputSignals;
    bench = std::make_unique<VirtualBench>(id, benchOptions);
    config.model = bench->Model();
  }
  PtyServer server(std::move(config), options.faults, options.baud);
  if (!server.Open(error)) {
    std::fprintf(stderr, "korventa-sim: %s\n", error.c_str());
    return 1;
  }
  std::unique_ptr<BenchServer> instruments;
  PtyServer::RunOptions run;
  if (bench) {
    bench->Attach(server.Converter());
    instruments = std::make_unique<BenchServer>(*bench);
    if (!instruments->Open(options.benchPort, error)) {
      std::fprintf(stderr, "korventa-sim: %s\n", error.c_str());
      return 1;
    }
    run.watch = [&](std::vector<pollfd>& fds) { instruments->Watch(fds); };
    run.serve = [&](const std::vector<pollfd>& ready) { instruments->Serve(ready); };
    std::printf("eut %s\n", server.SlavePath().c_str());
    for (const auto& [role, path] : instruments->Paths()) std::printf("%s %s\n", BenchRoleName(role), path.c_str());
    std::printf("gen-tcp TCPIP0::127.0.0.1::%d::SOCKET\n", instruments->TcpPort());
  } else {
    std::printf("%s\n", server.SlavePath().c_str());
  }
  std::fflush(stdout);
  std::fprintf(stderr, "korventa-sim: %s (family %d, variant %d, firmware %d) on %s\n", id.model.c_str(),
               id.product, id.variant, id.firmware, server.SlavePath().c_str());

  run.stopOnStdinEof = options.stdinExit;
  run.waitMask = &waitMask;
  return server.Run(run);
}
