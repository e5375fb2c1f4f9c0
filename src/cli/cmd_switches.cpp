// korventa-cli switches: the switch window without a window. "switches"
// reads the connected device's banks and tables, "switches compose" is the
// wizard for a model without a device, "switches set-default" edits a stored
// default as the double click on "Def: " does.
#include <memory>
#include <optional>
#include <sstream>

#include "app/command_line.h"
#include "app/identify.h"
#include "app/impostatesti.h"
#include "app/json.h"
#include "app/numbers.h"
#include "cli/app.h"
#include "cli/commands.h"
#include "cli/pdf.h"
#include "switches/demo.h"
#include "switches/frm_switch.h"

namespace korventa::cli {

namespace {

std::size_t U(int i) { return static_cast<std::size_t>(i); }

// The few JSON building steps, in one place.
json::Value Oggetto() { return json::Value::object(); }
json::Value Lista() { return json::Value::array(); }
void Metti(json::Value& o, const std::string& k, json::Value v) { o[k] = std::move(v); }
void Aggiungi(json::Value& a, json::Value v) { a.push_back(std::move(v)); }
json::Value Testi(const std::vector<std::string>& l) {
  json::Value a = Lista();
  for (const auto& t : l) Aggiungi(a, t);
  return a;
}

std::string Esa(int b) {
  char t[5];
  std::snprintf(t, sizeof t, "0x%02X", b & 0xFF);
  return t;
}

// The number an entry of the span or zero list stands for.
double ValoreVoce(const std::string& testo) {
  const std::string_view t = testo.starts_with("Def: ") ? std::string_view(testo).substr(5) : std::string_view(testo);
  return Val(t);
}

struct Canale {
  std::string ingresso, uscita;
  std::optional<std::string> opzione;
};

std::vector<Canale> Canali(const FrmSwitch& f) {
  std::vector<Canale> out;
  const int n = f.cmb_SW_in[1].Visible || f.cmb_sw_Out[1].Visible ? 2 : 1;
  for (int ch = 0; ch < n; ++ch) {
    Canale k;
    // A wizard list shows its prompt until something is chosen.
    const ComboBox& in = f.cmb_SW_in[U(f.cmb_SW_in[1].Visible ? ch : 0)];
    const ComboBox& uscita = f.cmb_sw_Out[U(ch)];
    k.ingresso = f.ModoWizard && in.ListIndex < 0 ? std::string() : in.Text;
    k.uscita = uscita.Visible && !(f.ModoWizard && uscita.ListIndex < 0) ? uscita.Text : std::string();
    if (f.frm_optionSw[U(ch)].Visible)
      k.opzione = f.Opzione[U(2 * ch + 1)].Value ? f.Opzione[U(2 * ch + 1)].Caption : f.Opzione[U(2 * ch)].Caption;
    out.push_back(k);
  }
  return out;
}

json::Value Posizione(const ListBox& l) {
  json::Value v = Oggetto();
  if (l.ListIndex < 0) {
    Metti(v, "position", nullptr);
    Metti(v, "value", nullptr);
    return v;
  }
  Metti(v, "position", l.ListIndex);
  const std::string& t = l.List[U(l.ListIndex)];
  Metti(v, "value", t.find_first_of("0123456789") == std::string::npos ? json::Value() : json::Value(ValoreVoce(t)));
  return v;
}

json::Value Documento(const FrmSwitch& f) {
  json::Value doc = Oggetto();
  json::Value banchi = Lista();
  for (int b : f.Dip) Aggiungi(banchi, b);
  Metti(doc, "banks", banchi);
  json::Value canali = Lista();
  for (const Canale& k : Canali(f)) {
    json::Value c = Oggetto();
    Metti(c, "input", k.ingresso);
    Metti(c, "output", k.uscita.empty() ? json::Value() : json::Value(k.uscita));
    Metti(c, "option", k.opzione ? json::Value(*k.opzione) : json::Value());
    if (f.lst_span.Visible) {
      Metti(c, "span", Posizione(f.lst_span));
      Metti(c, "zero", Posizione(f.lst_zero));
    }
    Aggiungi(canali, c);
  }
  Metti(doc, "channels", canali);
  if (f.frm_divider.Visible) Metti(doc, "divider", Val(f.cmb_divider.Text));
  Metti(doc, "check", f.Label4_20.Caption);
  Metti(doc, "span_table", Testi(f.lst_span.List));
  Metti(doc, "zero_table", Testi(f.lst_zero.List));
  if (!f.visualizza_limiti.Text.empty()) Metti(doc, "range", f.visualizza_limiti.Text);
  return doc;
}

void Testo(const FrmSwitch& f, std::ostream& out) {
  out << "banks: " << Esa(f.Dip[0]) << ' ' << Esa(f.Dip[1]) << ' ' << Esa(f.Dip[2]) << '\n';
  for (const auto& riga : DisegnoTesto(f)) out << "  " << riga << '\n';
  const auto canali = Canali(f);
  for (std::size_t ch = 0; ch < canali.size(); ++ch) {
    const Canale& k = canali[ch];
    out << "channel " << (ch == 0 ? 'A' : 'B') << ": input " << (k.ingresso.empty() ? "-" : k.ingresso);
    if (!k.uscita.empty()) out << ", output " << k.uscita;
    if (k.opzione) out << ", option " << *k.opzione;
    out << '\n';
  }
  auto voce = [](const ListBox& l) {
    return l.ListIndex < 0 ? std::string("-") : std::to_string(l.ListIndex) + " (" + l.List[U(l.ListIndex)] + ")";
  };
  if (f.lst_span.Visible) out << "span: " << voce(f.lst_span) << ", zero: " << voce(f.lst_zero) << '\n';
  if (f.frm_divider.Visible) out << "divider: " << f.cmb_divider.Text << '\n';
  if (!f.visualizza_limiti.Text.empty()) out << "range: " << f.visualizza_limiti.Text << '\n';
  out << "check: " << f.Label4_20.Caption << '\n';
}

// Identifies the device and reads its switches as the switch window does
// when it opens.
int LeggiDispositivo(Session& s, Context& c, const char* comando, std::ostream& err) {
  s.dialogs.ResetRetries();
  if (s.link.ReadProduct()[0] != 0) return kExitComm;
  DispositivoIdentificato(c);
  s.dialogs.ResetRetries();
  if (!ImpostaTesti(c)) return kExitComm;
  if (sw::Campi(s.state.CodProdotto, s.state.CodVariante).regola == sw::Regola::Nessuna) {
    err << "korventa-cli: " << comando << ": the " << NomeModelloRiconosciuto(c) << " has no DIP switches\n";
    return kExitRefused;
  }
  s.dialogs.ResetRetries();
  ReadSwitch(c);
  if (s.state.ErroreCom) {
    err << "korventa-cli: " << comando << ": the switches could not be read\n";
    return kExitComm;
  }
  return kExitOk;
}

// Chooses the entry of a list by its text; false when the list has none.
bool ScegliTesto(ComboBox& cmb, const std::string& testo) {
  for (std::size_t i = 0; i < cmb.List.size(); ++i)
    if (cmb.List[i] == testo && testo != "---") {
      cmb.Select(static_cast<int>(i));
      return true;
    }
  return false;
}

std::string Elenco(const std::vector<std::string>& l) {
  std::string t;
  for (const auto& x : l)
    if (x != "---") t += (t.empty() ? "" : ", ") + ("\"" + x + "\"");
  return t;
}

struct LetturaOptions {
  bool asJson = false;
};

int Leggi(Session& s, const LetturaOptions& o, std::ostream& out, std::ostream& err) {
  Context c = s.ctx();
  if (int rc = LeggiDispositivo(s, c, "switches", err); rc != kExitOk) return rc;
  const FrmSwitch& f = c.w.frm_switch;
  if (o.asJson) {
    out << json::Write(Documento(f));
    return kExitOk;
  }
  out << "device: " << NomeModelloRiconosciuto(c) << " (" << CodiceModelloRiconosciuto(c) << ")\n";
  Testo(f, out);
  return kExitOk;
}

struct ComponiOptions {
  std::string modello, ingresso, uscita, opzione, canaleB;
  int span = -1, zero = -1;
  std::string divisore;
  std::string pdf;  // the switch card, when named
  bool asJson = false;
};

int Componi(Session& s, const ComponiOptions& o, std::ostream& out, std::ostream& err) {
  Context c = s.ctx();
  FrmSwitch& f = c.w.frm_switch;
  const auto pos = sw::TrovaModelloWizard(o.modello);
  if (!pos) {
    std::vector<std::string> nomi;
    for (const auto& m : sw::ModelliWizard()) nomi.emplace_back(m.Nome);
    err << "korventa-cli: switches compose: unknown model \"" << o.modello << "\"; one of " << Elenco(nomi) << '\n';
    return kExitUsage;
  }
  aiuto_switch_Click(c);
  aiuto_modello_Click(c, *pos);
  auto sbaglio = [&](const std::string& cosa, const std::string& valore, const std::vector<std::string>& scelte) {
    err << "korventa-cli: switches compose: " << cosa << " \"" << valore << "\" is not one of " << Elenco(scelte)
        << '\n';
    return kExitUsage;
  };
  auto canale = [&](int ch, const std::string& ingresso, const std::string& uscita, const std::string& opzione) {
    if (!ingresso.empty()) {
      if (!ScegliTesto(f.cmb_SW_in[U(ch)], ingresso)) return sbaglio("input", ingresso, f.cmb_SW_in[U(ch)].List);
      cmb_SW_in_Click(c, ch);
    }
    if (!uscita.empty()) {
      if (!ScegliTesto(f.cmb_sw_Out[U(ch)], uscita)) return sbaglio("output", uscita, f.cmb_sw_Out[U(ch)].List);
      cmb_sw_Out_Click(c, ch);
    }
    if (!opzione.empty()) {
      if (opzione != "on" && opzione != "off") return sbaglio("option", opzione, {"on", "off"});
      Opzione_Click(c, 2 * ch + (opzione == "on" ? 1 : 0));
    }
    return kExitOk;
  };
  if (int rc = canale(0, o.ingresso, o.uscita, o.opzione); rc != kExitOk) return rc;
  if (!o.canaleB.empty()) {
    // "INPUT[,OUTPUT[,on|off]]"; an empty part leaves that choice alone.
    std::vector<std::string> parti;
    std::stringstream t(o.canaleB);
    for (std::string p; std::getline(t, p, ',');) parti.push_back(p);
    parti.resize(3);
    const bool soloUscita = !f.cmb_SW_in[1].Visible && f.cmb_sw_Out[1].Visible;
    if (!f.cmb_sw_Out[1].Visible || (soloUscita && !parti[0].empty())) {
      err << "korventa-cli: switches compose: the " << o.modello << " has no channel B "
          << (f.cmb_sw_Out[1].Visible ? "input" : "setting") << "\n";
      return kExitUsage;
    }
    if (int rc = canale(1, parti[0], parti[1], parti[2]); rc != kExitOk) return rc;
  }
  auto posizione = [&](ListBox& l, int k, const char* nome, void (*click)(Context&, int)) {
    if (k < 0) return kExitOk;
    if (!l.Visible || k >= static_cast<int>(l.List.size())) {
      err << "korventa-cli: switches compose: --" << nome << " " << k << " is not a position of the " << nome
          << " list (0 to " << static_cast<int>(l.List.size()) - 1 << ")\n";
      return kExitUsage;
    }
    click(c, k);
    return kExitOk;
  };
  if (int rc = posizione(f.lst_span, o.span, "span", &lst_span_Click); rc != kExitOk) return rc;
  if (int rc = posizione(f.lst_zero, o.zero, "zero", &lst_zero_Click); rc != kExitOk) return rc;
  if (!o.divisore.empty()) {
    if (!f.frm_divider.Visible || !ScegliTesto(f.cmb_divider, o.divisore))
      return sbaglio("divider", o.divisore, f.frm_divider.Visible ? f.cmb_divider.List : std::vector<std::string>{});
    cmb_divider_Click(c);
  }
  if (o.asJson) {
    json::Value doc = Documento(f);
    Metti(doc, "model", std::string(sw::ModelliWizard()[U(*pos)].Nome));
    out << json::Write(doc);
  } else {
    out << "model: " << sw::ModelliWizard()[U(*pos)].Nome << '\n';
    Testo(f, out);
  }
  std::string errore;
  if (!o.pdf.empty() && !ScriviSchedaPdf(o.pdf, Scheda(c, OraLocale("%Y-%m-%d")), f.banchi, errore)) {
    err << "korventa-cli: switches compose: " << errore << '\n';
    return kExitFile;
  }
  return kExitOk;
}

struct PredefinitoOptions {
  std::string ingresso;
  std::optional<std::string> span, zero;
};

int Predefinito(Session& s, const PredefinitoOptions& o, std::ostream& out, std::ostream& err) {
  if (o.span.has_value() == o.zero.has_value()) {
    err << "korventa-cli: switches set-default: give one of --span V and --zero V\n";
    return kExitUsage;
  }
  Context c = s.ctx();
  if (int rc = LeggiDispositivo(s, c, "switches set-default", err); rc != kExitOk) return rc;
  FrmSwitch& f = c.w.frm_switch;
  if (!f.lst_span.Visible || !ScegliTesto(f.cmb_SW_in[0], o.ingresso) || o.ingresso == "EEPROM") {
    std::vector<std::string> scelte;
    if (f.lst_span.Visible)
      for (const auto& x : f.cmb_SW_in[0].List)
        if (x != "EEPROM") scelte.push_back(x);
    err << "korventa-cli: switches set-default: input \"" << o.ingresso << "\" is not one of " << Elenco(scelte)
        << '\n';
    return kExitUsage;
  }
  cmb_SW_in_Click(c, 0);
  if (s.state.ErroreCom) return kExitComm;
  s.dialogs.inputText = o.span ? *o.span : *o.zero;
  const bool scritto = o.span ? lst_span_DblClick(c, 0) : lst_zero_DblClick(c, 0);
  if (s.state.ErroreCom) return kExitComm;
  if (!scritto) return s.dialogs.Refused() ? kExitRefused : kExitUsage;
  const ListBox& l = o.span ? f.lst_span : f.lst_zero;
  out << (o.span ? "span" : "zero") << " default of " << o.ingresso << ": " << (l.List.empty() ? "-" : l.List[0])
      << '\n';
  return kExitOk;
}

}  // namespace

void AddSwitchesCommand(CommandTable& table) {
  struct Options {
    LetturaOptions lettura;
    ComponiOptions componi;
    PredefinitoOptions predefinito;
    CLI::App* compose = nullptr;
    CLI::App* setDefault = nullptr;
  };
  auto o = std::make_shared<Options>();
  CLI::App& c = table.Add("switches",
                          "the DIP switches read from the device: per channel input, output, "
                          "option, span and zero positions with their "
                          "values, the check, the banks as bytes and drawn; or the switch wizard "
                          "without a device (compose), or the "
                          "stored default span or zero of an input type (set-default)",
                          Device::Needed, [o](Session& s, std::ostream& out, std::ostream& err) {
                            if (o->compose->parsed()) {
                              o->componi.asJson = o->componi.asJson || o->lettura.asJson;
                              return Componi(s, o->componi, out, err);
                            }
                            if (o->setDefault->parsed()) return Predefinito(s, o->predefinito, out, err);
                            return Leggi(s, o->lettura, out, err);
                          });
  table.Last().withoutDevice = [o] { return o->compose->parsed(); };
  c.add_flag("--json", o->lettura.asJson, "print the banks, channels and tables as one JSON document");

  CLI::App& compose = *c.add_subcommand("compose", "the switch wizard without a device: the banks for those choices");
  o->compose = &compose;
  ComponiOptions& k = o->componi;
  compose.add_option("--model", k.modello, "the model as the wizard's list names it (\"7100\", \"7120 D\" ...)")
      ->type_name("NAME")
      ->required();
  compose.add_option("--input", k.ingresso, "the input type as the wizard's list shows it")
      ->type_name("TEXT")
      ->required();
  compose.add_option("--output", k.uscita, "the output type")->type_name("TEXT");
  compose.add_option("--option", k.opzione, "the option switch")->type_name("on|off");
  AddNumberOption(compose, "--span", k.span, 0, 63, "the span position in the span list");
  AddNumberOption(compose, "--zero", k.zero, 0, 15, "the zero position in the zero list");
  compose.add_option("--divider", k.divisore, "the frequency model's divider")->type_name("1000|100");
  compose.add_option("--channel-b", k.canaleB, "channel B's input, output and option")
      ->type_name("INPUT[,OUTPUT[,on|off]]");
  compose.add_flag("--json", k.asJson, "print the banks, channels and tables as one JSON document");
  compose.add_option("--pdf", k.pdf, "also write the one-page switch card as a PDF file")->type_name("FILE");

  CLI::App& setDefault = *c.add_subcommand("set-default",
                                           "write the stored default span or zero "
                                           "of an input type (asks; --yes writes)");
  o->setDefault = &setDefault;
  PredefinitoOptions& d = o->predefinito;
  setDefault.add_option("--input", d.ingresso, "the input type")->type_name("TEXT")->required();
  setDefault.add_option("--span", d.span, "the new default span")->type_name("V");
  setDefault.add_option("--zero", d.zero, "the new default zero")->type_name("V");
  c.require_subcommand(0, 1);
}

}  // namespace korventa::cli
