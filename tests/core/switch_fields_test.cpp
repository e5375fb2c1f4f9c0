#include <gtest/gtest.h>

#include <algorithm>
#include <bit>

#include "switches/campi.h"

namespace korventa::sw {
namespace {

struct Letto {
  int prodotto, variante;
  Banchi banchi;
  int ch;
  int ingresso, span, zero, uscita, opzione;
};

// Banks worked out by hand from the switch layouts of each family.
TEST(SwitchFields, DecodesHandComputedBanks) {
  const Letto casi[] = {
      // PLV7100: Tc J (7), option on, output A 0-20 mA; span 5; zero 3.
      {12, 0, {0x27, 0x14, 0x03}, 0, 7, 5, 3, 0, 1},
      {12, 0, {0x27, 0x16, 0x03}, 1, 7, 5, 3, 2, -1},
      // PLV7110A: input 5, zero 3 in the top nibble; span 5, output 2.
      {12, 2, {0x35, 0x85, 0x00}, 0, 5, 5, 3, 2, -1},
      // D model channel B: output 5, reverse, pair 9.
      {12, 4, {0x00, 0xB9, 0x00}, 1, 9, 0, 0, 5, 1},
      // PLV7300: sensor 2, output 3, span 10 with divider 1, zero fixed at 1.
      {12, 7, {0x00, 0x4A, 0x0E}, 0, 2, 10, 1, 3, -1},
      // PLV7150: input 2 + 16, option on, span 3, zero 4.
      {12, 8, {0x42, 0x0F, 0x00}, 0, 18, 3, 4, -1, 1},
      // Family 11: input 9, output 2, option; span 4, zero 7.
      {11, 0, {0xC9, 0x74, 0x00}, 0, 9, 4, 7, 2, 1},
  };
  for (const auto& c : casi) {
    SCOPED_TRACE(testing::Message() << "family " << c.prodotto << " variant " << c.variante << " ch " << c.ch);
    const auto s = Decodifica(Campi(c.prodotto, c.variante), c.banchi).canali[static_cast<std::size_t>(c.ch)];
    EXPECT_EQ(s.ingresso, c.ingresso);
    EXPECT_EQ(s.span, c.span);
    EXPECT_EQ(s.zero, c.zero);
    EXPECT_EQ(s.uscita, c.uscita);
    EXPECT_EQ(s.opzione, c.opzione);
  }
  EXPECT_EQ(Decodifica(Campi(12, 7), {0x00, 0x4A, 0x0E}).divisore, 1);
}

TEST(SwitchFields, ComposesHandComputedBanks) {
  Selezione v0;
  v0.canali[0] = {7, 5, 3, 1, 1};
  v0.canali[1].uscita = 2;
  EXPECT_EQ(Componi(Campi(12, 0), v0, {0xFF, 0xFF, 0xFF}), (Banchi{0x67, 0x16, 0x03}));

  Selezione v8;
  v8.canali[0] = {18, -1, -1, -1, -1};  // -1: the field keeps its switches
  const Banchi b8 = Componi(Campi(12, 8), v8, {0x50, 0x00, 0x00});
  EXPECT_EQ(b8[0], 0x52);
  EXPECT_EQ(b8[1] & 0x01, 0x01);

  Selezione v7;
  v7.canali[0] = {2, 10, 1, 3, -1};
  v7.divisore = 1;
  EXPECT_EQ(Componi(Campi(12, 7), v7, {0x11, 0x00, 0xF0}), (Banchi{0x00, 0x4A, 0x0E}));

  // "EEPROM" composes input field 0; the PLV7120 keeps its zero nibble.
  Selezione eeprom;
  eeprom.canali[0] = {0, 5, 3, 0, -1};
  EXPECT_EQ(Componi(Campi(12, 2), eeprom, {0x3F, 0x00, 0x00})[0], 0x30);
}

TEST(SwitchFields, DeviceCodeAdjustments) {
  EXPECT_EQ(CodiceDispositivo(12, 3, 2, 0), 17);
  EXPECT_EQ(CodiceDispositivo(12, 6, 3, 0), 32);  // 18 is "Res300K"
  EXPECT_EQ(CodiceDispositivo(12, 7, 0x4A, 0), 33);
  EXPECT_EQ(CodiceDispositivo(12, 4, 1, 0x09), 4);
  EXPECT_EQ(CodiceDispositivo(12, 5, 1, 0x01), 5);
  EXPECT_EQ(CodiceDispositivo(11, 3, 2, 0), 2);
  for (int v : {2, 3, 6})
    for (int code : {1, 5, 17, 21, 32}) {  // 18 on variant 6 is "Res300K"
      const int campo = CodiceVersoCampo(12, v, code);
      if (campo >= 1 && campo <= 15) {
        EXPECT_EQ(CodiceDispositivo(12, v, campo, 0), code) << v << " " << code;
      }
    }
  EXPECT_EQ(CodiceGrezzo(7, {0, 0x4A, 0}, 0), 0x4A);
  EXPECT_EQ(CodiceGrezzo(8, {0x42, 0x01, 0}, 0), 18);
  EXPECT_EQ(CodiceGrezzo(5, {0x01, 0x29, 0}, 1), 9);
}

TEST(SwitchFields, StoredDefaultsAndTableIndexes) {
  // PLV7100: the span and the zero each have their own test.
  auto p = ValoriPredefiniti(0, {0x07, 0x02, 0x03}, 0);
  EXPECT_TRUE(p.span);
  EXPECT_FALSE(p.zero);
  // PLV7150: the zero nibble and the input-high bit must both be off.
  EXPECT_TRUE(ValoriPredefiniti(8, {0x05, 0x10, 0}, 0).span);
  EXPECT_FALSE(ValoriPredefiniti(8, {0x05, 0x11, 0}, 0).zero);
  EXPECT_FALSE(ValoriPredefiniti(7, {0, 0, 0}, 0).span);
  EXPECT_TRUE(ValoriPredefiniti(5, {0x21, 0x20, 0}, 1).zero);

  auto i = IndiciCampioni(0, {0x27, 0x14, 0x03}, 0);
  ASSERT_TRUE(i);
  EXPECT_EQ(i->span, 5);
  EXPECT_EQ(i->zero, 67);
  i = IndiciCampioni(4, {0x09, 0, 0}, 0);  // pair 9 lies past the stored zero word
  EXPECT_EQ(i->span, 21);
  EXPECT_EQ(i->zero, 20);
  EXPECT_EQ(IndiciCampioni(7, {0, 0x4A, 0}, 0)->zero, 65);
  EXPECT_FALSE(IndiciCampioni(9, {1, 2, 3}, 0));
  EXPECT_EQ(IndirizzoPredefinito(10) + 2, 170);
}

}  // namespace
}  // namespace korventa::sw

