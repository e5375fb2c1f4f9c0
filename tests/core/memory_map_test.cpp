#include "config/memory_map.h"

#include <gtest/gtest.h>

#include <string>

namespace korventa::memoria {
namespace {

// A mistyped address lands outside what reading fetches (and is decoded
// from zero bytes) or on top of another field (and one write clobbers the
// other). Byte 8 is shared on purpose: single-channel models keep their
// trip delay where channel B's cold-junction offset would be.
TEST(MemoryMap, FieldsLieInTheReadBlocksAndNeverOverlap) {
  auto letto = [](int a) {
    return (a >= 0 && a < kLunghezzaBlocco0) || (a >= 100 && a < 124) ||
           (a >= kInizioBlocco128 && a < kInizioBlocco128 + kLunghezzaBlocco128);
  };
  auto condiviso = [](const Campo* x, const Campo* y) {
    return (x == &kRitardoSoglie && y == &kOffsetCjc) || (x == &kOffsetCjc && y == &kRitardoSoglie);
  };
  for (const Campo* f : kMappa)
    for (int ch = 0; ch < 2; ++ch)
      for (int k = 0; k < f->Larghezza(); ++k) EXPECT_TRUE(letto(f->At(ch) + k)) << f->nome << " channel " << ch;
  for (const Campo* f : kMappa)
    for (const Campo* g : kMappa) {
      if (f == g || condiviso(f, g)) continue;
      for (int cf = 0; cf < 2; ++cf)
        for (int cg = 0; cg < 2; ++cg) {
          // A field of the whole device names the same address twice.
          if (f->At(0) == f->At(1) && cf == 1) continue;
          if (g->At(0) == g->At(1) && cg == 1) continue;
          const int a = f->At(cf), b = g->At(cg);
          EXPECT_TRUE(a + f->Larghezza() <= b || b + g->Larghezza() <= a)
              << f->nome << " (" << cf << ") and " << g->nome << " (" << cg << ")";
        }
    }
}

}  // namespace
}  // namespace korventa::memoria
