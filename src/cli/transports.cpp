#include "cli/app.h"

#include <fcntl.h>
#include <unistd.h>

#include "sim/options.h"

#ifdef KORVENTA_HAVE_QT_TRANSPORT
#include "qt/link/serial_transport.h"
#endif

namespace korventa::cli {

std::unique_ptr<Transport> SimulatedTransport(const GlobalOptions& options, bool virtualClock, std::string& error) {
  sim::SimOptions sim;
  sim.clock = virtualClock ? sim::ClockMode::Virtual : sim::ClockMode::RealTime;
  std::string optionText = options.simulate;
  for (const auto& opt : options.simArgs) {
    if (opt == "virtual-clock") {
      sim.clock = sim::ClockMode::Virtual;
      continue;
    }
    // The model is --simulate's; a bare word here is a flag or a mistake,
    // never a model taken in its place.
    if (opt.find('=') == std::string::npos && opt != "split" && opt != "real-time") {
      error = "--sim-opt: unknown key \"" + opt + "\" (KEY=VALUE, or the flags split, real-time, virtual-clock)";
      return nullptr;
    }
    optionText += "," + opt;
  }
  if (!sim::ParseSimOptionString(optionText, sim, error)) return nullptr;
  return sim::MakeSimTransport(sim, error);
}

std::unique_ptr<Transport> VirtualSimulatedTransport(const GlobalOptions& options, std::string& error) {
  return SimulatedTransport(options, true, error);
}

std::unique_ptr<Transport> DefaultTransport(const GlobalOptions& options, std::string& error) {
  if (!options.simulate.empty()) {
    // A person trying the program sees the device's real pace; scripts may
    // ask for the virtual clock ("--sim-opt virtual-clock").
    return SimulatedTransport(options, false, error);
  }
  // A path that names something other than a terminal (/dev/null, a plain
  // file, a FIFO) would take every frame and answer nothing; say what it is
  // instead of letting each command time out.
  if (options.port.rfind('/', 0) == 0) {
    const int fd = ::open(options.port.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) {
      const bool terminal = ::isatty(fd) != 0;
      ::close(fd);
      if (!terminal) {
        error = "cannot open port " + options.port + ": it is not a serial port";
        return nullptr;
      }
    }
  }
#ifdef KORVENTA_HAVE_QT_TRANSPORT
  return qt::SerialPortFactory(qt::WaitMode::Blocking).MakePort(options.port, kDeviceLine);
#else
  error = "this build has no serial port support; use --simulate MODEL";
  return nullptr;
#endif
}

}  // namespace korventa::cli
