#include <gtest/gtest.h>

#include <algorithm>

#include "app/state.h"
#include "config/catalog.h"

using namespace korventa;

namespace {

ProgramState Device(int variant, int family = 12, int verSw = 0) {
  ProgramState s;
  s.CodProdotto = static_cast<std::uint8_t>(family);
  s.CodVariante = static_cast<std::uint8_t>(variant);
  s.VerSw = static_cast<std::uint8_t>(verSw);
  CaricaTabelle(s);
  return s;
}

bool Has(const std::vector<std::string>& v, const std::string& name) {
  return std::find(v.begin(), v.end(), name) != v.end();
}

}  // namespace

TEST(Catalog, TablesAsBuilt) {
  ProgramState s;
  EXPECT_EQ(s.TipiIngresso[8].Nome, "Tc K");
  EXPECT_EQ(s.TipiIngresso[8].UMisF, "°F");
  EXPECT_EQ(s.TipiIngresso[32].Nome, "Res300K");
  EXPECT_EQ(s.TipiIngresso[33].Min, 0.1);
  EXPECT_EQ(s.TipiIngresso[15].Min, -32565);
  for (int c : {6, 15, 31, 34, 51}) EXPECT_TRUE(s.TipiIngresso[static_cast<std::size_t>(c)].Nome.empty()) << c;
  EXPECT_EQ(s.TipiFrequenza[6].Nome, "Volt");
  EXPECT_EQ(s.TipiFrequenza[0].LivelloTrig, 50);
  EXPECT_TRUE(s.TipiFrequenza[7].Nome.empty());
  EXPECT_EQ(s.TipiUscita[1].Min, 4);
  EXPECT_EQ(s.TipiUscitaEstesa[3].Nome, "2-10 V");
  EXPECT_EQ(s.TipiUscitaEstesa[15].Max, 32565);
  EXPECT_EQ(s.Tolleranze[1].Nome, "±2.5%");
}

TEST(Catalog, TenVoltMinimumFollowsTheVariant) {
  EXPECT_EQ(Device(0).TipiIngresso[4].Min, -10);
  EXPECT_EQ(Device(8).TipiIngresso[4].Min, -10);
  EXPECT_EQ(Device(1).TipiIngresso[4].Min, 0);
  ProgramState s = Device(0);
  for (int v : {1, 7, 9}) {  // these keep what the last device left
    s.CodVariante = static_cast<std::uint8_t>(v);
    AggiornaMinimo10V(s);
    EXPECT_EQ(s.TipiIngresso[4].Min, -10) << v;
  }
  s.CodVariante = 3;
  AggiornaMinimo10V(s);
  EXPECT_EQ(s.TipiIngresso[4].Min, 0);
  s.CodVariante = 9;
  AggiornaMinimo10V(s);
  EXPECT_EQ(s.TipiIngresso[4].Min, 0);
  s.CodVariante = 8;
  AggiornaMinimo10V(s);
  EXPECT_EQ(s.TipiIngresso[4].Min, -10);
}

TEST(Catalog, OfferedInputsPerVariant) {
  ProgramState v9 = Device(9);
  for (int c : {4, 5}) EXPECT_FALSE(IngressoAmmesso(v9, c)) << c;
  for (int c = 24; c < kNumTipiIngresso; ++c) EXPECT_FALSE(IngressoAmmesso(v9, c)) << c;
  EXPECT_TRUE(IngressoAmmesso(v9, 7));
  EXPECT_TRUE(IngressoAmmesso(v9, 23));

  ProgramState v6 = Device(6);
  for (int c = 28; c <= 33; ++c) EXPECT_FALSE(IngressoAmmesso(v6, c)) << c;
  EXPECT_TRUE(IngressoAmmesso(v6, 24));
  EXPECT_FALSE(IngressoAmmesso(v6, 7));

  for (int v : {0, 8}) {
    ProgramState s = Device(v);
    for (int c = 24; c <= 33; ++c) EXPECT_FALSE(IngressoAmmesso(s, c)) << v << ' ' << c;
    EXPECT_TRUE(IngressoAmmesso(s, 4));
    EXPECT_FALSE(IngressoAmmesso(s, 6));
  }

  // The two-input model offers what variant 4 offers, on family 12 only.
  EXPECT_TRUE(IngressoAmmesso(Device(5), 4));
  EXPECT_FALSE(IngressoAmmesso(Device(5), 7));
  EXPECT_FALSE(IngressoAmmesso(Device(5, 11), 4));

  EXPECT_TRUE(IngressoAmmesso(Device(7), 33));
  EXPECT_TRUE(IngressoAmmesso(Device(3), 0));
  EXPECT_FALSE(IngressoAmmesso(Device(3), -1));
  EXPECT_FALSE(IngressoAmmesso(Device(3), 52));
}

