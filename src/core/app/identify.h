// Which converter is connected, and whether the program may read or write
// it: model recognition (with the model labels of the main window), and the
// checks that open every read and every write.
#pragma once

#include <optional>
#include <string>

#include "app/context.h"

namespace korventa {

// The outcome of recognising the model from the identification globals.
struct Riconoscimento {
  // False when the read of memory byte 4 (variants 2 to 6) failed: the
  // model and screen set-up stops there.
  bool letto = true;
  // Catalogue index (link/models.h); nullopt for a variant outside 0..9.
  std::optional<int> indice;
};

// A device answered its identification: the model set-up that follows
// names it and shows its form (until then the screens say no device is
// identified).
void DispositivoIdentificato(Context& c);

// From CodVariante and, for variants 2 to 6, the line bits of memory byte 4
// (read with ReadBytes(0, 4, 1), a full transaction; variant 5 reads it too
// although the model is always the PLV7220D).
Riconoscimento RiconosciModello(Context& c);

// The main window's model labels: lbl_device(0) the display name of the
// brand (the model code where the brand has none), lbl_device(1)
// "ID=" + family + "/" + variant. An unrecognised variant leaves the name
// label as it was; the ID label always shows the identification.
// Also keeps the index in frm_program.IndiceModello (-1 unrecognised).
void MostraModello(Context& c, const Riconoscimento& r);

// Internal model code ("PLV7110A") and display name of the recognised
// model; empty while none is recognised.
std::string CodiceModelloRiconosciuto(const Context& c);
std::string NomeModelloRiconosciuto(const Context& c);

enum class EsitoControllo {
  Ok,         // go on
  Annullato,  // identification failed or cancelled: stop silently
  Rifiutato,  // the device is refused (a message has been shown)
};

// The first steps of every read: stop live measurement, identify, run the
// model and text set-up, refuse any family but 12 (text 70, error icon).
// A set-up that stopped because its own read failed counts as Annullato.
EsitoControllo ControlloLettura(Context& c);

// The first steps of every write: stop live measurement, identify again and
// refuse a device exchanged since it was read (text 69, OK only, no icon;
// the identity of the device that was read is put back), then any family
// but 11 and 12 (text 70, error icon, the main window's caption as title).
EsitoControllo ControlloScrittura(Context& c);

}  // namespace korventa
