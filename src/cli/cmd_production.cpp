// korventa-cli production: the factory's production run, headless. Each
// step's row is printed as it completes, then the whole table; --json gives
// the rows and the verdict as one document instead; --certificate also
// writes the run's calibration certificate as a PDF file.
#include <algorithm>
#include <cstdio>
#include <memory>
#include <sstream>

#include "app/json.h"
#include "cli/banco.h"
#include "cli/commands.h"
#include "cli/pdf.h"
#include "factory/collaudo.h"
#include "factory/rapporto.h"

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
    err_ << "korventa-cli: " << text << " -> " << (a == Answer::Abort ? "Abort" : a == Answer::Retry ? "Retry" : "Ignore")
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
    case Colore::Verde: return "pass";
    case Colore::Rosso: return "FAIL";
    case Colore::Giallo: return "unfinished";
    default: return "-";
  }
}

std::string RigaTesto(const FrmTara& f, int i) {
  const RigaTara& r = f.righe[static_cast<std::size_t>(i)];
  char buf[200];
  std::snprintf(buf, sizeof buf, "%2d  %-9s %-18s %-10s %-10s %-10s %s", i, r.chk_tara.Caption.c_str(),
                r.txt_k1.Text.c_str(), r.txt_zero.Text.c_str(), r.txt_half.Text.c_str(), r.txt_span.Text.c_str(),
                NomeColore(r.chk_tara.colore));
  return buf;
}

bool RigaDelCanaleB(int i) { return (i >= 10 && i <= 19) || i == 21; }

json::Value RigaJson(const FrmTara& f, int i) {
  const RigaTara& r = f.righe[static_cast<std::size_t>(i)];
  json::Value v = json::Value::object();
  v["row"] = i;
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
  std::string modello, canali, fault = "abort", cartella = ".", certificato;
  std::vector<int> righe;
  bool resume = false, noCons = false, noSwitch = false, noCheck = false, image = false, finale = false,
       asJson = false;
};

int Production(Session& s, const ProductionOptions& o, std::ostream& out, std::ostream& err) {
  const std::string& modello = o.modello;
  const bool asJson = o.asJson;
  auto uso = [&err](const std::string& testo) {
    err << "korventa-cli: production: " << testo << '\n';
    return kExitUsage;
  };
  const ModelloTara* m = ModelloTaraDaCodice(modello);
  if (!m) return uso("unknown model " + modello);
  SelettoriStrumenti sel;
  if (const int rc = SelettoriDaOpzioni(s.options, sel, err); rc != kExitOk) return rc;
  Banco banco;
  std::string error;
  if (!ApriBanco(s, sel, sim::BenchRole::Mult, banco, error)) return uso(error);
  Link& link = DispositivoDelBanco(s, banco);
  const Answer fault = o.fault == "retry" ? Answer::Retry : o.fault == "ignore" ? Answer::Ignore : Answer::Abort;
  FaultDialogs dialogs(s.dialogs, fault, s.options.retries, err);
  Strumenti strumenti(s.state, sel, *banco.porte, *banco.usb, dialogs);

  FrmTara f;
  Frm3100 f3100;
  opt_modello_Click(f, f3100, s.state, static_cast<int>(m - ModelliTara().data()));
  if (modello == "PLV3100") AbilitaDispositivo(f3100, false, 0);
  f.cartellaModelli = o.cartella;
  f.chk_default.Value = o.image;
  f.chk_programma.Value = o.finale;
  if (o.noCons) f.chk_Consumo.Value = false;
  if (o.noSwitch) f.chk_switch.Value = false;
  if (o.noCheck) f.chk_controllo.Value = false;
  if (!o.canali.empty()) {
    f.chk_Canale[0].Value = o.canali.find('A') != std::string::npos;
    f.chk_Canale[1].Value = o.canali.find('B') != std::string::npos;
  }
  if (!o.righe.empty())
    for (int i = 0; i < kRigheTara; ++i)
      f.righe[static_cast<std::size_t>(i)].chk_tara.Value = std::count(o.righe.begin(), o.righe.end(), i) > 0;

  std::array<bool, kRigheTara> stampata{};
  BancoTara b{s.state, link, strumenti, dialogs, f, f3100};
  b.aggiorna = [&] {
    for (int i = 0; i < kRigheTara; ++i) {
      const auto c = f.righe[static_cast<std::size_t>(i)].chk_tara.colore;
      const bool finita = c == Colore::Verde || c == Colore::Rosso;
      if (finita && !stampata[static_cast<std::size_t>(i)] && !asJson) out << RigaTesto(f, i) << '\n' << std::flush;
      stampata[static_cast<std::size_t>(i)] = finita;
    }
  };
  Collaudo collaudo(b);
  const EsitoCollaudo e = o.resume ? collaudo.Command6_Click() : collaudo.Command2_Click();

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
    for (int i : eseguite) rows.push_back(RigaJson(f, i));
    doc["rows"] = rows;
    doc["verdict"] = verdetto;
    if (e.errore) doc["error"] = e.messaggio;
    out << json::Write(doc) << '\n';
  } else {
    out << "\n" << f.lbl_collaudo.Caption << " - " << modello << " - " << verdetto << '\n';
    for (int i : eseguite) out << RigaTesto(f, i) << '\n';
  }
  int rc = e.righeRosse.empty() ? kExitOk : kExitRedRows;
  if (e.errore) {
    err << "korventa-cli: production: " << e.messaggio << '\n';
    rc = kExitComm;
  }
  if (!o.certificato.empty()) {
    // The run's own outcome outranks a certificate that could not be saved.
    std::string errore;
    if (!ScriviCertificatoPdf(o.certificato, CompilaCertificato(f, sel, e, OraLocale("%Y-%m-%d %H:%M:%S")), errore)) {
      err << "korventa-cli: production: " << errore << '\n';
      if (rc == kExitOk) rc = kExitFile;
    }
  }
  return rc;
}

}  // namespace

