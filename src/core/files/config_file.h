// File > Open and File > Save / Save as of the main window: the programming
// window's values to and from a ".DST" file (files/dst_record.h). Opening
// puts values into the window only; it never talks to the device.
#pragma once

#include <string>
#include <vector>

#include "app/context.h"
#include "files/dst_record.h"

namespace korventa {

enum class OpenResult {
  Loaded,      // the window shows the file's values
  NoName,      // the dialog gave no name; nothing happened
  Cancelled,   // the version or device question was answered Cancel
  Unreadable,  // the file could not be read or is not one 292-byte record
};

// File > Open. Asks for a file, reads its record (kept in Windows::RecordDst),
// asks before loading a file of another program version or of another
// device, and puts the values into the programming window's controls, running
// their change handlers as the values arrive. Only a file that is actually
// loaded becomes the remembered file name (Windows::NomeFile) and the main
// window's caption; anything short of that leaves the window as it was.
OpenResult OpenConfigFile(Context& c);

// File > Save (asNew false: to the remembered name, without asking) and
// File > Save as (asNew true: asks for a name, with an overwrite prompt).
// The file is replaced atomically: a failed save shows an error and leaves
// the previous file intact. True when a file was written.
bool SaveConfigFile(Context& c, bool asNew);

// A field of a record that cannot go to the model it is checked against: a
// code the model does not offer (the window would show it as another entry or
// none, and writing would store a different setting), or a number that is no
// number at all (NaN, infinity), which no box can show.
struct CampoDst {
  std::size_t offset;
  // In the user's language: "input type code, ch A (offset 12): code 28, not
  // offered by this model".
  std::string text;
  bool numero = false; // a non-finite number rather than a code
};
// Checked against the model of s (CodProdotto, CodVariante, VerSw); only the
// fields the programming window loads and writing uses.
std::vector<CampoDst> CampiNonAmmessi(const ProgramState& s, const DstRecord& record);

// The record as the window's controls and the channel records fill it;
// fields Save does not set (the first reserved double) keep the value they
// have in `record`.
void RecordDaFinestra(Context& c, DstRecord& record);

}  // namespace korventa
