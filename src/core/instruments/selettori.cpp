#include "instruments/selettori.h"

#include <cctype>

namespace korventa {

namespace {

bool IniziaCon(const std::string& testo, const char* prefisso) {
  return testo.rfind(prefisso, 0) == 0;
}

}  // namespace

const std::vector<RuoloInfo>& Ruoli() {
  static const std::vector<RuoloInfo> kRuoli = {
      {Ruolo::Alim, "Alim", "supply", "Com4", 2400},
      {Ruolo::Switch, "Switch", "switch", "Com5", 9600},
      {Ruolo::Mult, "Mult", "mult", "Com3", 9600},
      {Ruolo::Mult1, "Mult 2", "mult1", "Com2", 9600},
      {Ruolo::Cal, "Cal", "cal", "Com6", 9600},
      {Ruolo::Disp, "EUT", "eut", "Com2", 9600},
  };
  return kRuoli;
}

const RuoloInfo& InfoRuolo(Ruolo ruolo) {
  for (const auto& r : Ruoli())
    if (r.ruolo == ruolo) return r;
  return Ruoli().front();
}

std::optional<Ruolo> RuoloDaChiave(const std::string& chiave) {
  for (const auto& r : Ruoli())
    if (chiave == r.chiave) return r.ruolo;
  return std::nullopt;
}

const std::vector<std::string>& VociSelettore() {
  static const std::vector<std::string> kVoci = {"Com1", "Com2", "Com3", "Com4", "Com5", "Com6", "Com7",
                                                 "Com8", "Usb1", "Usb2", "Usb3", "Usb4", "Manuale"};
  return kVoci;
}

std::string& SelettoriStrumenti::Testo(Ruolo ruolo) {
  return const_cast<std::string&>(static_cast<const SelettoriStrumenti&>(*this).Testo(ruolo));
}

const std::string& SelettoriStrumenti::Testo(Ruolo ruolo) const {
  switch (ruolo) {
    case Ruolo::Alim: return txt_comAlim;
    case Ruolo::Switch: return txt_comSwitch;
    case Ruolo::Mult: return txt_comMult;
    case Ruolo::Mult1: return txt_comMult1;
    case Ruolo::Cal: return txt_comCal;
    case Ruolo::Disp: break;
  }
  return txt_comDisp;
}

bool EUnaRisorsa(const std::string& testo) {
  return IniziaCon(testo, "TCPIP") || IniziaCon(testo, "/dev/usbtmc");
}

Connessione ModoConnessione(Ruolo ruolo, const std::string& testo) {
  if (ruolo == Ruolo::Mult || ruolo == Ruolo::Mult1) {
    if (EUnaRisorsa(testo)) return Connessione::Usb;
    if (IniziaCon(testo, "/")) return Connessione::Com;
    const std::string primi = testo.substr(0, 3);
    if (primi == "Man") return Connessione::Manuale;
    if (primi == "Com") return Connessione::Com;
    if (primi == "Usb") return Connessione::Usb;
    return Connessione::Nessuna;
  }
  return testo == "Manuale" ? Connessione::Manuale : Connessione::Com;
}

std::string PortaDaSelettore(const std::string& testo) {
  if (IniziaCon(testo, "/")) return testo;
  // Only the last character counts: "Com6" is port 6.
  if (testo.empty() || !std::isdigit(static_cast<unsigned char>(testo.back()))) return testo;
  return std::string("COM") + testo.back();
}

LineSettings LineaDi(Ruolo ruolo) {
  LineSettings linea;
  linea.baud = InfoRuolo(ruolo).baud;
  linea.dataBits = 8;
  return linea;
}

void CaricaSelettori(SelettoriStrumenti& sel, const Impostazioni& imp) {
  for (const auto& r : Ruoli())
    if (auto v = imp.Leggi(std::string("strumenti/") + r.chiave); v && !v->empty()) sel.Testo(r.ruolo) = *v;
  if (auto v = imp.Leggi(std::string("strumenti/") + kRisorsaUsb); v && !v->empty()) sel.risorsaUsb = *v;
}

void SalvaSelettori(const SelettoriStrumenti& sel, Impostazioni& imp) {
  for (const auto& r : Ruoli()) imp.Scrivi(std::string("strumenti/") + r.chiave, sel.Testo(r.ruolo));
  imp.Scrivi(std::string("strumenti/") + kRisorsaUsb, sel.risorsaUsb);
}

}  // namespace korventa
