#include "link/models.h"

#include "link/model_traits.h"

namespace korventa {

const std::array<ModelInfo, kModelCount>& Models() {
  static const std::array<ModelInfo, kModelCount> models = {{
      {0, "PLV7100", 0, 0x00},
      {1, "PLV7110A", 2, 0x60},
      {2, "PLV7110B", 3, 0x60},
      {3, "PLV7110C", 6, 0x60},
      {4, "PLV7110D", 4, 0x60},
      {5, "PLV7120A", 2, 0x00},
      {6, "PLV7120B", 3, 0x00},
      {7, "PLV7120C", 6, 0x00},
      {8, "PLV7120D", 4, 0x00},
      {9, "PLV7210A", 2, 0x20},
      {10, "PLV7210B", 3, 0x20},
      {11, "PLV7210C", 6, 0x20},
      {12, "PLV7210D", 4, 0x20},
      {13, "PLV7220A", 2, 0x40},
      {14, "PLV7220B", 3, 0x40},
      {15, "PLV7220C", 6, 0x40},
      {16, "PLV7220D", 4, 0x40},
      {17, "PLV7300", 7, 0x00},
      {18, "PLV7150", 8, 0x00},
      {19, "PLV3100", 9, 0x00},
  }};
  return models;
}

bool VariantHasLines(int variant) { return TraitsOf(variant).hasLines; }

std::optional<int> RecognizeModel(int variant, std::uint8_t byte4) {
  if (!KnownVariant(variant)) return std::nullopt;
  const VariantTraits& t = TraitsOf(variant);
  if (t.fixedModel >= 0) return t.fixedModel;
  const std::uint8_t line = byte4 & 0x60;
  for (const auto& m : Models())
    if (m.variant == variant && m.lineBits == line) return m.index;
  return std::nullopt;
}

const ModelInfo* FindModel(std::string_view code) {
  for (const auto& m : Models())
    if (m.code == code) return &m;
  return nullptr;
}

}  // namespace korventa
