// The program-wide state: one instance lives for the whole run and is passed
// by reference to every subsystem. Member names are the names the rest of the
// program (and the technicians who use it) use for these values.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "config/records.h"

#include "config/catalog.h"
#include "config/lookups.h"
#include "switches/demo.h"

namespace korventa {

constexpr std::array<int, 256> NessunaMemoriaNota() {
  std::array<int, 256> a{};
  a.fill(-1);
  return a;
}

struct ProgramState {
  // Brand profile 0..3; fixed at start-up. Brand texts are resource strings
  // 1000 + 100 * Marchio + offset.
  std::uint8_t Marchio = 2;
  // 0 Italian, 1 English.
  std::uint8_t Lingua = 0;
  // 300 * Lingua, added to every language-dependent text id.
  int OffLingua = 0;

  // Identification of the connected device, set together by ReadProduct.
  std::uint8_t CodProdotto = 12;
  std::uint8_t CodVariante = 0;
  std::uint8_t VerSw = 0;
  std::uint8_t IdExtra = 0;
  // The model code the factory functions work on (the calibration window's
  // choice).
  std::string Modello;

  // Number of channels less one: 1 on every device.
  int NumCanali1 = 1;
  // Per channel: temperatures shown in degrees Fahrenheit.
  std::array<bool, 2> GradiF{false, false};

  // 0 after a good transaction, 1 after a failed one.
  int ErroreCom = 0;
  // Image of the configuration memory as last read; index 0 = first address
  // read. Replaced by every block read, including the table read of samples.
  std::vector<std::uint8_t> EERAM;
  // What this connection knows of bank 0 (the configuration memory): the
  // byte each address held when last read, -1 where unknown. Every read of
  // bank 0 fills it; a write makes its addresses unknown again (the device
  // may keep some bits of its own), and so does opening or closing the port
  // (another device may be there now). Backups take old values from here
  // instead of reading them again.
  std::array<int, 256> MemoriaNota = NessunaMemoriaNota();
  // (address, byte) pairs collected for WriteBytes: pair i is
  // (BufIndirizzi[i], BufDati[i]), counted from 0.
  std::vector<std::uint8_t> BufIndirizzi;
  std::vector<std::uint8_t> BufDati;

  // Live measurement streaming; reading, writing and other windows clear it.
  bool InMisura = false;
  // The device's switch banks as ReadDip last returned them, and the first
  // three as bytes (bit i = switch i + 1, set = "On"). Kept when a read of
  // the banks fails.
  std::array<int, 4> DipLetti{};
  std::uint8_t Dip0 = 0;
  std::uint8_t Dip1 = 0;
  std::uint8_t Dip2 = 0;
  // False while lists are being filled: change handlers then do nothing.
  bool EventiAttivi = true;
  // True once the program is ending.
  bool InUscita = false;

  // Span/zero table sizes of the connected variant (set by ReadSamples).
  int NumCampioni1 = 63;
  int NumCampioni2 = 15;
  // Words of the configuration memory are signed, except on variant 7.
  bool ConSegno = true;

  // Type catalogue: built once (CaricaTabelle), read-only afterwards except
  // the "10 V" minimum, which follows the connected variant. Filled here for
  // the start-up identity (family 12, variant 0).
  TabellaTipiIngresso TipiIngresso = CostruisciTipiIngresso(0);
  TabellaTipiFrequenza TipiFrequenza = CostruisciTipiFrequenza();
  TabellaTipiUscita TipiUscita = CostruisciTipiUscita();
  TabellaTipiUscitaEstesa TipiUscitaEstesa = CostruisciTipiUscitaEstesa();
  TabellaTolleranze Tolleranze = CostruisciTolleranze();
  // Range-limit texts of the switch window.
  TabellaTestiLimiti TestiLimiti = CostruisciTestiLimiti();
  // The switch wizard's input names, span/zero tables and D-model ranges.
  sw::DatiDemo DatiSwitch = sw::CostruisciDatiDemo();

  // The configuration being edited: overwritten by reading, by the
  // programming window's edits, by opening a file and by writing.
  std::array<DatiCanale, 2> Canali{};
  std::array<DatiSoglia, 2> Soglie{};
  // The response-delay field as stored in the device.
  std::uint16_t RitardoRaw = 0;
};

}  // namespace korventa
