// The bench the factory commands work with: the instruments' ports (real,
// or the in-process virtual bench with --simulate) and the selectors from
// --instrument.
#pragma once

#include <memory>
#include <ostream>
#include <string>

#include "cli/session.h"
#include "instruments/instrument_io.h"
#include "instruments/selettori.h"
#include "link/port_factory.h"
#include "sim/bench/bench.h"

namespace korventa::cli {

struct Banco {
  std::unique_ptr<sim::VirtualBench> virtuale;
  // The simulated converter wired to the virtual bench (with --simulate);
  // on a real bench the device port is made from its selector.
  std::unique_ptr<Transport> convertitore;
  std::unique_ptr<PortFactory> porte;
  std::unique_ptr<InstrumentIoFactory> usb;
};

// The --instrument options into the selectors; false after printing the
// usage of the option for a bad one. `disp` allows the device-under-test
// role ("eut").
bool SelettoriDaOpzioni(const Session& s, SelettoriStrumenti& sel, bool disp, std::ostream& err);
bool ApriBanco(Session& s, const SelettoriStrumenti& sel, Banco& b, std::string& error);

}  // namespace korventa::cli
