// What a configuration write would change, before it is sent: the settings
// as the programming window names them (old and new value in engineering
// units, as the window would show them after reading the device again) and
// the memory addresses with their old and new bytes.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "app/context.h"
#include "app/json.h"

namespace korventa {

struct ImpostazioneCambiata {
  std::string nome;     // the control, as form documents name it: "txt_Input_max(0)"
  std::string vecchio;  // the value the device shows now
  std::string nuovo;    // the value it will show after the write
};

struct ByteCambiato {
  int indirizzo = 0;
  int vecchio = 0;
  int nuovo = 0;
  friend bool operator==(const ByteCambiato&, const ByteCambiato&) = default;
};

// [{"address": a, "old": o, "new": n}, ...]
json::Value BytesJson(const std::vector<ByteCambiato>& bytes);

struct Riepilogo {
  std::vector<ImpostazioneCambiata> impostazioni;
  std::vector<ByteCambiato> bytes;
  // Something would change that the screen does not show as an edit: a
  // setting on which the screen and the device agree, or a value the device
  // would store differently from what the screen shows (a file made for
  // another model, a value the device cannot hold).
  bool oltreModifiche = false;
};

// The bank-0 addresses the summary decodes: 0 to 64, and 128 to 153 on the
// two-input model.
std::vector<int> IndirizziRiepilogo(const ProgramState& s);

// The summary of the pairs in BufIndirizzi/BufDati against the device's
// bytes `vecchi` (bank 0; -1 for an address not known, which counts as 0).
// The programming window of c is the screen the write comes from.
Riepilogo ConfrontaScrittura(const Context& c, const std::array<int, 256>& vecchi);

// The summary as text, one line per setting and per address, in the user's
// language; "no changes" when nothing would change.
std::string TestoRiepilogo(const ProgramState& s, const Riepilogo& r);
json::Value RiepilogoJson(const Riepilogo& r);

// The desktop program's confirmation: when the write would change more
// than the screen's edits, shows the summary with OK/Cancel; true to write.
bool ConfermaRiepilogo(Context& c, const Riepilogo& r);

}  // namespace korventa
