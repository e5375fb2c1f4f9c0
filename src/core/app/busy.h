// How the link shows that it is busy. The main window binds the lamp, the
// progress bar, the hourglass pointer and its own enabled state to this.
#pragma once

namespace korventa {

class BusyObserver {
 public:
  virtual ~BusyObserver() = default;
  // Lamp red and hourglass pointer while a transaction runs; green and the
  // normal pointer afterwards.
  virtual void SetBusy(bool /*busy*/) {}
  // Share of the current block done, 0..1.
  virtual void SetProgress(double /*share*/) {}
  // The whole main window is disabled while a block is read.
  virtual void SetMainEnabled(bool /*enabled*/) {}
  // The adapter disappeared (unplugged) during an exchange; the link has
  // closed the port.
  virtual void PortLost() {}
};

}  // namespace korventa
