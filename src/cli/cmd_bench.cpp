// korventa-cli bench ACTION: one instrument operation, for technicians
// checking a bench and for scripts. With --simulate the whole virtual bench
// runs in-process, wired to the simulated converter.
#include <cstdio>
#include <map>
#include <memory>

#include "app/command_line.h"
#include "cli/commands.h"
#include "instruments/strumenti.h"
#include "sim/bench/bench.h"
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

std::string Due(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.2f", v);
  return buf;
}

std::string Numero(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.3f", v);
  return buf;
}

struct Banco {
  std::unique_ptr<sim::VirtualBench> virtuale;
  std::unique_ptr<Transport> convertitore;
  std::unique_ptr<PortFactory> porte;
  std::unique_ptr<InstrumentIoFactory> usb;
};

// The instruments' ports: the real ones, or the in-process virtual bench
// under the names the selectors give.
bool ApriBanco(Session& s, const SelettoriStrumenti& sel, Banco& b, std::string& error) {
  if (!s.options.simulate.empty()) {
    sim::SimOptions o;
    o.clock = sim::ClockMode::Virtual;
    if (!sim::ParseSimOptionString(s.options.simulate, o, error)) return false;
    auto t = sim::MakeSimTransportWithBench(o, b.virtuale, error);
    if (!t) return false;
    b.convertitore = std::move(t);
    b.porte = b.virtuale->Ports(sim::BenchPortNames(sel));
    b.usb = b.virtuale->Channels({{sel.risorsaUsb, sim::BenchRole::Mult}});
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

bool ParseInt(const std::string& testo, int lo, int hi, int& out) {
  long long v = 0;
  if (!ParseWholeNumber(testo, lo, hi, v)) return false;
  out = static_cast<int>(v);
  return true;
}

bool Indice(const std::string& testo, int& indice) { return ParseInt(testo, 0, 1, indice); }

int Bench(Session& s, const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  SelettoriStrumenti sel;
  for (const auto& voce : s.options.instruments) {
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
  const std::string azione = args.empty() ? "" : args[0];
  const std::size_t n = args.size();
  auto uso = [&err](const std::string& testo) {
    err << "korventa-cli: bench " << testo << "\n";
    return kExitUsage;
  };
  int comando = 0, indice = 0;
  std::array<int, 4> dati{};
  double valore = 0;
  if (azione == "cal-set") {
    if (n != 2 || !NumeroDaTesto(args[1])) return uso("cal-set VALUE");
    valore = *NumeroDaTesto(args[1]);
  } else if (azione == "cal-send") {
    if (n != 6 || !ParseInt(args[1], 0, 255, comando)) return uso("cal-send CMD D1 D2 D3 D4 (numbers 0 to 255)");
    for (std::size_t i = 0; i < 4; ++i)
      if (!ParseInt(args[i + 2], 0, 255, dati[i])) return uso("cal-send CMD D1 D2 D3 D4 (numbers 0 to 255)");
  } else if (azione == "mult-set") {
    if (n != 4 || !Indice(args[1], indice) || (args[2] != "REM" && args[2] != "LOC") ||
        (args[3] != "VOLT" && args[3] != "CURR"))
      return uso("mult-set INDEX REM|LOC VOLT|CURR (INDEX 0 or 1)");
  } else if (azione == "mult-read") {
    if (n != 2 || !Indice(args[1], indice)) return uso("mult-read INDEX (0 or 1)");
  } else if (azione == "switch") {
    if (n != 2) return uso("switch CHANNELS (e.g. 101A102C)");
  } else if (azione == "supply") {
    if (n != 3 || (args[1] != "on" && args[1] != "off") || !NumeroDaTesto(args[2]))
      return uso("supply on|off VOLTS");
    valore = *NumeroDaTesto(args[2]);
  } else if ((azione == "ambient" || azione == "beep" || azione == "supply-current") && n == 1) {
  } else {
    return uso("ACTION: cal-set, cal-send, ambient, mult-set, mult-read, beep, switch, supply, supply-current");
  }

  Banco banco;
  std::string error;
  if (!ApriBanco(s, sel, banco, error)) {
    err << "korventa-cli: " << error << '\n';
    return kExitUsage;
  }
  Strumenti strumenti(s.state, sel, *banco.porte, *banco.usb, s.dialogs);
  bool ok = true;
  if (azione == "cal-set") {
    ok = strumenti.ImpostaCal(valore);
  } else if (azione == "cal-send") {
    std::array<std::uint8_t, 4> d{};
    for (std::size_t i = 0; i < 4; ++i) d[i] = static_cast<std::uint8_t>(dati[i]);
    ok = strumenti.InviaCal(1, comando, d);
    if (ok) out << int{d[0]} << ' ' << int{d[1]} << ' ' << int{d[2]} << ' ' << int{d[3]} << '\n';
  } else if (azione == "ambient") {
    const auto t = strumenti.LeggiTempAmbiente();
    ok = t.has_value();
    if (ok) out << Due(*t) << '\n';
  } else if (azione == "mult-set") {
    ok = strumenti.ImpostaMult(indice, args[2], args[3]);
  } else if (azione == "mult-read") {
    const auto v = strumenti.LeggiMult(indice);
    ok = v.has_value();
    if (ok) out << Numero(*v) << '\n';
  } else if (azione == "beep") {
    ok = strumenti.BeepMult();
  } else if (azione == "switch") {
    ok = strumenti.ImpostaSwitch(args[1]);
  } else if (azione == "supply") {
    ok = strumenti.ImpostaAlim(args[1] == "on", Due(valore));
  } else if (azione == "supply-current") {
    const double mA = strumenti.LeggiCorrAlim();
    ok = mA >= 0;
    if (ok) out << Numero(mA) << '\n';
  }
  if (!ok) {
    err << "korventa-cli: " << strumenti.Errore() << '\n';
    return kExitComm;
  }
  return kExitOk;
}

}  // namespace

void AddBenchCommand(CommandTable& table) {
  auto azione = std::make_shared<CLI::App*>(nullptr);
  CLI::App& c = table.Add("bench",
                          "drive one bench instrument (see --instrument): cal-set VALUE, cal-send CMD D1 D2 D3 D4, "
                          "ambient, mult-set INDEX REM|LOC VOLT|CURR, mult-read INDEX, beep, switch CHANNELS, "
                          "supply on|off VOLTS, supply-current",
                          Device::NotNeeded, [azione](Session& s, std::ostream& out, std::ostream& err) {
                            return Bench(s, (*azione)->remaining(), out, err);
                          });
  // The action and its arguments are taken as they stand (a value may be
  // negative, which an option parser would take for an option).
  c.prefix_command();
  *azione = &c;
}

}  // namespace korventa::cli
