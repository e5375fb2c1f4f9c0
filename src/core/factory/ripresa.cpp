#include "factory/ripresa.h"

#include <array>

#include "app/json.h"

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

}  // namespace korventa
