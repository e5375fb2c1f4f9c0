#include "cli/app.h"
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
#ifdef KORVENTA_HAVE_QT_TRANSPORT
  return qt::SerialPortFactory(qt::WaitMode::Blocking).MakePort(options.port, kDeviceLine);
#else
  error = "this build has no serial port support; use --simulate MODEL";
  return nullptr;
#endif
}

}  // namespace korventa::cli
