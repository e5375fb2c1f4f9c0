#include "files/backup.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <map>
#include <set>
#include <system_error>

#include "app/json.h"
#include "app/texts.h"
#include "files/safe_file.h"
#include "link/models.h"

namespace korventa {

namespace {

// A model's backups grow by at most a few kilobytes per write.
constexpr std::size_t kMaxBackupBytes = 64u << 20;
// Addresses closer than this are read in one block: a read costs a whole
// transaction, a byte in between only one more exchange.
constexpr int kVuotoMassimo = 8;

const char* NomeTipo(TipoScrittura t) {
  switch (t) {
    case TipoScrittura::Configurazione:
      return "configuration";
    case TipoScrittura::Immagine:
      return "image";
    case TipoScrittura::Registro:
      return "register";
    case TipoScrittura::Ripristino:
      return "restore";
    case TipoScrittura::Switch:
      return "switches";
  }
  return "";
}

// The kind of a write in the user's language; the backup file keeps the
// English name above.
std::string TipoDaMostrare(const ProgramState& s, const std::string& nome) {
  constexpr std::pair<const char*, int> kTipi[] = {{"configuration", kTxtTipoConfigurazione},
                                                   {"image", kTxtTipoImmagine},
                                                   {"register", kTxtTipoRegistro},
                                                   {"restore", kTxtTipoRipristino},
                                                   {"switches", kTxtTipoSwitch}};
  for (const auto& [n, id] : kTipi)
    if (nome == n) return Testo(s, id);
  return nome;
}

bool Intero(const json::Value* v, int lo, int hi, int& out) {
  if (v == nullptr || !v->is_number()) return false;
  const double x = v->get<double>();
  if (x < lo || x > hi || x != static_cast<double>(static_cast<int>(x))) return false;
  out = static_cast<int>(x);
  return true;
}

// The pairs of the write buffers, the last byte written to an address
// winning.
std::map<int, int> Coppie(const ProgramState& s) {
  std::map<int, int> m;
  const std::size_t n = std::min(s.BufIndirizzi.size(), s.BufDati.size());
  for (std::size_t i = 0; i < n; ++i) m[s.BufIndirizzi[i]] = s.BufDati[i];
  return m;
}

// Reads the addresses of `servono` that `vecchi` does not know yet, in as
// few blocks as is sensible. False when a read failed.
bool LeggiMancanti(Context& c, int bank, const std::set<int>& servono, std::array<int, 256>& vecchi) {
  std::vector<int> mancano;
  for (int a : servono)
    if (vecchi[static_cast<std::size_t>(a)] < 0) mancano.push_back(a);
  std::size_t i = 0;
  while (i < mancano.size()) {
    std::size_t j = i;
    while (j + 1 < mancano.size() && mancano[j + 1] - mancano[j] <= kVuotoMassimo) ++j;
    const int primo = mancano[i], n = mancano[j] - primo + 1;
    const auto letti = c.link.ReadBytes(bank, primo, n);
    if (c.s.ErroreCom) return false;
    for (int k = 0; k < n; ++k) vecchi[static_cast<std::size_t>(primo + k)] = letti[static_cast<std::size_t>(k)];
    i = j + 1;
  }
  return true;
}

void MessaggioFallito(Context& c, const std::string& perche) {
  c.dialogs.MsgBox(Testo(c.s, kTxtCopiaNonRiuscita) + perche + Testo(c.s, kTxtNullaScrittoNoBackup), Buttons::Ok,
                   Icon::Error, TitoloApplicazione(c.s));
}

}  // namespace

std::string VoceInRiga(const VoceBackup& v) {
  json::Value o = json::Value::object();
  o["time"] = v.ora;
  o["model"] = v.modello;
  o["product"] = v.prodotto;
  o["variant"] = v.variante;
  o["firmware"] = v.firmware;
  o["extra"] = v.extra;
  o["bank"] = v.banco;
  o["kind"] = v.tipo;
  o["changes"] = BytesJson(v.modifiche);
  return json::WriteCompact(o);
}

std::optional<VoceBackup> VoceDaRiga(std::string_view riga, std::string& errore) {
  json::ParseError pe;
  const auto doc = json::Parse(riga, pe);
  if (!doc) {
    errore = pe.Message();
    return std::nullopt;
  }
  VoceBackup v;
  auto testo = [&](const char* k, std::string& out) {
    const json::Value* x = json::Find(*doc, k);
    if (x == nullptr || !x->is_string()) return false;
    out = x->get_ref<const std::string&>();
    return true;
  };
  const json::Value* changes = json::Find(*doc, "changes");
  if (!doc->is_object() || !testo("time", v.ora) || !testo("model", v.modello) || !testo("kind", v.tipo) ||
      !Intero(json::Find(*doc, "product"), 0, 255, v.prodotto) || !Intero(json::Find(*doc, "variant"), 0, 255, v.variante) ||
      !Intero(json::Find(*doc, "firmware"), 0, 255, v.firmware) || !Intero(json::Find(*doc, "extra"), 0, 255, v.extra) ||
      !Intero(json::Find(*doc, "bank"), 0, 255, v.banco) || changes == nullptr || !changes->is_array()) {
    errore = "not a backup entry";
    return std::nullopt;
  }
  for (const auto& c : *changes) {
    ByteCambiato m;
    if (!Intero(json::Find(c, "address"), 0, 255, m.indirizzo) || !Intero(json::Find(c, "old"), 0, 255, m.vecchio) ||
        !Intero(json::Find(c, "new"), 0, 255, m.nuovo)) {
      errore = "a change is not an address with an old and a new byte";
      return std::nullopt;
    }
    v.modifiche.push_back(m);
  }
  return v;
}

std::string CartellaBackupPredefinita(const char* xdgDataHome, const char* home) {
  // Only an absolute XDG_DATA_HOME counts; a relative one is to be ignored.
  if (xdgDataHome != nullptr && xdgDataHome[0] == '/') return std::string(xdgDataHome) + "/korventa/backups";
  if (home != nullptr && home[0] != '\0') return std::string(home) + "/.local/share/korventa/backups";
  return {};
}

std::string FileBackup(const std::string& cartella, const std::string& modello) {
  return cartella + "/" + modello + ".jsonl";
}

bool AggiungiBackup(const std::string& cartella, const VoceBackup& v, std::string& errore, int lingua) {
  if (cartella.empty()) {
    errore = TestoInLingua(lingua, kTxtNessunaCartellaCopie);
    return false;
  }
  std::error_code ec;
  std::filesystem::create_directories(cartella, ec);
  if (ec) {
    errore = cartella + ": " + ec.message();
    return false;
  }
  const std::string path = FileBackup(cartella, v.modello);
  const std::string riga = VoceInRiga(v) + "\n";
  const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) {
    errore = path + ": " + std::strerror(errno);
    return false;
  }
  std::size_t scritti = 0;
  while (scritti < riga.size()) {
    const ssize_t n = ::write(fd, riga.data() + scritti, riga.size() - scritti);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    scritti += static_cast<std::size_t>(n);
  }
  // The entry must be on the disk before the device changes.
  const bool ok = scritti == riga.size() && ::fsync(fd) == 0;
  const int err = errno;
  ::close(fd);
  if (!ok) errore = path + ": " + std::strerror(err);
  return ok;
}

