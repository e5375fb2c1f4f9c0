// korventa-cli forcing: the bench-test window's output forcing. The raw
// values go to the device every round until the time is up or Ctrl-C, and
// the device always leaves forcing afterwards.
#include "cli/banco.h"
#include "cli/commands.h"
#include "cli/interrupt.h"
#include "factory/frm_test.h"
#include "instruments/strumenti.h"

namespace korventa::cli {

int CmdForcing(Session& s, OptionValues o, std::ostream& out, std::ostream& err) {
  auto uso = [&err](const std::string& perche) { return UsageError(err, "forcing", perche); };
  if (!o.count("--a") && !o.count("--b")) return uso("name a raw value with --a or --b");
  std::optional<double> secondi;
  if (o.count("--seconds") && (!(secondi = NumeroDaTesto(o["--seconds"])) || *secondi < 0))
    return uso("--seconds takes a number of seconds");

  FrmTest& f = s.windows.frm_test;
  f.Text1[2].Text = o.count("--a") ? o["--a"] : "";
  f.Text1[1].Text = o.count("--b") ? o["--b"] : "";
  InterruptFlag ctrlC;
  const Clock::time_point fine = s.link.transport().Now() + std::chrono::duration_cast<Clock::duration>(
                                                                std::chrono::duration<double>(secondi.value_or(0)));
  f.Aggiornato = [&] {
    if (f.Forzatura && (ctrlC.Set() || (secondi && s.link.transport().Now() >= fine))) Command8_Click(f);
  };
  out << "forcing" << (o.count("--a") ? " A=" + o["--a"] : "") << (o.count("--b") ? " B=" + o["--b"] : "")
      << (secondi ? "" : " until Ctrl-C") << std::endl;
  Context c = s.ctx();
  EsitoTest esito;
  if (o.count("--a") && o.count("--b"))
    esito = Command11_Click(c, f);
  else if (o.count("--a"))
    esito = Command7_Click(c, f);
  else
    esito = Command10_Click(c, f);
  f.Aggiornato = nullptr;
  if (esito == EsitoTest::Rifiutato) return kExitUsage;
  out << "forcing ended\n";
  return esito == EsitoTest::Fermato ? kExitOk : kExitComm;
}

}  // namespace korventa::cli
