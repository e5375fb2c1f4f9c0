// The bench instruments' roles and the selectors that say how each one is
// reached: over a serial port, over the USB/LAN instrument channel, or by
// the operator by hand.
//
// The selector texts are those of the calibration window's drop-downs:
// "Com1" to "Com8", "Usb1" to "Usb4" and "Manuale". Real benches use
// USB-serial adapters, so a selector may also hold a device path
// ("/dev/ttyUSB2"), which is then the port itself; a multimeter selector may
// hold an instrument resource ("/dev/usbtmc1", "TCPIP0::host::5025::SOCKET").
// The connection mode is worked out from the text every time an operation
// runs; nothing is cached.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "link/port_factory.h"

namespace korventa {

enum class Ruolo { Alim, Switch, Mult, Mult1, Cal, Disp };
enum class Connessione { Manuale, Com, Usb, Nessuna };

struct RuoloInfo {
  Ruolo ruolo;
  const char* etichetta;   // the label beside the drop-down ("Alim")
  const char* chiave;      // settings key and command-line role name ("supply")
  const char* predefinito; // default selector text
  int baud;
};

// Every role, in the order the calibration window lists them.
const std::vector<RuoloInfo>& Ruoli();
const RuoloInfo& InfoRuolo(Ruolo ruolo);
// The role a command-line name ("supply", "switch", "mult", "mult1", "cal",
// "eut") stands for.
std::optional<Ruolo> RuoloDaChiave(const std::string& chiave);

// The entries of each drop-down, in order.
const std::vector<std::string>& VociSelettore();

// The resource the program opens for the USB/LAN instrument channel, and
// the one it maps to unless the user set another.
inline constexpr const char* kRisorsaUsb = "UsbDevice1";
inline constexpr const char* kRisorsaUsbPredefinita = "/dev/usbtmc0";

// The selectors model: one text per role, as the calibration window shows
// them (txt_comAlim ...), plus the second multimeter's port and the
// resource behind "UsbDevice1".
struct SelettoriStrumenti {
  std::string txt_comAlim = "Com4";
  std::string txt_comSwitch = "Com5";
  std::string txt_comMult = "Com3";
  std::string txt_comMult1 = "Com2";
  std::string txt_comCal = "Com6";
  std::string txt_comDisp = "Com2";
  std::string risorsaUsb = kRisorsaUsbPredefinita;

  std::string& Testo(Ruolo ruolo);
  const std::string& Testo(Ruolo ruolo) const;
};

// Multimeter: the first three characters decide ("Man", "Com", "Usb"); a
// device path is a serial port and an instrument resource the USB channel;
// any other text does nothing. Every other role: "Manuale" is manual, any
// other text a serial port (also "Usb1" to "Usb4").
Connessione ModoConnessione(Ruolo ruolo, const std::string& testo);
// Whether the text names a USB/LAN instrument resource rather than a port.
bool EUnaRisorsa(const std::string& testo);
// The port a COM-mode selector stands for: "Com6" gives "COM6" (the number
// is the last character alone), which the serial layer maps to the
// platform's port; a device path is the port as it stands.
std::string PortaDaSelettore(const std::string& testo);
// The instrument ports' line: the role's speed, 8 data bits, the port's
// defaults otherwise (no parity, 1 stop bit).
LineSettings LineaDi(Ruolo ruolo);

// Where the program keeps its settings between runs (QSettings in the
// desktop program, a map in tests).
class Impostazioni {
 public:
  virtual ~Impostazioni() = default;
  virtual std::optional<std::string> Leggi(const std::string& chiave) const = 0;
  virtual void Scrivi(const std::string& chiave, const std::string& valore) = 0;
};

// Keys "strumenti/<role>" and "strumenti/UsbDevice1". A missing or empty
// entry keeps the model's text.
void CaricaSelettori(SelettoriStrumenti& sel, const Impostazioni& imp);
void SalvaSelettori(const SelettoriStrumenti& sel, Impostazioni& imp);

}  // namespace korventa
