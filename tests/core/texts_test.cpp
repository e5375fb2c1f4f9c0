#include "app/texts.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace korventa;

TEST(Texts, LanguageTextsAndTheirEnglishTwins) {
  ProgramState s;
  EXPECT_EQ(LoadResString(1), "300");
  EXPECT_EQ(CalcolaOffLingua(s), 0);
  EXPECT_EQ(Testo(s, 38), "Apri Com");
  EXPECT_EQ(Testo(s, 56), "Controllo Config. ");  // the trailing blank is the window's
  EXPECT_EQ(Testo(s, 69), "Il dispositivo è stato sostituito");
  EXPECT_EQ(Testo(s, 75), "Attenzione: il file è stato salavato con una versione differente del software");
  s.Lingua = 1;
  s.OffLingua = CalcolaOffLingua(s);
  EXPECT_EQ(s.OffLingua, 300);
  EXPECT_EQ(Testo(s, 38), "Open Com");
  EXPECT_EQ(Testo(s, 56), "Configuration Check");
  EXPECT_EQ(Testo(s, 63), "input value");
  EXPECT_EQ(Testo(s, 84), "Functions");
  EXPECT_EQ(Testo(s, 86), "Physical");
  EXPECT_EQ(LoadResString(76), LoadResString(376));
  EXPECT_EQ(LoadResString(76), LoadResString(IdMarchio(2, kOffsetWeb)));
}

TEST(Texts, EveryLanguageTextHasATwinAndNothingElseExists) {
  for (int id = 31; id <= 86; ++id) {
    EXPECT_TRUE(HasResString(id)) << id;
    EXPECT_TRUE(HasResString(id + 300)) << id;
  }
  // The version-number ids have no entry: files use another source.
  EXPECT_FALSE(HasResString(27));
  EXPECT_FALSE(HasResString(327));
  EXPECT_FALSE(HasResString(30));
  EXPECT_FALSE(HasResString(87));
  EXPECT_EQ(LoadResString(27), "");
}

TEST(Texts, BrandProfiles) {
  ProgramState s;
  ASSERT_EQ(s.Marchio, 2);
  EXPECT_EQ(TitoloApplicazione(s), "KORVENTA v.2.7");
  EXPECT_EQ(TestoMarchio(s, kOffsetDitta), "GA.NU. srl");
  EXPECT_EQ(TestoMarchio(s, kOffsetManualeEng), "MT_EN_GANU_KORVENTA_0114R00.pdf");
  EXPECT_EQ(LoadResString(1000), "Pellvani srl");
  EXPECT_EQ(LoadResString(1100), " ");
  EXPECT_EQ(LoadResString(1101), " ");
  EXPECT_EQ(LoadResString(1103), "MT_EN_AN_KORVENTA_0114R00.pdf ");
  EXPECT_EQ(LoadResString(1302), "MT_IT_SVKUVRO02_0608R01.pdf");
  EXPECT_EQ(LoadResString(1304), "KUVRO-02 v.2.7");
}

TEST(Texts, ModelNamesPerBrandWithFallbackToTheCode) {
  ProgramState s;
  EXPECT_EQ(NomeModello(s, 1), "GN-7110 A");
  EXPECT_EQ(NomeModello(s, 19), "GN-3100");
  s.Marchio = 0;
  EXPECT_EQ(NomeModello(s, 4), "PLV 7110 D");
  s.Marchio = 1;
  EXPECT_EQ(NomeModello(s, 17), "PLV 7300");
  s.Marchio = 3;
  EXPECT_EQ(NomeModello(s, 0), "SV6401");
  EXPECT_EQ(NomeModello(s, 12), "SV6413");
  EXPECT_FALSE(HasResString(IdMarchio(3, kOffsetModelli + 13)));
  EXPECT_EQ(NomeModello(s, 13), "PLV7220A");
  EXPECT_EQ(NomeModello(s, 19), "PLV3100");
  EXPECT_EQ(NomeModello(s, 20), "");
  EXPECT_EQ(NomeModello(s, -1), "");
}

TEST(Texts, MessagesHaveBothLanguagesAndTheSameBlanks) {
  // The message ids run without a gap from 2000: an id declared without its
  // texts would show an empty box.
  auto blanks = [](const std::string& t) {
    std::string b;
    for (std::size_t i = 0; i + 1 < t.size(); ++i)
      if (t[i] == '%' && t[i + 1] >= '1' && t[i + 1] <= '9') b += t[i + 1];
    std::sort(b.begin(), b.end());
    return b;
  };
  int id = 2000;
  for (; HasResString(id); ++id) {
    EXPECT_FALSE(LoadResString(id).empty()) << id;
    EXPECT_FALSE(LoadResString(id + kOffsetInglese).empty()) << id;
    EXPECT_EQ(blanks(LoadResString(id)), blanks(LoadResString(id + kOffsetInglese))) << id;
  }
  EXPECT_GT(id, kTxtScrittiDi);
  for (int after = id; after < 2000 + kOffsetInglese; ++after) EXPECT_FALSE(HasResString(after)) << after;
}

TEST(Texts, BlanksAreFilledOnceInTheLanguageAsked) {
  ProgramState s;
  EXPECT_EQ(Testo(s, kTxtScritturaRifiutata, {"%1"}), "Scrittura rifiutata: il banco %1 è fuori da 0 - 255.");
  EXPECT_EQ(TestoInLingua(1, kTxtNonSalvabile, {"\"a\"", "%2"}), "cannot save \"a\": %2");
  EXPECT_EQ(TestoInLingua(0, kTxtNonSalvabile, {"\"a\"", TestoInLingua(0, kTxtSolaLettura)}),
            "impossibile salvare \"a\": il file è di sola lettura");
}
