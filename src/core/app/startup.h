// The start-up procedure: the program has no start-up window of its own.
#pragma once

namespace korventa {

struct Context;

// Prepares the program-wide state and every window, applies the brand and
// language texts and shows the main window, with the programming window
// placed (hidden) right under it. Talks to no device, file or port.
//
// The caller sets the main window's real height in twips
// (communication.finestre[communication].Height) beforehand if it knows it;
// otherwise the designed height is used for the placement.
void Main(Context& c);

}  // namespace korventa