TEST(Catalog, CodeSets) {
  EXPECT_TRUE(IsFahrenheitConvertible(28));
  EXPECT_FALSE(IsFahrenheitConvertible(29));
  EXPECT_FALSE(IsFahrenheitConvertible(15));
  EXPECT_TRUE(IsPlainCode(33));
  EXPECT_TRUE(IsPlainCode(15));
  EXPECT_FALSE(IsPlainCode(32));
  EXPECT_FALSE(IsPlainCode(0));
  EXPECT_TRUE(IsTemperatureCode(30));
  EXPECT_FALSE(IsTemperatureCode(22));
}

TEST(Catalog, ListsOfTheSingleInputModel) {
  ProgramState s = Device(0);
  auto in = ListaIngressi(s);
  EXPECT_EQ(in.front(), "90 mV");
  EXPECT_EQ(in.back(), "Pot50K");
  EXPECT_FALSE(Has(in, "EEPROM"));
  EXPECT_FALSE(Has(in, ""));
  EXPECT_EQ(in.size(), 21u);  // codes 1 to 23 less the empty 6 and 15
  auto sw = ListaIngressiSwitch(s);
  ASSERT_TRUE(sw.has_value());
  EXPECT_EQ(sw->front(), "EEPROM");
  EXPECT_EQ(sw->size(), in.size() + 1);
  EXPECT_EQ(ListaUscite(s), (std::vector<std::string>{"0-20 mA", "4-20 mA", "0-10 V", "0-5 V"}));
  EXPECT_EQ(ListaUsciteEstese(s), std::vector<std::string>{"---"});
  EXPECT_EQ(ListaTolleranze(s).size(), 4u);
}

TEST(Catalog, ListsOfTheLineModels) {
  // Variant 3 (a "B" line): its own group and the common EEPROM only.
  auto in = ListaIngressi(Device(3));
  EXPECT_EQ(in, (std::vector<std::string>{"Res2K", "Res500", "Pt 100", "Ni 100", "Pt 1K", "Ni 1K", "Pot500"}));

  // Res300K is singled out for firmware 2 but still not offered on variant 6.
  EXPECT_FALSE(Has(ListaIngressi(Device(6, 12, 2)), "Res300K"));
  EXPECT_EQ(ListaIngressi(Device(6)),
            (std::vector<std::string>{"Pot50K", "KTY81-220", "KTY84-150", "Cost10K", "Cost1K"}));
}

TEST(Catalog, ListsOfTheTwoOutputModels) {
  for (int v : {4, 5}) {
    ProgramState s = Device(v);
    EXPECT_EQ(ListaIngressi(s), (std::vector<std::string>{"10 V", "20 mA"})) << v;
    EXPECT_FALSE(ListaIngressiSwitch(s).has_value());
    EXPECT_EQ(ListaUsciteEstese(s),
              (std::vector<std::string>{"0-20 mA", "4-20 mA", "0-10 V", "2-10 V", "0-5 V", "1-5 V"}));
  }
}

TEST(Catalog, ListsOfTheFrequencyModel) {
  ProgramState s = Device(7);
  EXPECT_TRUE(ListaIngressi(s).empty());
  auto sw = ListaIngressiSwitch(s);
  ASSERT_TRUE(sw.has_value());
  EXPECT_EQ(*sw, (std::vector<std::string>{"EEPROM", "NAMUR", "Tacho", "TTL", "PNP", "NPN", "---", "Volt"}));
  EXPECT_EQ(ListaFrequenze(s).size(), 7u);
  // A family-11 variant 7 lists "Freq" as an ordinary input.
  EXPECT_EQ(ListaIngressi(Device(7, 11)), std::vector<std::string>{"Freq"});
}

TEST(Catalog, ListsOfTheFixedOutputModels) {
  ProgramState v8 = Device(8);
  EXPECT_EQ(ListaUscite(v8), std::vector<std::string>{"4-20 mA"});
  EXPECT_TRUE(Has(ListaIngressi(v8), "10 V"));
  ProgramState v9 = Device(9);
  EXPECT_EQ(ListaUscite(v9), std::vector<std::string>{"0-10 V"});
  EXPECT_FALSE(Has(ListaIngressi(v9), "10 V"));
  EXPECT_FALSE(Has(ListaIngressi(v9), "20 mA"));
  auto all = ListePerModello(v9);
  EXPECT_EQ(all.Uscite, ListaUscite(v9));
  EXPECT_EQ(all.Ingressi, ListaIngressi(v9));
}

TEST(Catalog, DeviceCodeRemapping) {
  ProgramState v6 = Device(6);
  EXPECT_EQ(CodiceDaDispositivo(v6, 18), 32);
  EXPECT_EQ(CodiceVersoDispositivo(v6, 32), 18);
  EXPECT_EQ(CodiceDaDispositivo(v6, 19), 19);
  ProgramState v7 = Device(7);
  EXPECT_EQ(CodiceDaDispositivo(v7, 0), 33);
  EXPECT_EQ(CodiceDaDispositivo(v7, 5), 33);
  ProgramState v0 = Device(0);
  EXPECT_EQ(CodiceDaDispositivo(v0, 18), 18);
  EXPECT_EQ(CodiceVersoDispositivo(v0, 32), 32);
}
