// The string table: language texts (Italian id, English id + 300), the
// brand profiles (1000 + 100 * brand + offset) and the model display names.
#pragma once

#include <string>

#include "app/state.h"

namespace korventa {

// The text stored under id; empty when the table has no entry for it.
std::string LoadResString(int id);
// Whether the table has an entry under id.
bool HasResString(int id);

// Language text: string (Italian id + OffLingua).
std::string Testo(const ProgramState& s, int italianId);
// Brand text: string 1000 + 100 * Marchio + offset.
std::string TestoMarchio(const ProgramState& s, int offset);
// The brand's application title, the caption of every message box.
std::string TitoloApplicazione(const ProgramState& s);

}  // namespace korventa
