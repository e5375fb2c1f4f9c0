#include "factory/collaudo.h"

#include <cmath>
#include <sstream>

#include "link/model_traits.h"
#include "app/format.h"
#include "files/safe_file.h"
#include "link/codecs.h"

namespace korventa {

namespace {

std::size_t U(int i) { return static_cast<std::size_t>(i); }

// The rows of channel B: its inputs and its two outputs.
bool RigaCanaleB(int riga) { return (riga >= 10 && riga <= 19) || riga == 21; }

constexpr const char* kCambiare = "Cambiare posizione termocoppia";

}  // namespace

std::optional<std::vector<int>> LeggiFileModello(const std::string& cartella, const std::string& modello,
                                                 std::size_t quanti, std::string& errore) {
  const std::string percorso = (cartella.empty() ? std::string(".") : cartella) + "/" + modello + ".dat";
  std::string motivo;
  const auto dati = ReadWholeFile(percorso, 64 * 1024, motivo);
  if (!dati) {
    errore = "model file " + percorso + ": " + motivo;
    return std::nullopt;
  }
  std::istringstream in(std::string(dati->begin(), dati->end()));
  std::vector<int> valori;
  std::string riga;
  while (valori.size() < quanti && std::getline(in, riga)) {
    const auto n = NumeroDaTesto(riga);
    if (!n && riga.find_first_not_of(" \t\r") == std::string::npos) continue;
    if (!n || *n < 0 || *n > 255 || *n != std::floor(*n)) {
      errore = "model file " + percorso + ": line \"" + riga + "\" is not a byte value";
      return std::nullopt;
    }
    valori.push_back(static_cast<int>(*n));
  }
  if (valori.size() < quanti) {
    errore = "model file " + percorso + ": " + std::to_string(valori.size()) + " values, " + std::to_string(quanti) +
             " needed";
    return std::nullopt;
  }
  return valori;
}

EsitoCollaudo Collaudo::Command2_Click() {
  b_.frm.ripresa = false;
  return Corsa();
}

EsitoCollaudo Collaudo::Command6_Click() {
  b_.frm.ripresa = true;
  return Corsa();
}

Collaudo::Fine Collaudo::Errore(const std::string& perche) {
  if (errore_.empty()) errore_ = perche;
  return Fine::Errore;
}

EsitoCollaudo Collaudo::Corsa() {
  FrmTara& f = b_.frm;
  Frm3100& d = b_.f3100;
  const bool m3100 = f.modello == "PLV3100";
  EsitoCollaudo totale;
  for (;;) {
    EsitoCollaudo e;
    errore_.clear();
    f.stop = false;
    f.inCorso = true;
    f.lbl_collaudo.Caption = "COLLAUDO IN CORSO";
    f.coloreCollaudo = Colore::Giallo;
    if (m3100) InizioCorsa3100(d);
    if (!f.ripresa)
      for (auto& r : f.righe) PulisciRiga(r);
    b_.aggiorna();

    Fine fine = Dispositivo(e);
    if (fine != Fine::Errore) {
      e.fermato = fine == Fine::Test || f.stop;
      if (!ProgrammaFinale(e)) fine = Fine::Errore;
    }
    if (fine == Fine::Errore) {
      e.errore = true;
      e.messaggio = errore_;
      f.coloreCollaudo = Colore::Rosso;
      f.lbl_collaudo.Caption = "ERRORE";
      b_.aggiorna();
      b_.dialogs.MsgBox("Errore", Buttons::Ok, Icon::Error, "PLV 7100");
    } else {
      f.coloreCollaudo = Colore::Verde;
    }
    f.lbl_collaudo.Caption = "COLLAUDO TERMINATO";
    Strumenti& st = b_.strumenti;
    if (f.modello == "3200OEM" || f.modello == "PLV7150") st.ImpostaMult(0, "LOC", "CURR");
    if (m3100) st.ImpostaMult(0, "LOC", "VOLT");
    st.BeepMult();
    if (m3100) st.BeepMult();

    for (int i = 0; i < kRigheTara; ++i) {
      const RigaTara& r = f.righe[U(i)];
      if (!r.chk_tara.Value || !f.chk_Canale[RigaCanaleB(i) ? 1 : 0].Value) continue;
      if (r.chk_tara.colore != Colore::Verde) e.righeRosse.push_back(i);
    }
    totale.errore = totale.errore || e.errore;
    totale.fermato = totale.fermato || e.fermato;
    if (totale.messaggio.empty()) totale.messaggio = e.messaggio;
    totale.identificazione = e.identificazione;
    totale.correnti.insert(totale.correnti.end(), e.correnti.begin(), e.correnti.end());
    totale.righeRosse.insert(totale.righeRosse.end(), e.righeRosse.begin(), e.righeRosse.end());
    b_.aggiorna();

    bool ancora = false;
    if (m3100 && (d.attivo1 || d.attivo2)) {
      // The two devices on the bench one after the other: the one just done
      // is programmed when asked, then the bench moves to the other.
      const int fatto = DispositivoAttivo(d);
      (fatto == 0 ? d.Command2 : d.Command4).colore = Colore::Verde;
      if (d.programma[U(fatto)] && !e.errore && programmaConfigurazione) programmaConfigurazione();
      if (fatto == 0 && d.calibra[1] && !e.errore && !e.fermato) {
        d.attesa2 = true;
        ancora = true;
        b_.dialogs.MsgBox(kCambiare, Buttons::Ok, Icon::Information, f.modello);
      } else if (fatto == 1) {
        d.attivo2 = false;
        d.attivo1 = true;
        b_.dialogs.MsgBox(kCambiare, Buttons::Ok, Icon::Information, f.modello);
      }
    }
    if (!ancora) break;
  }
  b_.strumenti.cmd_Off();
  f.ripresa = false;
  f.inCorso = false;
  b_.aggiorna();
  return totale;
}

Collaudo::Fine Collaudo::Dispositivo(EsitoCollaudo& e) {
  FrmTara& f = b_.frm;
  Strumenti& st = b_.strumenti;
  const std::string& m = f.modello;
  if (!st.ApriPortaDispositivo(b_.link) || !st.ApriPorte()) return Errore(st.Errore());
  tara_.Pausa(0.5);
  if (!st.ImpostaAlim(true, "24.00")) return Errore(st.Errore());

  if (m == "3200OEM" || m == "PLV7150") {
    if (!st.ImpostaMult(0, "LOC", "CURR")) return Errore(st.Errore());
  } else {
    if (!st.ImpostaMult(0, "REM", "VOLT")) return Errore(st.Errore());
    bool ok = true;
    if (m == "PLV7100") ok = tara_.Rele("114A115A116A117C");
    else if (m != "PLV3100") ok = tara_.Rele("108A");
    else {
      ok = ReleDispositivi("107A108A", "107C108C");
    }
    if (!ok) return Errore(tara_.Errore());
  }

  if (f.ripresa && !f.identificato) {
    // Resuming rows kept from an earlier session: the device's measurement
    // frames are those of its model, so it is identified first (a read,
    // nothing on the device changes).
    if (Fine x = Identifica(e); x != Fine::Normale) return x;
  }
  if (!f.ripresa) {
    if (Fine x = Consumi(e); x != Fine::Normale) return x;
    if (f.chk_default.Value) {
      std::string motivo;
      const auto img = LeggiFileModello(f.cartellaModelli, m, 256, motivo);
      if (!img) return Errore(motivo);
      std::vector<std::pair<int, int>> coppie;
      for (int a = 0; a < 256; ++a) coppie.push_back({a, (*img)[U(a)]});
      if (!tara_.Scrivi(coppie)) return Errore(tara_.Errore());
    }
    if (Fine x = Identifica(e); x != Fine::Normale) return x;
    if (Fine x = Switch(); x != Fine::Normale) return x;
    bool ok = true;
    if (m == "PLV3100") {
      ok = ReleDispositivi("104A105A106A107A108A109A110A111A", "104C105C106C107C108C109A110A111A");
    } else if (m == "PLV7150" || m == "3200OEM") {
      ok = tara_.Rele("109A110A111A112A");
    } else if (m != "PLV7100") {
      ok = tara_.Rele("109A110A111C112C");
    }
    if (!ok) return Errore(tara_.Errore());
  }

  if (f.chk_Canale[0].Value) {
    const Fine x = CanaleA();
    if (x != Fine::Normale || m == "3200OEM") return x;
  }
  if (f.chk_Canale[1].Value) return CanaleB();
  return Fine::Normale;
}

bool Collaudo::ReleDispositivi(const char* uno, const char* due) {
  // Each of the two devices has its own relays; only an enabled one's are
  // switched.
  const Frm3100& d = b_.f3100;
  if (DispositivoAbilitato(d, 0) && !tara_.Rele(uno)) return false;
  return !DispositivoAbilitato(d, 1) || tara_.Rele(due);
}

Collaudo::Fine Collaudo::Identifica(EsitoCollaudo& e) {
  b_.s.ErroreCom = 0;
  const auto id = b_.link.ReadProduct();
  if (id[0] != 0) return Errore("the device did not identify itself");
  e.identificazione = "product " + std::to_string(id[2]) + " variant " + std::to_string(id[3]) + " firmware " +
                      std::to_string(id[4]) + " extra " + std::to_string(id[1]);
  b_.frm.identificato = true;
  return Fine::Normale;
}

Collaudo::Fine Collaudo::Consumi(EsitoCollaudo& e) {
  FrmTara& f = b_.frm;
  if (!f.chk_Consumo.Value || !f.limiti) return Fine::Normale;
  Strumenti& st = b_.strumenti;
  struct Misura {
    const char* volt;
    int limite;
    const char* testo;
  };
  const Misura misure[] = {{f.modello == "PLV7100" ? "20.00" : "18.00", 0, "mA @ 20V ("},
                           {"30.00", 2, "mA @ 30V ("},
                           {"24.00", 1, "mA @ 24V ("}};
  for (const Misura& x : misure) {
    const double limite = (*f.limiti)[U(x.limite)];
    for (;;) {
      if (!st.ImpostaAlim(true, x.volt)) return Errore(st.Errore());
      const double mA = st.LeggiCorrAlim();
      if (mA < 0) return Errore(st.Errore().empty() ? "no answer from the supply" : st.Errore());
      e.correnti.push_back({x.volt, mA, limite});
      if (std::fabs(mA - limite) <= 5) break;
      const Answer a = b_.dialogs.MsgBox("Consumo Errato " + Format(mA, "0.###") + x.testo + Format(limite, "0.###") + ")",
                                         Buttons::AbortRetryIgnore, Icon::None, f.modello);
      if (a == Answer::Abort) return Fine::Test;
      if (a == Answer::Ignore) break;
      e.correnti.pop_back();
    }
  }
  return Fine::Normale;
}

Collaudo::Fine Collaudo::Switch() {
  FrmTara& f = b_.frm;
  if (f.modello == "PLV3100" || f.modello == "3200OEM" || !f.chk_switch.Value) return Fine::Normale;
  const bool tre = Family12(b_.s) && TraitsOf(b_.s).switchTestThirdBank;
  for (const bool on : {true, false}) {
    for (;;) {
      b_.s.ErroreCom = 0;
      const auto dip = b_.link.ReadDip();
      if (b_.s.ErroreCom != 0) return Errore("the device's switches could not be read");
      const std::array<int, 3> atteso = on ? std::array<int, 3>{255, 255, 15} : std::array<int, 3>{0, 0, 0};
      bool ok = dip[0] == atteso[0] && dip[1] == atteso[1] && (!tre || dip[2] == atteso[2]);
      if (ok) break;
      const Answer a = b_.dialogs.MsgBox(on ? "Impostare tutti i dip-switch a ON" : "Impostare tutti i dip-switch a OFF",
                                         Buttons::AbortRetryIgnore, Icon::Warning, f.modello);
      if (a == Answer::Abort) return Fine::Test;
      if (a == Answer::Ignore) break;
    }
  }
  tara_.Pausa(3);
  return Fine::Normale;
}

bool Collaudo::LeggiCostantiUscita(int canale, int indirizzo) {
  b_.s.ErroreCom = 0;
  const auto b = b_.link.ReadBytes(0, indirizzo, 6);
  if (b_.s.ErroreCom != 0) return false;
  tara_.costantiUscita[U(canale)] = {DecodeFloat(b[1], b[0], b[2]), DecodeFloat(b[4], b[3], b[5])};
  return true;
}

Collaudo::Fine Collaudo::Ingressi(int canale) {
  FrmTara& f = b_.frm;
  std::vector<const RangeIngresso*> ordine;
  for (const auto& r : RangeIngressi()) ordine.push_back(&r);
  // Channel B calibrates its PTC before the 2 kOhm range.
  if (canale == 1) std::swap(ordine[5], ordine[6]);
  for (const RangeIngresso* r : ordine) {
    if (f.stop) return Fine::Test;
    const RangeIngresso x = RangePerModello(*r, f.modello, canale);
    const int c = canale;
    if (!tara_.TaraIngresso(c, x.riga[U(c)], x.tipo, x.indirizzo[U(c)], x.S, x.N, x.Z, x.H, x.F))
      return Errore(tara_.Errore());
  }
  return f.stop ? Fine::Test : Fine::Normale;
}

Collaudo::Fine Collaudo::CanaleA() {
  FrmTara& f = b_.frm;
  const std::string& m = f.modello;
  const double fondo = m == "PLV3100" ? 10 : 20;
  const double zero = (m == "3200OEM" || m == "PLV7150") ? 4 : 0;
  if (!LeggiCostantiUscita(0, 106)) return Errore("the output constants could not be read");
  tara_.rangeUscita[0] = {zero, fondo};
  const bool conZero = m == "3200OEM" || m == "PLV7150" || m == "PLV3100";
  if (!tara_.ScriviParola(24, fondo * 1000) || !tara_.ScriviParola(26, conZero ? zero * 1000 : 0))
    return Errore(tara_.Errore());
  bool ok = true;
  if (m == "PLV3100") {
    ok = ReleDispositivi("104A105A106A107A108A109A110A111A", "104C105C106C107C108C109A110A111A");
  } else if (m == "PLV7150" || m == "3200OEM") {
    ok = tara_.Rele("101A102A103A104A105A");
  } else if (m == "PLV7100") {
    ok = tara_.Rele("109A110A111A112A");
  } else {
    ok = tara_.Rele("101A102A");
  }
  if (!ok) return Errore(tara_.Errore());
  if (m == "3200OEM" && !tara_.TaraUscita(0, 9, 0, 106, 800, 3500, 4, 12, 20)) return Errore(tara_.Errore());
  if (Fine x = Ingressi(0); x != Fine::Normale) return x;
  if (m == "3200OEM") return Fine::Normale;
  if (m == "PLV7150") {
    if (!tara_.TaraUscita(0, 9, 0, 106, 800, 3500, 4, 12, 20)) return Errore(tara_.Errore());
  } else {
    if (!tara_.TaraUscita(0, 8, 2, 100, 800, 3500, 0, 5, 10)) return Errore(tara_.Errore());
    if (f.stop) return Fine::Test;
    if (!tara_.TaraUscita(0, 9, 0, 106, 800, 3500, 0, 10, 20)) return Errore(tara_.Errore());
  }
  return f.stop ? Fine::Test : Fine::Normale;
}

Collaudo::Fine Collaudo::CanaleB() {
  FrmTara& f = b_.frm;
  const std::string& m = f.modello;
  if (!LeggiCostantiUscita(1, 118)) return Errore("the output constants could not be read");
  tara_.rangeUscita[1] = {0, 20};
  const auto uscita = tara_.LeggiByte(6);
  if (!uscita) return Errore(tara_.Errore());
  if (!tara_.ScriviParola(16, 20000) || !tara_.ScriviParola(18, 0) ||
      !tara_.Scrivi({{6, ByteUscitaConservato(*uscita, 0)}}))
    return Errore(tara_.Errore());
  tara_.Pausa(1);
  if (m == "PLV7100") {
    if (!tara_.Rele("109C110A111C112C")) return Errore(tara_.Errore());
    // Both trip thresholds far above any reading, so no trip acts while
    // channel B is calibrated.
    const auto x = EncodeFloat(32000.0);
    if (!tara_.Scrivi({{10, x[2]}, {11, x[1]}, {12, x[0]}, {13, x[2]}, {14, x[1]}, {15, x[0]}}))
      return Errore(tara_.Errore());
  } else if (!tara_.Rele("101C102C")) {
    return Errore(tara_.Errore());
  }
  if (Fine x = Ingressi(1); x != Fine::Normale) return x;
  if (!tara_.TaraUscita(1, 10, 2, 112, 800, 3500, 0, 5, 10)) return Errore(tara_.Errore());
  if (f.stop) return Fine::Test;
  if (!tara_.TaraUscita(1, 11, 0, 118, 800, 3500, 0, 10, 20)) return Errore(tara_.Errore());
  return f.stop ? Fine::Test : Fine::Normale;
}

bool Collaudo::ProgrammaFinale(EsitoCollaudo&) {
  FrmTara& f = b_.frm;
  if (!f.chk_programma.Value) return true;
  std::string motivo;
  const auto valori = LeggiFileModello(f.cartellaModelli, f.modello, 28, motivo);
  if (!valori) {
    b_.dialogs.MsgBox(motivo, Buttons::Ok, Icon::Error, f.modello);
    Errore(motivo);
    return false;
  }
  // The cold-junction offsets just calibrated stay: address 7 always, and
  // 8 as well where it holds channel B's offset or the trip delay.
  const std::string& m = f.modello;
  const bool senza8 = m == "PLV7120A" || m == "PLV7100" || m == "PLV7150" || m == "3200OEM" || m == "PLV3100";
  std::vector<std::pair<int, int>> coppie;
  for (int a = 0; a < 28; ++a) {
    if (a == 7 || (a == 8 && senza8)) continue;
    coppie.push_back({a, (*valori)[U(a)]});
  }
  if (!tara_.Scrivi(coppie)) {
    Errore(tara_.Errore());
    return false;
  }
  return true;
}

}  // namespace korventa
