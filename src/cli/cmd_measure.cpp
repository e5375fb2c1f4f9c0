// korventa-cli measure: live measurement as the measurement window runs it,
// each reading printed in engineering terms or as CSV rows (the rows the
// window's Record button writes), until the count is reached or Ctrl-C.
#include <chrono>

#include "app/command_line.h"
#include "app/identify.h"
#include "cli/commands.h"
#include "cli/interrupt.h"
#include "config/read_config.h"
#include "measure/frm_misura.h"

namespace korventa::cli {

namespace {

constexpr const char* kChannels[] = {"A", "B"};

std::string Lamp(int colour) {
  if (colour == kColoreGiallo) return "pending";
  if (colour == kColoreRosso) return "tripped";
  return "off";
}

// What the window shows once the channels are prepared.
void Summary(const Context& c, std::ostream& out) {
  const FrmMisura& f = c.w.frm_misura;
  const std::string code = CodiceModelloRiconosciuto(c);
  out << "device: " << (code.empty() ? std::string("unknown model") : NomeModelloRiconosciuto(c) + " (" + code + ")")
      << ", ID=" << int(c.s.CodProdotto) << "/" << int(c.s.CodVariante) << '\n';
  const auto shown = CanaliMostrati(f);
  for (std::size_t ch = 0; ch < 2; ++ch) {
    if (!shown[ch]) continue;
    if (f.lbl_progIn[ch].Visible) out << kChannels[ch] << " input: " << f.lbl_progIn[ch].Caption << '\n';
    out << kChannels[ch] << " output: " << f.lbl_progOut[ch].Caption << '\n';
  }
  for (std::size_t t = 0; t < 2; ++t) {
    if (!f.frm_soglia[t].Visible) continue;
    const std::size_t k = 4 * t;
    out << "trip " << kChannels[t] << ": " << f.lbl_progTrip[k].Text << ", " << f.lbl_progTrip[k + 1].Text << ", "
        << f.lbl_progTrip[k + 2].Text << ", " << f.lbl_progTrip[k + 3].Text << '\n';
  }
}

// One line per channel: output and input with their units, then the trip
// lamps of the models that have them.
void Reading(const FrmMisura& f, long n, std::ostream& out) {
  const Lettura& l = *f.UltimaLettura;
  const auto shown = CanaliMostrati(f);
  for (std::size_t ch = 0; ch < 2; ++ch) {
    if (!shown[ch]) continue;
    const LetturaCanale& r = l.Canali[ch];
    out << n << ' ' << kChannels[ch] << "  output " << (r.Uscita ? r.TestoUscita : std::string("-")) << "  input "
        << (r.Ingresso ? r.Numero + (r.UnitaTecnica.empty() ? "" : " " + r.UnitaTecnica) : std::string("-"));
    if (ch == 0) {
      if (f.frm_soglia[0].Visible) out << "  trip A " << Lamp(l.Led[0]);
      if (f.frm_soglia[1].Visible) out << "  trip B " << Lamp(l.Led[1]);
      if (f.frm_soglia[2].Visible) out << "  alarm " << (l.Led[2] == kColoreRosso ? "on" : "off");
    }
    out << '\n';
  }
}

struct MeasureOptions {
  int count = 0;  // 0: until Ctrl-C
  bool csv = false;
};

int Measure(Session& s, const MeasureOptions& o, std::ostream& out, std::ostream& err) {
  const int count = o.count;
  const bool csv = o.csv;

  Context c = s.ctx();
  if (!c.w.frm_program.Caricato) FrmProgram_Load(c.s, c.w.frm_program);
  // As on the desktop, the configuration is read first: the model, the
  // programming window's values and the window set-up the measurement
  // builds on.
  s.dialogs.ResetRetries();
  switch (ReadEprom(c)) {
    case kLetturaOk:
      break;
    case kLetturaRifiutata:
      err << "korventa-cli: measure: the device is not one this program configures (family "
          << int(s.state.CodProdotto) << ")\n";
      return kExitRefused;
    default:
      err << "korventa-cli: measure: the configuration could not be read\n";
      return kExitComm;
  }

  // Ctrl-C, SIGTERM, SIGHUP or a reader that closed the pipe end the run
  // the way its own end does: the device is told to stop streaming.
  InterruptFlag stop(true);
  FrmMisura& f = c.w.frm_misura;
  long printed = 0;
  bool prepared = false;
  f.Aggiornato = [&] {
    if (!f.InCorso) return;  // the end of the run
    if (!prepared) {
      prepared = true;
      if (csv)
        out << IntestazioneCsv() << '\n';
      else
        Summary(c, out);
      out.flush();
    }
    if (f.Letture > printed && f.UltimaLettura) {
      printed = f.Letture;
      if (csv) {
        const std::string stamp = TimbroIso(std::chrono::system_clock::now());
        for (const auto& row : RigheCsv(stamp, *f.UltimaLettura, CanaliMostrati(f))) out << row << '\n';
      } else {
        Reading(f, printed, out);
      }
      out.flush();
      s.dialogs.ResetRetries();
    }
    if ((count > 0 && printed >= count) || stop.Set() || !out) c.s.InMisura = false;
  };
  s.dialogs.ResetRetries();
  const EsitoMisura esito = Cmd_StartRead_Click(c);
  f.Aggiornato = nullptr;

  switch (esito) {
    case EsitoMisura::Fermata:
      return kExitOk;
    case EsitoMisura::Identificazione:
      err << "korventa-cli: measure: the device did not identify itself\n";
      return kExitComm;
    case EsitoMisura::Calibrazione:
      err << "korventa-cli: measure: the output calibration could not be read\n";
      return kExitComm;
    default:
      err << "korventa-cli: measure: the device stopped sending readings\n";
      return kExitComm;
  }
}

}  // namespace

void AddMeasureCommand(CommandTable& table) {
  auto o = std::make_shared<MeasureOptions>();
  CLI::App& c = table.Add("measure",
                          "live measurement: each reading's output and input in engineering units, until N readings "
                          "or Ctrl-C",
                          Device::Needed, [o](Session& s, std::ostream& out, std::ostream& err) {
                            return Measure(s, *o, out, err);
                          });
  AddNumberOption(c, "--count", o->count, 1, 1000000000, "stop after N readings");
  c.add_flag("--csv", o->csv, "print the rows of the measurement window's recording");
}

}  // namespace korventa::cli