std::vector<VoceBackup> LeggiBackup(const std::string& cartella, const std::string& modello) {
  std::vector<VoceBackup> voci;
  std::string errore;
  const auto bytes = ReadWholeFile(FileBackup(cartella, modello), kMaxBackupBytes, errore);
  if (!bytes) return voci;
  const std::string_view testo(reinterpret_cast<const char*>(bytes->data()), bytes->size());
  std::size_t inizio = 0;
  while (inizio < testo.size()) {
    std::size_t fine = testo.find('\n', inizio);
    if (fine == std::string_view::npos) fine = testo.size();
    if (auto v = VoceDaRiga(testo.substr(inizio, fine - inizio), errore)) voci.push_back(std::move(*v));
    inizio = fine + 1;
  }
  return voci;
}

std::string ModelloPerBackup(Context& c) {
  const ProgramState& s = c.s;
  const std::string codici = "F" + std::to_string(s.CodProdotto) + "-V" + std::to_string(s.CodVariante);
  if (s.CodProdotto != 12) return codici;
  std::uint8_t byte4 = 0;
  if (VariantHasLines(s.CodVariante)) {
    if (s.MemoriaNota[4] < 0) {
      c.link.ReadBytes(0, 4, 1);
      if (c.s.ErroreCom) return {};
    }
    byte4 = static_cast<std::uint8_t>(c.s.MemoriaNota[4]);
  }
  const auto indice = RecognizeModel(s.CodVariante, byte4);
  if (!indice) return codici;
  for (const auto& m : Models())
    if (m.index == *indice) return std::string(m.code);
  return codici;
}