void AddProductionCommand(CommandTable& table) {
  auto o = std::make_shared<ProductionOptions>();
  CLI::App& c = table.Add("production",
                          "the production run on the bench (see --instrument): each step's row as it completes, "
                          "then the table; exit 0 passed, 5 red rows, 2 ended by an error",
                          Device::Needed, [o](Session& s, std::ostream& out, std::ostream& err) {
                            return Production(s, *o, out, err);
                          });
  std::vector<std::string> modelli;
  for (const auto& x : ModelliTara()) modelli.emplace_back(x.codice);
  c.add_option("--model", o->modello, "the model of the calibration window's table (PLV7100 ... 3200OEM, PLV3100)")
      ->type_name("MODEL")
      ->required()
      ->check(CLI::IsMember(modelli).description(""));
  c.add_flag("--resume", o->resume, "resume mode: skip the power-up and switch checks");
  c.add_option("--channels", o->canali, "the channels to run (default: as the model sets them)")
      ->type_name("A|B|AB")
      ->check(CLI::IsMember({"A", "B", "AB"}).description(""));
  c.add_option_function<std::string>(
       "--rows",
       [o](const std::string& v) {
         o->righe.clear();
         if (!ParseRows(v, o->righe))
           throw CLI::ValidationError("--rows", "\"" + v + "\" is not a list of row numbers from 0 to 21");
       },
       "only these step rows, comma-separated")
      ->type_name("LIST");
  c.add_flag("--no-consumption", o->noCons, "skip the supply current test");
  c.add_flag("--no-switch-check", o->noSwitch, "skip the DIP switch check");
  c.add_flag("--no-checkpoints", o->noCheck, "skip the zero, half and full-scale checks of every step");
  c.add_flag("--default-image", o->image, "load the model's default memory image first");
  c.add_flag("--final-programming", o->finale, "write the model file's final programming at the end");
  c.add_option("--on-fault", o->fault, "answer to the Abort/Retry/Ignore questions (default abort)")
      ->type_name("abort|retry|ignore")
      ->check(CLI::IsMember({"abort", "retry", "ignore"}).description(""));
  c.add_option("--model-files", o->cartella, "folder of the MODEL.dat files (default: the working folder)")
      ->type_name("DIR");
  c.add_flag("--json", o->asJson, "every row and the verdict as one JSON document");
  c.add_option("--certificate", o->certificato, "also write the run's calibration certificate as a PDF file")
      ->type_name("FILE.pdf");
}

}  // namespace korventa::cli
