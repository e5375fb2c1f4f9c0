#include "factory/ripresa.h"

#include <array>
#include <filesystem>
#include <span>

#include "app/json.h"
#include "files/safe_file.h"

namespace korventa {

namespace {

constexpr std::array<const char*, 5> kColori = {"normal", "white", "yellow", "green", "red"};

const char* NomeColore(Colore c) { return kColori[static_cast<std::size_t>(c)]; }

bool ColoreDaNome(const json::Value* v, Colore& c) {
  if (!v || !v->is_string()) return false;
  for (std::size_t i = 0; i < kColori.size(); ++i)
    if (v->get_ref<const std::string&>() == kColori[i]) {
      c = static_cast<Colore>(i);
      return true;
    }
  return false;
}

bool Testo(const json::Value& v, std::string_view nome, std::string& t) {
  const json::Value* x = json::Find(v, nome);
  if (!x || !x->is_string()) return false;
  t = x->get<std::string>();
  return true;
}

// The four result boxes of a row, by the names the document gives them.
std::array<std::pair<const char*, TestoRisultato*>, 4> Caselle(RigaTara& r) {
  return {{{"constant", &r.txt_k1}, {"zero", &r.txt_zero}, {"half", &r.txt_half}, {"span", &r.txt_span}}};
}

}  // namespace

std::string FileRipresa(const std::string& cartella, const std::string& modello) {
  return (cartella.empty() ? std::string(".") : cartella) + "/" + modello + ".resume.json";
}

std::string StatoRighe(const FrmTara& f, const std::string& identificazione, const std::string& dataOra) {
  json::Value doc = json::Value::object();
  doc["model"] = f.modello;
  doc["identification"] = identificazione;
  doc["time"] = dataOra;
  json::Value righe = json::Value::array();
  for (RigaTara r : f.righe) {  // by value: Caselle hands out boxes to fill
    json::Value x = json::Value::object();
    x["step"] = NomeColore(r.chk_tara.colore);
    for (auto [nome, t] : Caselle(r)) {
      json::Value c = json::Value::object();
      c["text"] = t->Text;
      c["colour"] = NomeColore(t->colore);
      x[nome] = c;
    }
    righe.push_back(x);
  }
  doc["rows"] = righe;
  return json::Write(doc);
}

bool CaricaStatoRighe(FrmTara& f, const std::string& testo, Ripresa& da, std::string& errore) {
  json::ParseError pe;
  const auto doc = json::Parse(testo, pe);
  if (!doc) {
    errore = pe.Message();
    return false;
  }
  std::string modello;
  Ripresa letta;
  if (!Testo(*doc, "model", modello) || !Testo(*doc, "identification", letta.identificazione) ||
      !Testo(*doc, "time", letta.dataOra)) {
    errore = "not a saved production run";
    return false;
  }
  if (modello != f.modello) {
    errore = "a run of " + modello + ", not of " + f.modello;
    return false;
  }
  const json::Value* righe = json::Find(*doc, "rows");
  if (!righe || !righe->is_array() || righe->size() != kRigheTara) {
    errore = "the step table is not whole";
    return false;
  }
  std::array<RigaTara, kRigheTara> nuove = f.righe;
  for (std::size_t i = 0; i < nuove.size(); ++i) {
    const json::Value& x = (*righe)[i];
    bool ok = ColoreDaNome(json::Find(x, "step"), nuove[i].chk_tara.colore);
    for (auto [nome, t] : Caselle(nuove[i])) {
      const json::Value* c = json::Find(x, nome);
      ok = ok && c && Testo(*c, "text", t->Text) && ColoreDaNome(json::Find(*c, "colour"), t->colore);
    }
    if (!ok) {
      errore = "row " + std::to_string(i) + " is not whole";
      return false;
    }
  }
  f.righe = nuove;
  da = letta;
  return true;
}

EsitoRipresa CaricaRipresa(FrmTara& f, const std::string& cartella, Ripresa& da, std::string& errore) {
  const std::string file = FileRipresa(cartella, f.modello);
  std::error_code ec;
  if (!std::filesystem::exists(file, ec)) {
    errore = "no earlier run of " + f.modello + " in " + cartella;
    return EsitoRipresa::Mancante;
  }
  const auto dati = ReadWholeFile(file, 1 << 20, errore);
  if (!dati) return EsitoRipresa::Rifiutata;
  if (!CaricaStatoRighe(f, std::string(dati->begin(), dati->end()), da, errore)) {
    errore = file + ": " + errore;
    return EsitoRipresa::Rifiutata;
  }
  return EsitoRipresa::Caricata;
}

bool TabellaVuota(const FrmTara& f) {
  for (const RigaTara& r : f.righe)
    if (r.chk_tara.colore != Colore::Normale) return false;
  return true;
}

bool OffriRipresa(FrmTara& f, const std::string& cartella, Dialogs& dialogs, Ripresa& da) {
  FrmTara letta = f;
  Ripresa quale;
  std::string perche;
  switch (CaricaRipresa(letta, cartella, quale, perche)) {
    case EsitoRipresa::Mancante:
      return true;
    case EsitoRipresa::Rifiutata:
      dialogs.MsgBox("Collaudo precedente non leggibile: " + perche + "\nSTART esegue tutte le righe.", Buttons::Ok,
                     Icon::Warning, f.modello);
      return false;
    case EsitoRipresa::Caricata:
      break;
  }
  const std::string domanda = "Riprendere il collaudo del " + quale.dataOra +
                              (quale.identificazione.empty() ? "" : " (" + quale.identificazione + ")") +
                              "?\nSi: le righe già verdi sono saltate. No: si eseguono tutte le righe.";
  switch (dialogs.MsgBox(domanda, Buttons::YesNoCancel, Icon::Question, f.modello)) {
    case Answer::Yes:
      f.righe = letta.righe;
      da = quale;
      return true;
    case Answer::No:
      return true;
    default:
      return false;
  }
}

TabellaSalvata::TabellaSalvata(const FrmTara& f, const std::string& cartella, Ripresa da)
    : f_(f), cartella_(cartella), da_(std::move(da)) {}

std::vector<int> TabellaSalvata::Aggiorna() {
  std::vector<int> finite;
  for (std::size_t i = 0; i < finite_.size(); ++i) {
    const Colore c = f_.righe[i].chk_tara.colore;
    const bool finita = c == Colore::Verde || c == Colore::Rosso;
    if (finita && !finite_[i]) finite.push_back(static_cast<int>(i));
    finite_[i] = finita;
  }
  if (!finite.empty() || !scritta_) Scrivi();
  return finite;
}

void TabellaSalvata::Fine(const std::string& identificazione) {
  if (!identificazione.empty()) da_.identificazione = identificazione;
  Scrivi();
}

void TabellaSalvata::Scrivi() {
  if (!scritta_) {
    std::error_code ec;
    std::filesystem::create_directories(cartella_.empty() ? "." : cartella_, ec);
  }
  scritta_ = true;
  const std::string t = StatoRighe(f_, da_.identificazione, da_.dataOra);
  const std::span dati(reinterpret_cast<const std::uint8_t*>(t.data()), t.size());
  std::string perche;
  if (!WriteFileAtomically(FileRipresa(cartella_, f_.modello), dati, perche) && errore_.empty()) errore_ = perche;
}

}  // namespace korventa