namespace korventa::sw {
namespace {

// Every family: choices composed into banks read back as the same choices,
// whatever the banks held before.
TEST(SwitchFields, ComposeThenDecodeEveryFamily) {
  const std::pair<int, int> famiglie[] = {{12, 0}, {12, 2}, {12, 3}, {12, 6}, {12, 4}, {12, 5}, {12, 7}, {12, 8}, {11, 0}};
  auto massimo = [](Campo c) { return c.Presente() ? (c.maschera >> std::countr_zero(c.maschera)) : -1; };
  for (auto [prodotto, variante] : famiglie) {
    const CampiFamiglia& f = Campi(prodotto, variante);
    for (int passo = 0; passo < 3; ++passo) {
      SCOPED_TRACE(testing::Message() << prodotto << "/" << variante << " step " << passo);
      auto valore = [&](Campo c) { return c.Presente() ? (massimo(c) * (passo + 1) / 3) : -1; };
      Selezione s;
      for (int ch = 0; ch < 2; ++ch) {
        auto& k = s.canali[static_cast<std::size_t>(ch)];
        k.ingresso = valore(CampoIngresso(f, ch)) + (f.ingressoAlto.Presente() && passo == 2 ? 16 : 0);
        k.uscita = valore(CampoUscita(f, ch));
        k.opzione = valore(f.opzione[static_cast<std::size_t>(ch)]);
        k.span = valore(f.span);
        k.zero = f.zero.Presente() ? valore(f.zero) : std::max(0, f.zeroFisso);
      }
      s.divisore = valore(f.divisore);
      for (Banchi prima : {Banchi{0, 0, 0}, Banchi{0xFF, 0xFF, 0xFF}}) {
        const Selezione d = Decodifica(f, Componi(f, s, prima));
        const int canali = f.coppie ? 2 : 1;
        for (int ch = 0; ch < canali; ++ch) {
          const auto& a = s.canali[static_cast<std::size_t>(ch)];
          const auto& b = d.canali[static_cast<std::size_t>(ch)];
          EXPECT_EQ(b.ingresso, a.ingresso);
          EXPECT_EQ(b.uscita, a.uscita);
          EXPECT_EQ(b.opzione, a.opzione);
          if (f.span.Presente()) {
            EXPECT_EQ(b.span, a.span);
          }
          EXPECT_EQ(b.zero, a.zero);
        }
        EXPECT_EQ(d.divisore, s.divisore);
      }
    }
  }
}

}  // namespace
}  // namespace korventa::sw