std::string OraUtc() {
  using namespace std::chrono;
  const auto ora = system_clock::now();
  const std::time_t t = system_clock::to_time_t(ora);
  const auto ms = duration_cast<milliseconds>(ora.time_since_epoch()).count() % 1000;
  std::tm tm{};
  gmtime_r(&t, &tm);
  char buf[40];
  std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%S", &tm);
  char out[48];
  std::snprintf(out, sizeof out, "%s.%03dZ", buf, static_cast<int>(ms));
  return out;
}

Salvaguardia::Salvaguardia(OpzioniBackup opzioni, Orologio orologio)
    : opzioni_(std::move(opzioni)), orologio_(orologio ? std::move(orologio) : Orologio(&OraUtc)) {}

bool Salvaguardia::PrimaDiScrivere(Context& c, int bank, TipoScrittura tipo) {
  const std::map<int, int> coppie = Coppie(c.s);
  if (coppie.empty()) return true;
  const bool conRiepilogo = tipo == TipoScrittura::Configurazione && bank == 0 && riepilogo;
  if (!opzioni_.attivo && !conRiepilogo) return true;

  // The memory editor writes without identifying the device first.
  if (opzioni_.attivo && (tipo == TipoScrittura::Immagine || tipo == TipoScrittura::Registro)) {
    if (c.link.ReadProduct()[0] != 0) {
      MessaggioFallito(c, Testo(c.s, kTxtNonRispondeIdentificazione));
      return false;
    }
  }
  std::array<int, 256> vecchi = NessunaMemoriaNota();
  if (bank == 0) vecchi = c.s.MemoriaNota;
  std::set<int> servono;
  for (const auto& [a, b] : coppie) servono.insert(a);
  if (conRiepilogo)
    for (int a : IndirizziRiepilogo(c.s)) servono.insert(a);
  if (!LeggiMancanti(c, bank, servono, vecchi)) {
    if (!opzioni_.attivo) return false;
    MessaggioFallito(c, Testo(c.s, kTxtByteNonLeggibili));
    return false;
  }
  if (conRiepilogo && !riepilogo(c, vecchi)) return false;
  if (!opzioni_.attivo) return true;

  VoceBackup v;
  for (const auto& [a, b] : coppie)
    if (vecchi[static_cast<std::size_t>(a)] != b) v.modifiche.push_back({a, vecchi[static_cast<std::size_t>(a)], b});
  if (v.modifiche.empty()) return true;
  v.modello = ModelloPerBackup(c);
  if (v.modello.empty()) {
    MessaggioFallito(c, Testo(c.s, kTxtModelloNonRiconosciuto));
    return false;
  }
  v.ora = orologio_();
  v.prodotto = c.s.CodProdotto;
  v.variante = c.s.CodVariante;
  v.firmware = c.s.VerSw;
  v.extra = c.s.IdExtra;
  v.banco = bank;
  v.tipo = NomeTipo(tipo);
  std::string errore;
  if (!AggiungiBackup(opzioni_.cartella, v, errore, c.s.Lingua)) {
    MessaggioFallito(c, errore);
    return false;
  }
  return true;
}

