#include "config/write_diff.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "app/numbers.h"
#include "app/texts.h"
#include "config/form_fields.h"
#include "config/read_config.h"

namespace korventa {

namespace {

struct Valore {
  std::string testo;
  bool visibile = false;
};

// Every value control of the window, flattened: "txt_Input_max(0)" -> its
// text (an option button or check box reads "on" or "off").
std::map<std::string, Valore> Valori(const FrmProgram& f) {
  std::map<std::string, Valore> out;
  const json::Value doc = FormToJson(f);
  const json::Value* visible = json::Find(doc, kFormVisible);
  auto testo = [](const json::Value& v) {
    return v.is_boolean() ? std::string(v.get<bool>() ? "on" : "off") : v.get_ref<const std::string&>();
  };
  for (const std::string& name : FormValueNames()) {
    const json::Value* v = json::Find(doc, name);
    if (v == nullptr) continue;
    const json::Value* vis = visible != nullptr ? json::Find(*visible, name) : nullptr;
    if (!v->is_array()) {
      out[name] = {testo(*v), vis != nullptr && vis->is_array() && vis->size() > 0 ? (*vis)[0].get<bool>() : true};
      continue;
    }
    for (std::size_t i = 0; i < v->size(); ++i) {
      const bool shown = vis != nullptr && vis->is_array() && i < vis->size() ? (*vis)[i].get<bool>() : true;
      out[name + "(" + std::to_string(i) + ")"] = {testo((*v)[i]), shown};
    }
  }
  return out;
}

// Two box texts meaning the same value: equal numbers ("1300" and
// "1300.0") or equal texts.
bool Stesso(const std::string& a, const std::string& b) {
  if (a == b) return true;
  const auto x = NumeroRigoroso(a), y = NumeroRigoroso(b);
  if (!x || !y) return false;
  return std::fabs(*x - *y) <= 1e-9 * std::max({1.0, std::fabs(*x), std::fabs(*y)});
}

// The window as it would show the device holding `bytes` after a read.
std::map<std::string, Valore> Decodifica(const Context& c, const std::array<int, 256>& bytes) {
  ProgramState s = c.s;
  FrmProgram f = c.w.frm_program;
  FrmOper oper = c.w.frm_Oper;
  std::array<std::uint8_t, 256> b{};
  for (std::size_t i = 0; i < b.size(); ++i) b[i] = static_cast<std::uint8_t>(std::max(bytes[i], 0));
  DecodificaConfigurazione(s, f, oper, std::span<const std::uint8_t>(b.data(), kLunghezzaBlocco0));
  if (s.CodProdotto == 12 && s.CodVariante == 5)
    DecodificaFisici(s, f, oper, std::span<const std::uint8_t>(b.data() + kInizioBlocco128, kLunghezzaBlocco128));
  return Valori(f);
}

}  // namespace

std::vector<int> IndirizziRiepilogo(const ProgramState& s) {
  std::vector<int> a;
  for (int i = 0; i < kLunghezzaBlocco0; ++i) a.push_back(i);
  if (s.CodProdotto == 12 && s.CodVariante == 5)
    for (int i = 0; i < kLunghezzaBlocco128; ++i) a.push_back(kInizioBlocco128 + i);
  return a;
}

Riepilogo ConfrontaScrittura(const Context& c, const std::array<int, 256>& vecchi) {
  Riepilogo r;
  std::array<int, 256> nuovi = vecchi;
  const std::size_t n = std::min(c.s.BufIndirizzi.size(), c.s.BufDati.size());
  for (std::size_t i = 0; i < n; ++i) nuovi[c.s.BufIndirizzi[i]] = c.s.BufDati[i];
  for (int a = 0; a < 256; ++a) {
    const auto i = static_cast<std::size_t>(a);
    if (nuovi[i] != vecchi[i]) r.bytes.push_back({a, std::max(vecchi[i], 0), nuovi[i]});
  }
  if (r.bytes.empty()) return r;

  const auto prima = Decodifica(c, vecchi);
  const auto dopo = Decodifica(c, nuovi);
  // The screen with its derived copies brought up to date, as a read shows
  // them; and the screen as the last read left it (none after opening a
  // file: then nothing on screen is an edit).
  FrmProgram f = c.w.frm_program;
  CopiaValori(f);
  const auto schermo = Valori(f);
  const auto letto = c.w.LettoDalDispositivo ? Valori(*c.w.LettoDalDispositivo) : decltype(schermo){};
  auto modificato = [&](const std::string& nome, const std::string& sulloSchermo) {
    const auto l = letto.find(nome);
    return l != letto.end() && !Stesso(l->second.testo, sulloSchermo);
  };
  for (const auto& [nome, v] : dopo) {
    const auto p = prima.find(nome);
    if (p == prima.end() || !(v.visibile || p->second.visibile) || Stesso(p->second.testo, v.testo)) continue;
    r.impostazioni.push_back({nome, p->second.testo, v.testo});
    const auto sc = schermo.find(nome);
    // Not an edit of the screen, or stored otherwise than the screen shows.
    if (sc == schermo.end() || !modificato(nome, sc->second.testo) || !Stesso(sc->second.testo, v.testo))
      r.oltreModifiche = true;
  }
  return r;
}

std::string TestoRiepilogo(const ProgramState& s, const Riepilogo& r) {
  if (r.bytes.empty()) return Testo(s, kTxtNessunaModifica);
  std::string t;
  if (!r.impostazioni.empty()) t += Testo(s, kTxtRiepilogoImpostazioni);
  for (const auto& i : r.impostazioni) t += "  " + i.nome + ": " + i.vecchio + " -> " + i.nuovo + "\n";
  t += Testo(s, kTxtRiepilogoIndirizzi);
  for (const auto& b : r.bytes)
    t += "  " + std::to_string(b.indirizzo) + ": " + std::to_string(b.vecchio) + " -> " + std::to_string(b.nuovo) +
         "\n";
  return t;
}

json::Value BytesJson(const std::vector<ByteCambiato>& bytes) {
  json::Value a = json::Value::array();
  for (const auto& b : bytes) {
    json::Value o = json::Value::object();
    o["address"] = b.indirizzo;
    o["old"] = b.vecchio;
    o["new"] = b.nuovo;
    a.push_back(std::move(o));
  }
  return a;
}

json::Value RiepilogoJson(const Riepilogo& r) {
  json::Value settings = json::Value::array();
  for (const auto& i : r.impostazioni) {
    json::Value o = json::Value::object();
    o["name"] = i.nome;
    o["old"] = i.vecchio;
    o["new"] = i.nuovo;
    settings.push_back(std::move(o));
  }
  json::Value doc = json::Value::object();
  doc["settings"] = std::move(settings);
  doc["addresses"] = BytesJson(r.bytes);
  doc["beyond_edits"] = r.oltreModifiche;
  return doc;
}

bool ConfermaRiepilogo(Context& c, const Riepilogo& r) {
  if (!r.oltreModifiche) return true;
  const std::string testo = Testo(c.s, kTxtScritturaCambiaDiPiu) + TestoRiepilogo(c.s, r) + Testo(c.s, kTxtScrivere);
  return c.dialogs.MsgBox(testo, Buttons::OkCancel, Icon::Warning, TitoloApplicazione(c.s)) == Answer::Ok;
}

}  // namespace korventa
