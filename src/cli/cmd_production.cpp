// korventa-cli production: the factory's production run, headless. Each
// step's row is printed as it completes, then the whole table; --json gives
// the rows and the verdict as one document instead; --certificate also
// writes the run's calibration certificate as a PDF file.
//
// The reports folder keeps the log line of every run and the step table of
// each model's last run, which --resume picks up in a later process. Ctrl-C
// is the window's STOP: the run ends after the step on hand, with the supply
// off and the device out of program mode.
#include <algorithm>
#include <cstdio>
#include <sstream>

#include "app/json.h"
#include "cli/banco.h"
#include "cli/commands.h"
#include "cli/interrupt.h"
#include "cli/pdf.h"
#include "factory/collaudo.h"
#include "factory/rapporto.h"
#include "factory/ripresa.h"

namespace korventa::cli {

namespace {

constexpr int kExitRedRows = 5;

// The Abort/Retry/Ignore questions of the run answered as --on-fault says
// (Retry only as many times in a row as --retries allows, then Abort); every
// other question goes to the usual policy.
class FaultDialogs final : public Dialogs {
 public:
  FaultDialogs(Dialogs& inner, Answer fault, int retries, std::ostream& err)
      : inner_(inner), fault_(fault), retries_(retries), err_(err) {}
  Answer MsgBox(const std::string& text, Buttons buttons, Icon icon, const std::string& caption) override {
    if (buttons != Buttons::AbortRetryIgnore) return inner_.MsgBox(text, buttons, icon, caption);
    Answer a = fault_;
    if (a == Answer::Retry && ++retried_ > retries_) a = Answer::Abort;
    if (a != Answer::Retry) retried_ = 0;
    err_ << "korventa-cli: " << text << " -> "
         << (a == Answer::Abort   ? "Abort"
             : a == Answer::Retry ? "Retry"
                                  : "Ignore")
         << '\n';
    return a;
  }
  std::optional<std::string> InputBox(const std::string& p, const std::string& c, const std::string& d) override {
    return inner_.InputBox(p, c, d);
  }
  std::optional<std::string> OpenFileName(const FileDialogRequest& r) override { return inner_.OpenFileName(r); }
  std::optional<std::string> SaveFileName(const FileDialogRequest& r) override { return inner_.SaveFileName(r); }

