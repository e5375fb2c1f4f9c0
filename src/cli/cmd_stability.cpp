// korventa-cli stability and linearity: the bench-test window's two tests,
// each deviation printed on its own line as the window lists it, until the
// test ends, the count is reached or Ctrl-C.
#include "cli/banco.h"
#include "cli/commands.h"
#include "cli/interrupt.h"
#include "factory/frm_test.h"
#include "instruments/strumenti.h"

namespace korventa::cli {

namespace {

// Prints the deviations the list gained since the last call.
struct Stampa {
  const FrmTest& f;
  std::ostream& out;
  std::size_t stampate = 0;
  void operator()() {
    for (; stampate < f.List1.size(); ++stampate) out << f.List1[stampate] << std::endl;
  }
};

int Esito(EsitoTest e, std::ostream& err) {
  switch (e) {
    case EsitoTest::Fermato:
      return kExitOk;
    case EsitoTest::Stato:
      err << "korventa-cli: the device reported a non-zero status; test ended\n";
      return kExitComm;
    default:
      return kExitComm;
  }
}

bool Numeri(std::map<std::string, std::string>& o, std::initializer_list<const char*> nomi, std::string& error) {
  for (const char* n : nomi)
    if (o.count(n) && !NumeroDaTesto(o[n])) {
      error = std::string(n) + " takes a number";
      return false;
    }
  return true;
}

}  // namespace

int CmdStability(Session& s, OptionValues o, std::ostream& out, std::ostream& err) {
  std::string error;
  auto uso = [&err](const std::string& perche) { return UsageError(err, "stability", perche); };
  if (!Numeri(o, {"--ref", "--tol"}, error)) return uso(error);
  if (!o.count("--ref") || !o.count("--tol")) return uso("--ref and --tol are needed");
  int conta = 0;
  if (o.count("--count") && !ParseInt(o["--count"], 1, 1000000, conta)) return uso("--count takes a number from 1");
  if (s.link.ReadProduct()[0] != 0) {
    err << "korventa-cli: the device does not answer\n";
    return kExitComm;
  }
  FrmTest& f = s.windows.frm_test;
  f.Text1[0].Text = o["--ref"];
  f.Text2.Text = o["--tol"];
  Context c = s.ctx();
  InterruptFlag ctrlC;
  Stampa stampa{f, out};
  f.Aggiornato = [&] {
    stampa();
    if (f.InCorso && (ctrlC.Set() || (conta > 0 && f.Punti.size() >= static_cast<std::size_t>(conta))))
      Command3_Click(c, f);
  };
  const EsitoTest e = Command1_Click(c, f);
  f.Aggiornato = nullptr;
  return Esito(e, err);
}

int CmdLinearity(Session& s, OptionValues o, std::ostream& out, std::ostream& err) {
  std::string error;
  auto uso = [&err](const std::string& perche) { return UsageError(err, "linearity", perche); };
  const auto nomi = {"--start", "--end", "--step", "--delay-step", "--delay-measure", "--tol"};
  if (!Numeri(o, nomi, error)) return uso(error);
  if (!o.count("--start") || !o.count("--end") || !o.count("--step"))
    return uso("--start, --end and --step are needed");
  if (*NumeroDaTesto(o["--step"]) <= 0) return uso("--step must be above 0");

  SelettoriStrumenti sel;
  if (const int rc = SelettoriDaOpzioni(s.options, sel, err); rc != kExitOk) return rc;
  Banco banco;
  if (!ApriBanco(s, sel, sim::BenchRole::Generator, banco, error)) {
    err << "korventa-cli: " << error << '\n';
    return kExitUsage;
  }
  Strumenti strumenti(s.state, sel, *banco.porte, *banco.usb, s.dialogs);
  Context c{s.state, s.windows, DispositivoDelBanco(s, banco), s.dialogs};
  if (c.link.ReadProduct()[0] != 0) {
    err << "korventa-cli: the device does not answer\n";
    return kExitComm;
  }
  FrmTest& f = s.windows.frm_test;
  f.Text3.Text = o["--start"];
  f.Text4.Text = o["--end"];
  f.Text5.Text = o["--step"];
  if (o.count("--delay-step")) f.Text6.Text = o["--delay-step"];
  if (o.count("--delay-measure")) f.Text9.Text = o["--delay-measure"];
  if (o.count("--tol")) f.Text7.Text = o["--tol"];
  InterruptFlag ctrlC;
  Stampa stampa{f, out};
  f.Aggiornato = [&] {
    stampa();
    if (f.InCorso && ctrlC.Set()) Command3_Click(c, f);
  };
  const EsitoTest e = Command4_Click(c, f, strumenti);
  f.Aggiornato = nullptr;
  return Esito(e, err);
}

}  // namespace korventa::cli
