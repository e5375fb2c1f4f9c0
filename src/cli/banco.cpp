#include "cli/banco.h"

#include "cli/commands.h"
#include "sim/options.h"

#ifdef KORVENTA_HAVE_QT_TRANSPORT
#include "qt/link/instrument_channels.h"
#include "qt/link/serial_transport.h"
#endif

namespace korventa::cli {

namespace {

// The selector list as it stands, a device path or (for the multimeters
// and the USB channel) an instrument resource.
bool SelettoreValido(Ruolo ruolo, const std::string& testo) {
  if (!testo.empty() && testo[0] == '/') return true;
  if (EUnaRisorsa(testo)) return ruolo == Ruolo::Mult || ruolo == Ruolo::Mult1;
  for (const auto& v : VociSelettore())
    if (v == testo) return true;
  return false;
}

}  // namespace

int SelettoriDaOpzioni(const GlobalOptions& options, SelettoriStrumenti& sel, std::ostream& err) {
  for (const auto& voce : options.instruments) {
    const auto uguale = voce.find('=');
    const std::string nome = voce.substr(0, uguale);
    const std::string testo = uguale == std::string::npos ? "" : voce.substr(uguale + 1);
    if (nome == "usb" && !testo.empty()) {
      sel.risorsaUsb = testo;
      continue;
    }
    const auto ruolo = RuoloDaChiave(nome);
    if (!ruolo || *ruolo == Ruolo::Disp || !SelettoreValido(*ruolo, testo)) {
      err << "korventa-cli: --instrument " << voce
          << ": expected ROLE=SELECTOR, ROLE supply, switch, mult, mult1, cal or usb, SELECTOR Com1..Com8, "
             "Usb1..Usb4, Manuale, a device path or (mult, usb) an instrument resource\n";
      return kExitUsage;
    }
    sel.Testo(*ruolo) = testo;
  }
  return kExitOk;
}

bool ApriBanco(Session& s, const SelettoriStrumenti& sel, sim::BenchRole usb, Banco& b, std::string& error) {
  if (!s.options.simulate.empty()) {
    sim::SimOptions o;
    o.clock = sim::ClockMode::Virtual;
    if (!sim::ParseSimOptionString(s.options.simulate, o, error)) return false;
    auto t = sim::MakeSimTransportWithBench(o, b.virtuale, error);
    if (!t) return false;
    b.convertitore = std::move(t);
    b.porte = b.virtuale->Ports(sim::BenchPortNames(sel));
    b.usb = b.virtuale->Channels({{sel.risorsaUsb, usb}});
    return true;
  }
#ifdef KORVENTA_HAVE_QT_TRANSPORT
  b.porte = std::make_unique<qt::SerialPortFactory>(qt::WaitMode::Blocking);
  b.usb = std::make_unique<qt::InstrumentChannelFactory>(qt::WaitMode::Blocking);
  return true;
#else
  error = "this build has no serial port support; use --simulate MODEL";
  return false;
#endif
}

Link& DispositivoDelBanco(Session& s, Banco& b) {
  if (!b.convertitore) return s.link;
  if (!b.link) {
    b.link = std::make_unique<Link>(s.state, *b.convertitore, s.dialogs, s.busy);
    std::string error;
    b.link->OpenPort("SIM", error);
  }
  return *b.link;
}

}  // namespace korventa::cli
