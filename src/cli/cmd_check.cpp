// korventa-cli check: the calibration check headless. The instruments are
// set up as the instrument window's OK button sets them (automatic mode:
// every instrument driven), the check run goes through its three points and
// the report is printed (and saved with --report).
#include <fstream>

#include "calibration/verifica.h"
#include "cli/banco.h"
#include "cli/commands.h"
#include "files/safe_file.h"
#include "instruments/strumenti.h"

namespace korventa::cli {

namespace {

// An input type by its list entry ("mA", "Tc K", "Pt100") or the entry's
// first word ("mVL", "mVH"); spaces do not count ("TcK").
int IndiceIngresso(const std::string& testo) {
  auto compatto = [](std::string t) {
    std::erase(t, ' ');
    return t;
  };
  const auto& t = IngressiCalibratore();
  for (std::size_t i = 0; i < t.size(); ++i) {
    const std::string voce = t[i].voce;
    const std::string parola = voce.substr(0, voce.find_first_of(" :"));
    if (compatto(testo) == compatto(voce) || testo == parola) return static_cast<int>(i);
  }
  return -1;
}

int IndiceDispositivo(const std::string& testo) {
  const auto& d = DispositiviVerifica();
  for (std::size_t i = 0; i < d.size(); ++i)
    if (testo == d[i]) return static_cast<int>(i);
  return -1;
}

std::string SenzaCr(std::string t) {
  std::erase(t, '\r');
  return t;
}

}  // namespace

int CmdCheck(Session& s, OptionValues o, std::ostream& out, std::ostream& err) {
  std::string error;
  auto uso = [&err](const std::string& perche) { return UsageError(err, "check", perche); };
  for (const char* n : {"--device", "--input", "--min", "--max", "--output"})
    if (!o.count(n)) return uso(std::string(n) + " is missing");
  const int dispositivo = IndiceDispositivo(o["--device"]);
  if (dispositivo < 0) return uso("unknown device " + o["--device"]);
  const int ingresso = IndiceIngresso(o["--input"]);
  if (ingresso < 0) return uso("unknown input type " + o["--input"]);
  if (!NumeroDaTesto(o["--min"]) || !NumeroDaTesto(o["--max"])) return uso("--min and --max take numbers");
  if (o["--output"] != "V" && o["--output"] != "mA") return uso("--output takes V or mA");
  const std::string alim = o.count("--supply") ? o["--supply"] : "24";
  if (!NumeroDaTesto(alim)) return uso("--supply takes a number of volts");
  int canale = 0;
  if (o.count("--channel") && !ParseInt(o["--channel"], 0, 1, canale)) return uso("--channel takes 0 or 1");

  SelettoriStrumenti sel;
  if (const int rc = SelettoriDaOpzioni(s.options, sel, err); rc != kExitOk) return rc;
  Banco banco;
  if (!ApriBanco(s, sel, sim::BenchRole::Mult, banco, error)) {
    err << "korventa-cli: " << error << '\n';
    return kExitUsage;
  }
  Strumenti strumenti(s.state, sel, *banco.porte, *banco.usb, s.dialogs);
  Context c{s.state, s.windows, DispositivoDelBanco(s, banco), s.dialogs};
  Windows& w = s.windows;
  Verifica v{c, strumenti, w.frm_verifica, w.interfaccia_strum_ver, w.Taratura};
  InterfacciaStrumVer& i = w.interfaccia_strum_ver;
  comm_strum_Click(v);
  mode_aut_man_Click(v, 0);
  i.val_alim_ver.Text = alim;
  i.outvi.Select(o["--output"] == "mA" ? 1 : 0);
  disp_un_sw_Click(v, dispositivo);
  i.sel_can_usw.Select(canale);
  i.minimo.Text = o["--min"];
  i.massimo.Text = o["--max"];
  calibratore_in_Click(v, ingresso);
  const bool ok = EseguiVerifica(v);

  const std::string& report = w.frm_verifica.report_ver.Text;
  out << SenzaCr(report);
  if (o.count("--report") && !report.empty()) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(report.data());
    if (!WriteFileAtomically(o["--report"], {p, report.size()}, error)) {
      err << "korventa-cli: " << error << '\n';
      return kExitFile;
    }
  }
  if (ok) return kExitOk;
  return strumenti.Errore().empty() ? kExitRefused : kExitComm;
}

}  // namespace korventa::cli
