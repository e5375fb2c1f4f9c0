// korventa-cli bench ACTION: one instrument operation, for technicians
// checking a bench and for scripts. With --simulate the whole virtual bench
// runs in-process, wired to the simulated converter.
#include <cstdio>

#include "cli/banco.h"
#include "cli/commands.h"
#include "instruments/strumenti.h"

namespace korventa::cli {

namespace {

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

bool Indice(const std::string& testo, int& indice) { return ParseInt(testo, 0, 1, indice); }

}  // namespace

int CmdBench(Session& s, const Args& args, std::ostream& out, std::ostream& err) {
  SelettoriStrumenti sel;
  if (const int rc = SelettoriDaOpzioni(s.options, sel, err); rc != kExitOk) return rc;
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
  if (!ApriBanco(s, sel, sim::BenchRole::Mult, banco, error)) {
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

}  // namespace korventa::cli
