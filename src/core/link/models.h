// The twenty converter models: catalogue index, internal model code and how
// the device identifies itself as that model.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace korventa {

struct ModelInfo {
  int index;               // position of the display name in a brand's block
  std::string_view code;   // internal model code, e.g. "PLV7110A"
  std::uint8_t variant;    // CodVariante the device answers
  std::uint8_t lineBits;   // memory byte 4 AND 0x60, for variants 2 to 6
};

inline constexpr int kModelCount = 20;
const std::array<ModelInfo, kModelCount>& Models();

// Whether the model line of a variant is told apart by memory byte 4.
bool VariantHasLines(int variant);
// Model recognition: from the variant and, for variants 2, 3, 4 and 6, the
// line bits (byte 4 AND 0x60). Variant 5 is always index 16. nullopt for a
// variant outside 0..9.
std::optional<int> RecognizeModel(int variant, std::uint8_t byte4);
// The catalogue entry with the given model code, if any.
const ModelInfo* FindModel(std::string_view code);

}  // namespace korventa
