#include "factory/rapporto.h"

#include <filesystem>

#include "app/format.h"
#include "files/safe_file.h"

namespace korventa {

namespace {

bool RigaB(int i) { return (i >= 10 && i <= 19) || i == 21; }

std::string Esito(Colore c) { return c == Colore::Verde ? "PASS" : "FAIL"; }

std::string Csv(const std::string& campo) {
  if (campo.find_first_of(",\"\r\n") == std::string::npos) return campo;
  std::string q = "\"";
  for (char c : campo) q += c == '"' ? std::string("\"\"") : std::string(1, c);
  return q + "\"";
}

}  // namespace

Certificato CompilaCertificato(const FrmTara& f, const SelettoriStrumenti& sel, const EsitoCollaudo& e,
                               const std::string& dataOra) {
  Certificato c;
  c.modello = f.modello;
  c.identificazione = e.identificazione;
  c.dataOra = dataOra;
  c.verdetto = e.errore ? "ERRORE" : e.righeRosse.empty() ? "PASS" : "FAIL";
  for (const auto& r : Ruoli()) c.strumenti.push_back(std::string(r.etichetta) + ": " + sel.Testo(r.ruolo));
  c.correnti = e.correnti;
  for (int i = 0; i < kRigheTara; ++i) {
    const RigaTara& r = f.righe[static_cast<std::size_t>(i)];
    if (!r.chk_tara.Value || !f.chk_Canale[RigaB(i) ? 1 : 0].Value) continue;
    RigaCertificato x;
    x.riga = i;
    x.passo = r.chk_tara.Caption;
    x.costante = r.txt_k1.Text;
    if (const RangeIngresso* g = RangeDiRiga(i); g && !(i >= 8 && i <= 11)) {
      const RangeIngresso k = RangePerModello(*g, f.modello, RigaB(i) ? 1 : 0);
      if (k.tipo != 8 && k.tipo != 25) {
        x.nominale = Format(k.N, "0.###");
        x.tolleranza = "± " + Format(k.N / 50, "0.###");
      }
      x.tolleranzaLetture = "± " + Format((k.F - k.Z) / 1000, "0.###");
    } else {
      x.tolleranzaLetture = "± " + Format((i == 8 || i == 10 ? 10.0 : 20.0) / 500, "0.###");
    }
    x.letture = {r.txt_zero.Text, r.txt_half.Text, r.txt_span.Text};
    x.esito = Esito(r.chk_tara.colore);
    c.righe.push_back(x);
  }
  return c;
}

std::string RigaRegistro(const Certificato& c, const EsitoCollaudo& e) {
  std::string rosse;
  for (int r : e.righeRosse) rosse += (rosse.empty() ? "" : " ") + std::to_string(r);
  return Csv(c.dataOra) + "," + Csv(c.modello) + "," + Csv(c.identificazione) + "," + Csv(c.verdetto) + "," +
         Csv(rosse);
}

bool AggiungiRegistro(const std::string& cartella, const std::string& riga, std::string& errore) {
  std::error_code ec;
  std::filesystem::create_directories(cartella, ec);
  const std::string percorso = (std::filesystem::path(cartella) / "collaudi.csv").string();
  std::string testo;
  if (std::filesystem::exists(percorso, ec)) {
    const auto vecchio = ReadWholeFile(percorso, 64u * 1024 * 1024, errore);
    if (!vecchio) return false;
    testo.assign(vecchio->begin(), vecchio->end());
    if (!testo.empty() && testo.back() != '\n') testo += '\n';
  } else {
    testo = "time,model,identification,verdict,failed rows\n";
  }
  testo += riga + "\n";
  const std::vector<std::uint8_t> dati(testo.begin(), testo.end());
  return WriteFileAtomically(percorso, dati, errore);
}

}  // namespace korventa
