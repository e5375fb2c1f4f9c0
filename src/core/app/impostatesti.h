// The model and text set-up: applies the language, the brand and the
// connected model to every window at once. Runs at start-up, after each
// identification of a device and when the language changes.
#pragma once

#include <optional>

#include "app/context.h"

namespace korventa {

// The whole set-up, in its order: language offset and channel count; main
// window captions, menus, tool tips and switch button; programming window
// captions and the frames of the connected variant; model recognition and
// the model labels; icons, flag and port check box caption; about window.
// For variants 2 to 6 the model line decides part of the programming
// window's frames, so the model is recognised (memory byte 4 read) before
// those frames are set. Returns false when that read fails: the frames that
// depend on the line, the model labels and everything after them keep their
// state.
bool ImpostaTesti(Context& c);

// The programming window's frames for the variant in s.CodVariante and,
// on variants 2 to 6, the model line of catalogue model `indiceModello`
// (nullopt: no line known, the line-dependent frames keep their state).
void VisibilitaProgramma(const ProgramState& s, FrmProgram& f, std::optional<int> indiceModello);

}  // namespace korventa
