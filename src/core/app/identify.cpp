#include "app/identify.h"

#include "app/context.h"
#include "app/impostatesti.h"
#include "app/texts.h"
#include "link/model_traits.h"
#include "link/models.h"
#include "link/protocol.h"

namespace korventa {

namespace {

constexpr int kTestoSostituito = 69;     // "Device Changed"
constexpr int kTestoNonCompatibile = 70;  // "Device not compatible with this software version"

void FermaMisura(Context& c) {
  if (!c.s.InMisura) return;
  c.s.InMisura = false;
  c.link.Pausa(protocol::kPauseStopMeasuring);
}

}  // namespace

void DispositivoIdentificato(Context& c) {
  c.w.communication.Identificato = true;
  ModuloPieno(c.w.frm_program);
}

Riconoscimento RiconosciModello(Context& c) {
  Riconoscimento r;
  std::uint8_t byte4 = 0;
  if (VariantHasLines(c.s.CodVariante)) {
    auto bytes = c.link.ReadBytes(0, 4, 1);
    if (c.s.ErroreCom) {
      r.letto = false;
      return r;
    }
    byte4 = bytes[0];
  }
  r.indice = RecognizeModel(c.s.CodVariante, byte4);
  return r;
}

void MostraModello(Context& c, const Riconoscimento& r) {
  if (!r.letto) return;
  auto& comm = c.w.communication;
  if (r.indice) {
    c.w.frm_program.IndiceModello = *r.indice;
    comm.lbl_device[0].Caption = NomeModello(c.s, *r.indice);
  } else {
    c.w.frm_program.IndiceModello = -1;
  }
  comm.lbl_device[1].Caption =
      "ID=" + std::to_string(int(c.s.CodProdotto)) + "/" + std::to_string(int(c.s.CodVariante));
}

std::string CodiceModelloRiconosciuto(const Context& c) {
  const int i = c.w.frm_program.IndiceModello;
  if (i < 0 || i >= kModelCount) return {};
  return std::string(Models()[static_cast<std::size_t>(i)].code);
}

std::string NomeModelloRiconosciuto(const Context& c) {
  const int i = c.w.frm_program.IndiceModello;
  if (i < 0 || i >= kModelCount) return {};
  return NomeModello(c.s, i);
}

EsitoControllo ControlloLettura(Context& c) {
  FermaMisura(c);
  if (c.link.ReadProduct()[0] != 0) {
    // Nobody answered: the screen must not go on naming a device.
    MostraNonIdentificato(c);
    return EsitoControllo::Annullato;
  }
  DispositivoIdentificato(c);
  if (!ImpostaTesti(c)) return EsitoControllo::Annullato;
  if (!Family12(c.s)) {
    c.dialogs.MsgBox(Testo(c.s, kTestoNonCompatibile), Buttons::Ok, Icon::Error, TitoloApplicazione(c.s));
    return EsitoControllo::Rifiutato;
  }
  return EsitoControllo::Ok;
}

EsitoControllo ControlloScrittura(Context& c) {
  FermaMisura(c);
  // The whole identity of the device that was read: the configuration on
  // screen belongs to it, and a file saved afterwards records it.
  const std::uint8_t prodotto = c.s.CodProdotto;
  const std::uint8_t variante = c.s.CodVariante;
  const std::uint8_t versione = c.s.VerSw;
  const std::uint8_t extra = c.s.IdExtra;
  if (c.link.ReadProduct()[0] != 0) return EsitoControllo::Annullato;
  if (c.s.CodProdotto != prodotto || c.s.CodVariante != variante) {
    c.s.CodProdotto = prodotto;
    c.s.CodVariante = variante;
    c.s.VerSw = versione;
    c.s.IdExtra = extra;
    c.dialogs.MsgBox(Testo(c.s, kTestoSostituito), Buttons::Ok, Icon::None, TitoloApplicazione(c.s));
    return EsitoControllo::Rifiutato;
  }
  if (!FamilyWritable(c.s)) {
    c.dialogs.MsgBox(Testo(c.s, kTestoNonCompatibile), Buttons::Ok, Icon::Error, c.w.communication.Caption);
    return EsitoControllo::Rifiutato;
  }
  return EsitoControllo::Ok;
}

}  // namespace korventa
