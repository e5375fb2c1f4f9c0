// Who the virtual converter says it is.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace korventa::sim {

struct DeviceIdentity {
  std::string model = "PLV7100";  // catalogue model code
  std::uint8_t product = 12;      // product family; the catalogue is family 12
  std::uint8_t variant = 0;       // 0..9, the model within the family
  std::uint8_t firmware = 4;      // 4 and later show the response delay on variant 0
  std::uint8_t extra = 0;         // identification byte the program only stores
  std::uint8_t lineBits = 0;      // memory byte 4 AND 0x60 for variants 2 to 6
};

// The identity of a catalogue model by its code. Case and blanks are
// ignored ("plv 7110 a" is "PLV7110A"). "3200OEM" (or "PLV3200OEM") is the
// OEM board, which answers as a PLV7150 (family 12, variant 8). nullopt for
// an unknown code.
std::optional<DeviceIdentity> IdentityForModel(std::string_view code);

}  // namespace korventa::sim
