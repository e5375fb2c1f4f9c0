// The instrument layer: one operation per bench-instrument action. Every
// factory function (calibration, production test, calibration check, bench
// tests) reaches the instruments through these operations.
//
// Each operation works out its instrument's connection from the selector
// text as it runs: a serial port (opened on first use, kept open), the
// USB/LAN instrument channel (opened for the operation and released after
// it), or the operator, asked through Dialogs.
//
// Every wait is event-driven and bounded: an instrument that is switched off
// or unplugged makes the operation fail with a message that names the role
// and the port (Errore()), and the caller sees a failed operation, never a
// made-up reading.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/dialogs.h"
#include "app/state.h"
#include "instruments/instrument_io.h"
#include "instruments/selettori.h"
#include "link/link.h"
#include "link/port_factory.h"

namespace korventa {

// The calibrator answers every byte at once; a byte unanswered this long
// means the calibrator is not there.
inline constexpr std::chrono::milliseconds kAttesaRispostaCal{2000};
// How long after its one-second settling wait a multimeter may take to
// finish its answer to ":READ?" (a slow integration time stays well inside).
inline constexpr std::chrono::milliseconds kAttesaRispostaMult{4000};
// The supply's answer to "A" must be complete within this after the first
// read.
inline constexpr std::chrono::milliseconds kAttesaRispostaAlim{1000};
// Time-out of the USB/LAN channel for every read.
inline constexpr int kTimeoutUsbMs = 4000;

// Pauses the instruments need after a command.
inline constexpr double kPausaMult = 0.5;       // after each multimeter set-up command
inline constexpr double kPausaLetturaMult = 1.0;  // between ":READ?" and the answer
inline constexpr double kPausaLetturaUsb = 0.5;   // between "READ?" and the answer
inline constexpr double kPausaAlimVolt = 0.5;     // after "SV"
inline constexpr double kPausaAlimUscita = 1.0;   // after "KOE" / "KOD"
inline constexpr double kPausaCorrAlim = 0.5;     // between "A" and the first read
inline constexpr double kPausaTempAmbiente = 1.0;  // before the calibrator's temperature read

// Calibrator commands.
inline constexpr int kCalLeggi = 1;
inline constexpr int kCalFunzione = 128;
inline constexpr int kCalValore = 129;
inline constexpr int kCalRemoto = 130;

// The seven bytes of a calibrator packet: address, command, d1..d4, check
// byte (d1 + d2 + d3 + d4) AND 127.
std::array<std::uint8_t, 7> PacchettoCal(int indirizzo, int comando, const std::array<std::uint8_t, 4>& d);
// A calibrator value as its four data bytes, most significant first; a
// negative value in 32-bit two's complement.
std::array<std::uint8_t, 4> ByteValoreCal(double valore);
// The relay commands of a channel string, in order: "rout:open (@109)" for
// "109A", "rout:close (@111)" for "111C"; a channel without letter is left
// alone. Without the line end.
std::vector<std::string> ComandiSwitch(const std::string& canali);
// The number a reply or typed text holds, surrounding blanks and line ends
// aside; nullopt when it is not a number.
std::optional<double> NumeroDaTesto(const std::string& testo);

class Strumenti {
 public:
  Strumenti(const ProgramState& s, SelettoriStrumenti& selettori, PortFactory& porte, InstrumentIoFactory& usb,
            Dialogs& dialogs);
  ~Strumenti();
  Strumenti(const Strumenti&) = delete;
  Strumenti& operator=(const Strumenti&) = delete;

  SelettoriStrumenti& Selettori() { return sel_; }

  // Each returns false (or nullopt, or -1) on failure, with the reason in
  // Errore().
  bool ImpostaCal(double valore);
  bool InviaCal(int indirizzo, int comando, std::array<std::uint8_t, 4>& d);
  std::optional<double> LeggiTempAmbiente();
  bool ImpostaMult(int indice, const std::string& modo, const std::string& funzione);
  bool BeepMult();
  std::optional<double> LeggiMult(int indice);
  bool ImpostaSwitch(const std::string& canali);
  bool ImpostaAlim(bool acceso, const std::string& volt);
  // The supply current in mA; -1 when no complete answer came.
  double LeggiCorrAlim();

  // Opens the port of a COM-mode role when it is closed (the multimeter only
  // when its selector is a COM one); true when there is nothing to open.
  bool ApriPorta(Ruolo ruolo);
  // The ports a run needs: supply, relay unit, multimeter 0, calibrator.
  bool ApriPorte();
  // The device link's port, from the device-under-test selector.
  bool ApriPortaDispositivo(Link& link);
  void ChiudiPorta(Ruolo ruolo);
  bool PortaAperta(Ruolo ruolo) const;

  // The calibration window's power buttons: supply on / off at 24 V.
  bool cmd_On();
  bool cmd_Off();

  // The USB/LAN channel on the resource behind "UsbDevice1", opened; null
  // with Errore() set when it cannot be opened. For the function generator.
  std::unique_ptr<InstrumentIo> ApriCanaleUsb();

  const std::string& Errore() const { return errore_; }

 private:
  static Ruolo RuoloMult(int indice) { return indice == 1 ? Ruolo::Mult1 : Ruolo::Mult; }
  Transport* Porta(Ruolo ruolo);
  std::unique_ptr<InstrumentIo> CanaleUsb(const std::string& risorsa);
  std::string RisorsaMult(Ruolo ruolo) const;
  bool Scrivi(Ruolo ruolo, Transport& t, const std::string& testo);
  void Pausa(Transport& t, double secondi);
  void PausaUsb(InstrumentIo& io, double secondi);
  // Reads into buf until done(buf) or the deadline; false (with the reason
  // in Errore()) when the port failed or the deadline passed first.
  template <typename Done>
  bool Attendi(Ruolo ruolo, Transport& t, std::string& buf, Clock::time_point deadline, Done done);
  bool Fallisci(std::string testo);
  bool Muto(Ruolo ruolo);
  bool Avviso(const std::string& testo);
  std::optional<std::string> Chiedi(const std::string& prompt);
  std::optional<double> ChiediNumero(const std::string& prompt);
  std::string Nome(Ruolo ruolo) const;
  std::string Dove(Ruolo ruolo) const;

  const ProgramState& s_;
  SelettoriStrumenti& sel_;
  PortFactory& porte_;
  InstrumentIoFactory& usb_;
  Dialogs& dialogs_;
  std::map<Ruolo, std::unique_ptr<Transport>> aperte_;
  std::string errore_;
};

}  // namespace korventa