EsitoRipristino Ripristina(Context& c, const VoceBackup& v) {
  EsitoRipristino e;
  if (c.link.ReadProduct()[0] != 0) {
    e.errore = Testo(c.s, kTxtNonRispondeIdentificazione);
    return e;
  }
  const std::string modello = ModelloPerBackup(c);
  if (c.s.CodProdotto != v.prodotto || c.s.CodVariante != v.variante || modello != v.modello) {
    e.errore = Testo(c.s, kTxtCollegatoUn) + modello + Testo(c.s, kTxtCopiaDiUn) + v.modello;
    return e;
  }
  if (v.modifiche.empty()) {
    e.scritto = true;
    return e;
  }
  c.s.BufIndirizzi.clear();
  c.s.BufDati.clear();
  for (const auto& m : v.modifiche) {
    c.s.BufIndirizzi.push_back(static_cast<std::uint8_t>(m.indirizzo));
    c.s.BufDati.push_back(static_cast<std::uint8_t>(m.vecchio));
  }
  if (!PrimaDiScrivere(c, v.banco, TipoScrittura::Ripristino)) {
    e.errore = Testo(c.s, kTxtFermataPrimaInvio);
    return e;
  }
  if (!c.link.WriteBytes(v.banco, static_cast<int>(v.modifiche.size()))) {
    e.errore = c.link.PairsSent() == 0 ? Testo(c.s, kTxtErroreNullaScritto) : Testo(c.s, kTxtRipristinoInterrotto);
    return e;
  }
  e.scritto = true;
  int primo = 255, ultimo = 0;
  for (const auto& m : v.modifiche) {
    primo = std::min(primo, m.indirizzo);
    ultimo = std::max(ultimo, m.indirizzo);
  }
  const auto letti = c.link.ReadBytes(v.banco, primo, ultimo - primo + 1);
  if (c.s.ErroreCom) {
    e.errore = Testo(c.s, kTxtRiletturaNonRiuscita);
    return e;
  }
  for (const auto& m : v.modifiche) {
    const int trovato = letti[static_cast<std::size_t>(m.indirizzo - primo)];
    if (trovato != m.vecchio) e.differenze.push_back({m.indirizzo, m.vecchio, trovato});
  }
  return e;
}

std::string DescriviRipristino(const VoceBackup& v) {
  std::string t;
  for (const auto& m : v.modifiche)
    t += "  " + std::to_string(m.indirizzo) + ": " + std::to_string(m.nuovo) + " -> " + std::to_string(m.vecchio) + "\n";
  return t;
}

void mnu_File_Undo_Click(Context& c, const OpzioniBackup& opzioni) {
  const std::string titolo = TitoloApplicazione(c.s);
  if (!opzioni.attivo) {
    c.dialogs.MsgBox(Testo(c.s, kTxtCopieDisattivate), Buttons::Ok, Icon::Information, titolo);
    return;
  }
  if (c.link.ReadProduct()[0] != 0) return;  // the link has said why
  const std::string modello = ModelloPerBackup(c);
  std::vector<VoceBackup> voci;
  for (auto& v : LeggiBackup(opzioni.cartella, modello))
    if (v.prodotto == c.s.CodProdotto && v.variante == c.s.CodVariante) voci.push_back(std::move(v));
  if (modello.empty() || voci.empty()) {
    c.dialogs.MsgBox(Testo(c.s, kTxtNessunaCopia) + opzioni.cartella + ".", Buttons::Ok, Icon::Information, titolo);
    return;
  }
  const VoceBackup& v = voci.back();
  const std::string domanda = Testo(c.s, kTxtAnnullareUltima) + TipoDaMostrare(c.s, v.tipo) + ", " + v.ora + ")?\n" +
                              Testo(c.s, kTxtBanco) + std::to_string(v.banco) +
                              Testo(c.s, kTxtIndirizzoAttualeRipristinato) + DescriviRipristino(v);
  if (c.dialogs.MsgBox(domanda, Buttons::OkCancel, Icon::Question, titolo) != Answer::Ok) return;
  const EsitoRipristino e = Ripristina(c, v);
  if (!e.errore.empty()) {
    c.dialogs.MsgBox(e.errore, Buttons::Ok, Icon::Error, titolo);
  } else if (!e.differenze.empty()) {
    c.dialogs.MsgBox(std::to_string(e.differenze.size()) + Testo(c.s, kTxtIndirizziRilettiDiversi), Buttons::Ok,
                     Icon::Error, titolo);
  } else {
    c.dialogs.MsgBox(
        Testo(c.s, kTxtScritturaAnnullata) + std::to_string(v.modifiche.size()) + Testo(c.s, kTxtIndirizziRipristinati),
        Buttons::Ok, Icon::Information, titolo);
  }
}

}  // namespace korventa
