#include "sim/identity.h"

#include <cctype>

#include "link/models.h"

namespace korventa::sim {

std::optional<DeviceIdentity> IdentityForModel(std::string_view code) {
  std::string normal;
  for (char c : code) {
    if (std::isspace(static_cast<unsigned char>(c))) continue;
    normal += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  // The OEM board is built on the PLV7150's electronics and identifies as
  // one; the bench tells it apart by its code (temperature input read
  // through its own divider, no switches).
  if (normal == "3200OEM" || normal == "PLV3200OEM") {
    DeviceIdentity id;
    id.model = "3200OEM";
    id.variant = FindModel("PLV7150")->variant;
    return id;
  }
  const ModelInfo* m = FindModel(normal);
  if (!m) return std::nullopt;
  DeviceIdentity id;
  id.model = std::string(m->code);
  id.variant = m->variant;
  id.lineBits = m->lineBits;
  return id;
}

}  // namespace korventa::sim