 private:
  Dialogs& inner_;
  Answer fault_;
  int retries_;
  int retried_ = 0;
  std::ostream& err_;
};

const char* NomeColore(Colore c) {
  switch (c) {
    case Colore::Verde:
      return "pass";
    case Colore::Rosso:
      return "FAIL";
    case Colore::Giallo:
      return "unfinished";
    default:
      return "-";
  }
}

// Rows green in an earlier run that the resumed run kept say so.
std::string RigaTesto(const FrmTara& f, int i, bool precedente) {
  const RigaTara& r = f.righe[static_cast<std::size_t>(i)];
  char buf[220];
  std::snprintf(buf, sizeof buf, "%2d  %-9s %-18s %-10s %-10s %-10s %s%s", i, r.chk_tara.Caption.c_str(),
                r.txt_k1.Text.c_str(), r.txt_zero.Text.c_str(), r.txt_half.Text.c_str(), r.txt_span.Text.c_str(),
                NomeColore(r.chk_tara.colore), precedente ? "  (earlier run)" : "");
  return buf;
}

bool RigaDelCanaleB(int i) { return (i >= 10 && i <= 19) || i == 21; }

json::Value RigaJson(const FrmTara& f, int i, bool precedente) {
  const RigaTara& r = f.righe[static_cast<std::size_t>(i)];
  json::Value v = json::Value::object();
  v["row"] = i;
  if (precedente) v["earlierRun"] = true;
  v["range"] = r.chk_tara.Caption;
  v["channel"] = RigaDelCanaleB(i) ? "B" : "A";
  v["constant"] = r.txt_k1.Text;
  if (i < 8 || i > 11) {
    if (const RangeIngresso* g = RangeDiRiga(i)) {
      const RangeIngresso x = RangePerModello(*g, f.modello, RigaDelCanaleB(i) ? 1 : 0);
      v["nominal"] = x.N;
    }
  }
  json::Value letture = json::Value::array();
  for (const auto* t : {&r.txt_zero, &r.txt_half, &r.txt_span}) {
    json::Value l = json::Value::object();
    l["reading"] = t->Text;
    l["verdict"] = NomeColore(t->colore);
    letture.push_back(l);
  }
  v["readings"] = letture;
  v["verdict"] = NomeColore(r.chk_tara.colore);
  return v;
}

bool ParseRows(const std::string& text, std::vector<int>& rows) {
  std::stringstream ss(text);
  std::string item;
  while (std::getline(ss, item, ',')) {
    int r = 0;
    if (!ParseInt(item, 0, kRigheTara - 1, r)) return false;
    rows.push_back(r);
  }
  return !rows.empty();
}

struct ProductionOptions {
  std::string model, channels, onFault = "abort", modelFiles = ".", certificate, reports = "reports";
  std::vector<int> rows;
  bool resume = false, noConsumption = false, noSwitchCheck = false, noCheckpoints = false, defaultImage = false,
       finalProgramming = false, json = false;
};

int Production(Session& s, const ProductionOptions& o, std::ostream& out, std::ostream& err) {
  auto uso = [&err](const std::string& testo) { return UsageError(err, "production", testo); };
  const std::string& modello = o.model;
  const std::string& canali = o.channels;
  const std::string& faultText = o.onFault;
  const std::string& cartella = o.modelFiles;
  const std::vector<int>& righe = o.rows;
  const bool resume = o.resume, noCons = o.noConsumption, noSwitch = o.noSwitchCheck, noCheck = o.noCheckpoints,
             image = o.defaultImage, finale = o.finalProgramming, asJson = o.json;
  const ModelloTara* m = ModelloTaraDaCodice(modello);
  if (!m) {
    std::string elenco;
    for (const auto& x : ModelliTara()) elenco += std::string(elenco.empty() ? "" : ", ") + x.codice;
    return uso("--model MODEL, one of " + elenco);
  }
  SelettoriStrumenti sel;
  if (const int rc = SelettoriDaOpzioni(s.options, sel, err); rc != kExitOk) return rc;
  Banco banco;
  std::string error;
  if (!ApriBanco(s, sel, sim::BenchRole::Mult, banco, error)) return uso(error);
  Link& link = DispositivoDelBanco(s, banco);
  const Answer fault = faultText == "retry" ? Answer::Retry : faultText == "ignore" ? Answer::Ignore : Answer::Abort;
  FaultDialogs dialogs(s.dialogs, fault, s.options.retries, err);
  Strumenti strumenti(s.state, sel, *banco.porte, *banco.usb, dialogs);

  FrmTara f;
  Frm3100 f3100;
  opt_modello_Click(f, f3100, s.state, static_cast<int>(m - ModelliTara().data()));
  if (modello == "PLV3100") AbilitaDispositivo(f3100, false, 0);
  f.cartellaModelli = cartella;
  f.chk_default.Value = image;
  f.chk_programma.Value = finale;
  if (noCons) f.chk_Consumo.Value = false;
  if (noSwitch) f.chk_switch.Value = false;
  if (noCheck) f.chk_controllo.Value = false;
  if (!canali.empty()) {
    f.chk_Canale[0].Value = canali.find('A') != std::string::npos;
    f.chk_Canale[1].Value = canali.find('B') != std::string::npos;
  }
  if (!righe.empty())
    for (int i = 0; i < kRigheTara; ++i)
      f.righe[static_cast<std::size_t>(i)].chk_tara.Value = std::count(righe.begin(), righe.end(), i) > 0;

  // Resuming: the rows of the model's last run, from the reports folder.
  std::array<bool, kRigheTara> precedente{};
  Ripresa da{"", OraLocale("%Y-%m-%d %H:%M:%S")};
  if (resume) {
    std::string perche;
    switch (CaricaRipresa(f, o.reports, da, perche)) {
      case EsitoRipresa::Mancante:
        err << "korventa-cli: production: " << perche << ": every ticked row runs\n";
        break;
      case EsitoRipresa::Rifiutata:
        err << "korventa-cli: production: cannot resume from " << perche << " (run without --resume to start afresh)\n";
        return kExitFile;
      case EsitoRipresa::Caricata:
        err << "korventa-cli: production: resuming the run of " << da.dataOra
            << (da.identificazione.empty() ? "" : " (" + da.identificazione + ")") << '\n';
        for (std::size_t i = 0; i < precedente.size(); ++i) precedente[i] = RigaCompleta(f.righe[i]);
        break;
    }
  }
  TabellaSalvata tabella(f, o.reports, da);
  bool avvisato = false;

  InterruptFlag interruzione;
  BancoTara b{s.state, link, strumenti, dialogs, f, f3100};
  b.aggiorna = [&] {
    // Each row as it ends (the rows kept from an earlier run at the start).
    for (int i : tabella.Aggiorna())
      if (!asJson) out << RigaTesto(f, i, precedente[static_cast<std::size_t>(i)]) << '\n' << std::flush;
    if (!tabella.Errore().empty() && !avvisato) {
      err << "korventa-cli: production: " << tabella.Errore() << " (the run goes on; --resume will not find it)\n";
      avvisato = true;
    }
    if (interruzione.Set() && !f.stop) {
      err << "korventa-cli: production: stopping after this step\n";
      f.stop = true;
    }
  };
  Collaudo collaudo(b);
  const EsitoCollaudo e = resume ? collaudo.Command6_Click() : collaudo.Command2_Click();
  tabella.Fine(e.identificazione);

  const char* verdetto = e.errore ? "error" : e.righeRosse.empty() ? "pass" : "fail";
  std::vector<int> eseguite;
  for (int i = 0; i < kRigheTara; ++i)
    if (f.righe[static_cast<std::size_t>(i)].chk_tara.Value && f.chk_Canale[RigaDelCanaleB(i) ? 1 : 0].Value)
      eseguite.push_back(i);
  if (asJson) {
    json::Value doc = json::Value::object();
    doc["model"] = modello;
    doc["identification"] = e.identificazione;
    doc["status"] = f.lbl_collaudo.Caption;
    json::Value correnti = json::Value::array();
    for (const auto& c : e.correnti) {
      json::Value x = json::Value::object();
      x["volts"] = c.volt;
      x["mA"] = c.mA;
      x["limit"] = c.limite;
      correnti.push_back(x);
    }
    doc["supplyCurrents"] = correnti;
    json::Value rows = json::Value::array();
    for (int i : eseguite) rows.push_back(RigaJson(f, i, precedente[static_cast<std::size_t>(i)]));
    doc["rows"] = rows;
    doc["verdict"] = verdetto;
    if (e.errore) doc["error"] = e.messaggio;
    out << json::Write(doc) << '\n';
  } else {
    out << "\n" << f.lbl_collaudo.Caption << " - " << modello << " - " << verdetto << '\n';
    for (int i : eseguite) out << RigaTesto(f, i, precedente[static_cast<std::size_t>(i)]) << '\n';
  }
  int rc = e.righeRosse.empty() ? kExitOk : kExitRedRows;
  if (e.errore) {
    err << "korventa-cli: production: " << e.messaggio << '\n';
    rc = kExitComm;
  }
  // The run's own outcome outranks a record that could not be saved.
  const Certificato certificato = CompilaCertificato(f, sel, e, OraLocale("%Y-%m-%d %H:%M:%S"));
  std::string errore;
  if (!AggiungiRegistro(o.reports, RigaRegistro(certificato, e), errore)) {
    err << "korventa-cli: production: " << errore << '\n';
    if (rc == kExitOk) rc = kExitFile;
  }
  if (!o.certificate.empty() && !ScriviCertificatoPdf(o.certificate, certificato, errore)) {
    err << "korventa-cli: production: " << errore << '\n';
    if (rc == kExitOk) rc = kExitFile;
  }
  return rc;
}

}  // namespace

void AddProductionCommand(CommandTable& table) {
  auto o = std::make_shared<ProductionOptions>();
  CLI::App& c = table.Add(
      "production",
      "the production run on the bench (see --instrument): exit 0 passed, 5 red rows, 2 ended by an error",
      Device::Needed, [o](Session& s, std::ostream& out, std::ostream& err) { return Production(s, *o, out, err); });
  c.add_option("--model", o->model, "the model to calibrate and test, as the window's model list names it")
      ->type_name("MODEL");
  c.add_option("--channels", o->channels, "the channels to run (default: as the model's set-up ticks them)")
      ->type_name("A|B|AB")
      ->check(CLI::IsMember({"A", "B", "AB"}).description(""));
  c.add_option_function<std::string>(
       "--rows",
       [o](const std::string& text) {
         if (!ParseRows(text, o->rows))
           throw CLI::ValidationError("--rows", "\"" + text + "\" is not a list of row numbers 0 to 21");
       },
       "only these rows of the step table, comma-separated")
      ->type_name("LIST");
  c.add_option("--on-fault", o->onFault, "the answer to Abort/Retry/Ignore questions (default abort)")
      ->type_name("abort|retry|ignore")
      ->check(CLI::IsMember({"abort", "retry", "ignore"}).description(""));
  c.add_option("--model-files", o->modelFiles, "the folder of the models' default images (default .)")
      ->type_name("DIR");
  c.add_flag("--resume", o->resume, "go on after a stop: rows green in the model's last run are skipped");
  c.add_option("--reports", o->reports,
               "the folder of the run log (collaudi.csv) and of each model's last step table (default reports)")
      ->type_name("DIR");
  c.add_flag("--no-consumption", o->noConsumption, "skip the supply current check");
  c.add_flag("--no-switch-check", o->noSwitchCheck, "skip the switch bank check");
  c.add_flag("--no-checkpoints", o->noCheckpoints, "skip the check points after each constant");
  c.add_flag("--default-image", o->defaultImage, "write the model's default image first");
  c.add_flag("--final-programming", o->finalProgramming, "program the final configuration at the end");
  c.add_flag("--json", o->json, "print every row and the verdict as one JSON document");
  c.add_option("--certificate", o->certificate, "also write the run's calibration certificate as a PDF file")
      ->type_name("FILE.pdf");
}

}  // namespace korventa::cli
