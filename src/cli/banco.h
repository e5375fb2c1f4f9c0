// What the bench commands share: the instrument selectors from
// --instrument, and the instruments themselves (real ports and channels, or
// with --simulate the in-process virtual bench wired to a simulated
// converter of its own).
#pragma once

#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "cli/session.h"
#include "instruments/selettori.h"
#include "sim/bench/bench.h"

namespace korventa::cli {

// The selectors --instrument ROLE=SELECTOR names; kExitUsage (said on err)
// for a role or selector the bench does not know.
int SelettoriDaOpzioni(const GlobalOptions& options, SelettoriStrumenti& sel, std::ostream& err);

struct Banco {
  std::unique_ptr<sim::VirtualBench> virtuale;
  std::unique_ptr<Transport> convertitore;
  std::unique_ptr<PortFactory> porte;
  std::unique_ptr<InstrumentIoFactory> usb;
  std::unique_ptr<Link> link;
};

// The instruments' ports and the USB/LAN channel; with --simulate the
// channel on the selectors' resource is the virtual instrument `usb`.
bool ApriBanco(Session& s, const SelettoriStrumenti& sel, sim::BenchRole usb, Banco& b, std::string& error);

// The device the bench is wired to: with --simulate the converter of the
// virtual bench (so the instruments see its outputs and drive its inputs),
// otherwise the session's device.
Link& DispositivoDelBanco(Session& s, Banco& b);

}  // namespace korventa::cli
