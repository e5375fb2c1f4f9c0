// The device link: the transaction discipline and every device command.
//
// Runs on the caller's thread. While it waits for a reply or a pause it hands
// control to the transport's event-driven wait, which keeps a user interface
// responsive; so other handlers may run in the middle of a transaction, and
// the busy indication is their only guard.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/busy.h"
#include "app/dialogs.h"
#include "app/state.h"
#include "link/transport.h"

namespace korventa {

class Link {
 public:
  Link(ProgramState& state, Transport& transport, Dialogs& dialogs, BusyObserver& busy);

  // The port. OpenPort sets the port name and opens it if it is not open yet.
  bool OpenPort(const std::string& name, std::string& error);
  void ClosePort();
  bool PortOpen() const;
  Transport& transport() { return transport_; }

  // Sends frame (nothing when empty) and returns the first recognised reply,
  // or "timeout", or "errore" when the port raised an error.
  std::string SendAndWait(const std::string& frame, const std::string& templ, double timeout, int mode);
  // Waits t seconds while keeping the user interface responsive.
  void Pausa(double seconds);
  // Discards everything waiting in the receive buffer.
  void Flush();

  void StopMeasure();
  void StartMeasure();
  // Sets ErroreCom when the device does not acknowledge three times.
  void EnterProgram();
  void ExitProgram();

  // Element i = the byte at start + i; the rest 0. Element 0 = 1 (and
  // ErroreCom = 1) on failure. Also replaces EERAM with the bytes read on
  // success.
  std::array<std::uint8_t, 257> ReadBytes(int bank, int start, int count);
  // Writes the first count pairs of BufIndirizzi/BufDati. Returns false (and
  // leaves ErroreCom = 1) when nothing or not everything could be sent.
  bool WriteBytes(int bank, int count);
  // Pairs the last WriteBytes handed to the port: 0 when program mode was
  // refused (nothing written), fewer than asked when the port failed half-way
  // (the device may hold part of the new bytes).
  int PairsSent() const { return pairsSent_; }
  // Asked between two pairs of WriteBytes: true stops the write there (the
  // frame on the wire is finished, program mode is left) and WriteBytes
  // fails with Stopped() true. The command line sets it to its signal flag,
  // the desktop program when it is asked to close during a write.
  void SetStopRequest(std::function<bool()> stop) { stopRequest_ = std::move(stop); }
  bool Stopped() const { return stopped_; }
  // Stored word 0, the first NumCampioni1 table words, stored word 1, the
  // other NumCampioni2 words. Empty with ErroreCom = 1 on failure.
  std::vector<int> ReadSamples(int channel);
  // The switch bytes; on short-reply models elements 2 and 3 hold 13 and 10.
  std::array<int, 4> ReadDip();
  // Element 0 = 0 and elements 1..4 = extra, product, variant, firmware on
  // success (and the identification globals set); element 0 = 1 on failure.
  std::array<std::uint8_t, 5> ReadProduct();
  // One streamed "A" frame: m(i) for the indexes the family and variant
  // carry; m(0) = 1 when the user cancelled. A time-out after InMisura was
  // cleared during the wait gives m(0) = 1 without asking.
  std::array<std::uint8_t, 15> ReadMeasure();
  void SendValueA(int v);
  void SendValueB(int v);

  // The reply template of the "A" frames for the connected device.
  std::string MeasureTemplate() const;
  // Whether the last failure came from a closed or vanished port.
  bool LastFailureWasPort() const { return lastFailureWasPort_; }

 private:
  class BusyScope;
  IoStatus Send(const std::string& frame);
  void SendFrame(const std::string& frame, double pause);
  void NoteIo(IoStatus status);
  bool AskRetry(bool portText);
  void Progress(int done, int total);

  ProgramState& s_;
  Transport& transport_;
  Dialogs& dialogs_;
  BusyObserver& busy_;
  bool lastFailureWasPort_ = false;
  int pairsSent_ = 0;
  std::function<bool()> stopRequest_;
  bool stopped_ = false;
  int busyDepth_ = 0;
};

}  // namespace korventa
